// Pictures and colours behind the items of a tree view and a list view.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "controls/ListViewLook.h"
#include "controls/ViewBackdrop.h"
#include "tests/controls/ControlHost.h"

using namespace vellora;

namespace {

// A picture 8 pixels wide of stripes 8 rows high, one per colour from the top.
HBITMAP StripedBitmap(std::initializer_list<COLORREF> stripes) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8 * static_cast<int>(stripes.size()));
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  int top = 0;
  for (COLORREF color : stripes) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT rc = {0, top, 8, top + 8};
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    top += 8;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// A view of 200 x 150 as its backdrop paints it.
struct Rendered {
  explicit Rendered(ViewBackdrop& backdrop) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, 200, 150);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    backdrop.PaintInto(dc);
  }
  ~Rendered() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Rendered(const Rendered&) = delete;
  Rendered& operator=(const Rendered&) = delete;
  COLORREF Pixel(int x, int y) const { return GetPixel(dc, x, y); }
  // Pixels inside the rectangle that are none of the given colours.
  int Others(const RECT& r, std::initializer_list<COLORREF> colors) const {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (std::find(colors.begin(), colors.end(), Pixel(x, y)) == colors.end()) ++count;
    return count;
  }
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
};

class TreeBackdropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_ = CreateWindowExA(0, WC_TREEVIEWA, nullptr, WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS, 0, 0,
                            200, 150, host_.Handle(), nullptr, nullptr, nullptr);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>("WWWWWWWW");
    for (int i = 0; i < 3; ++i) items_[i] = TreeView_InsertItem(tree_, &insert);
    TreeView_SetBkColor(tree_, RGB(255, 255, 255));
    TreeView_SetTextColor(tree_, RGB(0, 0, 0));
    ASSERT_TRUE(backdrop_.Attach(tree_));
  }
  // Pixels of the first item's label that are neither white nor red.
  int TextPixels(const Rendered& r) {
    RECT label = {};
    TreeView_GetItemRect(tree_, items_[0], &label, TRUE);
    return r.Others(label, {RGB(255, 255, 255), RGB(255, 0, 0)});
  }

  vtest::ControlHost host_{220, 170};
  HWND tree_ = nullptr;
  HTREEITEM items_[3] = {};
  ViewBackdrop backdrop_;
};

TEST_F(TreeBackdropTest, ThePictureShowsBehindTheItemsAndTheItemsStayOnTop) {
  backdrop_.SetBitmap(StripedBitmap({RGB(255, 0, 0)}));
  EXPECT_TRUE(backdrop_.HasBitmap());
  Rendered r(backdrop_);
  // Empty space below the items, and the space around a label, show the picture.
  EXPECT_EQ(r.Pixel(190, 140), RGB(255, 0, 0));
  RECT label = {};
  TreeView_GetItemRect(tree_, items_[1], &label, TRUE);
  EXPECT_EQ(r.Pixel(label.right + 20, (label.top + label.bottom) / 2), RGB(255, 0, 0));
  // The label's letters are still drawn.
  EXPECT_GT(TextPixels(r), 0);
}

TEST_F(TreeBackdropTest, WithoutAPictureTheTreesOwnColourShows) {
  backdrop_.SetBitmap(StripedBitmap({RGB(255, 0, 0)}));
  backdrop_.SetBitmap(nullptr);
  EXPECT_FALSE(backdrop_.HasBitmap());
  TreeView_SetBkColor(tree_, RGB(0, 0, 255));
  Rendered r(backdrop_);
  EXPECT_EQ(r.Pixel(190, 140), RGB(0, 0, 255));
}

TEST_F(TreeBackdropTest, ThePictureIsTiledFromTheTopOfTheContent) {
  // Rows of 8 pixels: red, then green.
  backdrop_.SetBitmap(StripedBitmap({RGB(255, 0, 0), RGB(0, 255, 0)}));
  {
    Rendered r(backdrop_);
    EXPECT_EQ(r.Pixel(195, 3), RGB(255, 0, 0));
    EXPECT_EQ(r.Pixel(195, 11), RGB(0, 255, 0));
  }
  // Scrolled down by one item, the stripes move up with the items, so bits
  // the control moves itself still match what is painted new.
  TVINSERTSTRUCTA insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("more");
  for (int i = 0; i < 30; ++i) TreeView_InsertItem(tree_, &insert);
  SendMessageA(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
  ASSERT_EQ(GetScrollPos(tree_, SB_VERT), 1);
  const int itemHeight = TreeView_GetItemHeight(tree_);
  RECT client;
  GetClientRect(tree_, &client);  // narrower now: the scroll bar takes its part
  Rendered r(backdrop_);
  for (int y : {3, 11}) {
    const COLORREF expected = (y + itemHeight) % 16 < 8 ? RGB(255, 0, 0) : RGB(0, 255, 0);
    EXPECT_EQ(r.Pixel(client.right - 3, y), expected) << "y " << y << ", items of " << itemHeight;
  }
}

class ListLookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list_ = CreateWindowExA(0, WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 150,
                            host_.Handle(), nullptr, nullptr, nullptr);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<char*>("Name");
    ListView_InsertColumn(list_, 0, &column);
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.pszText = const_cast<char*>("WWWWWWWW");
    ListView_InsertItem(list_, &row);
    ASSERT_TRUE(backdrop_.Attach(list_));
  }
  // The colour of a pixel of the list as it paints itself, and the letters of its row.
  COLORREF Pixel(int x, int y, int* letters = nullptr) {
    Rendered r(backdrop_);
    if (letters) {
      RECT label = {};
      ListView_GetItemRect(list_, 0, &label, LVIR_LABEL);
      int area = (label.right - label.left) * (label.bottom - label.top);
      *letters = area - r.Others(label, {ListView_GetTextColor(list_)});
    }
    return r.Pixel(x, y);
  }
  vtest::ControlHost host_{220, 170};
  HWND list_ = nullptr;
  ViewBackdrop backdrop_;
};

TEST_F(ListLookTest, ColoursAndAPictureBehindTheRows) {
  SetListTextColor(list_, RGB(200, 0, 0));
  EXPECT_EQ(ListView_GetTextColor(list_), RGB(200, 0, 0));
  SetListTextColor(list_, CLR_DEFAULT);
  EXPECT_EQ(ListView_GetTextColor(list_), GetSysColor(COLOR_WINDOWTEXT));
  SetListBackColor(list_, RGB(1, 2, 3));
  EXPECT_EQ(ListView_GetBkColor(list_), RGB(1, 2, 3));
  EXPECT_EQ(Pixel(150, 120), RGB(1, 2, 3));
  SetListBackColor(list_, RGB(255, 255, 255));
  backdrop_.SetBitmap(StripedBitmap({RGB(0, 128, 0)}));
  int letters = 0;
  EXPECT_EQ(Pixel(150, 120, &letters), RGB(0, 128, 0));
  EXPECT_GT(letters, 0);  // the row's text stays on top
  backdrop_.SetBitmap(nullptr);
  EXPECT_EQ(Pixel(150, 120), RGB(255, 255, 255));
  SetListBackColor(list_, CLR_DEFAULT);
  EXPECT_EQ(ListView_GetBkColor(list_), GetSysColor(COLOR_WINDOW));
}

}  // namespace
