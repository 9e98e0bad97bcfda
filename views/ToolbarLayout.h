#pragma once
// The toolbars and image strips the views draw with: the format toolbar of
// the text view, the web view's toolbar, and the image indexes of the tree,
// the node list and the data list header. The pictures are the bitmaps of
// ViewResourceIds.h, made from app/resources/art, in the order of the tables
// here, one image per entry that is not a separator.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <iterator>
#include <vector>

#include "content/CommandIds.h"
#include "views/ViewResourceIds.h"

namespace vellora::resources {

// Strips use this colour where nothing is drawn.
inline constexpr COLORREF kImageMaskColor = RGB(255, 0, 255);

inline constexpr UINT kSeparator = 0;

// A toolbar: its buttons in order (kSeparator between groups), the strip its
// images come from and, where there is one, the strip for hot buttons.
struct ToolbarLayout {
  UINT bitmap;
  UINT hotBitmap;  // 0 when the toolbar has no hot images
  int imageSize;
  const UINT* buttons;
  std::size_t count;
};

// The format toolbar starts with the two comboboxes below, then these buttons.
inline constexpr UINT kFormatToolbarButtons[] = {
    ID_EDIT_UNDO, ID_EDIT_REDO, kSeparator,
    ID_FORMAT_TEXT_COLOR, ID_FORMAT_HIGHLIGHT_COLOR, ID_TEXT_BACK_COLOR, kSeparator,
    ID_FORMAT_BOLD, ID_FORMAT_ITALIC, ID_FORMAT_UNDERLINE, kSeparator,
    ID_FORMAT_ALIGN_LEFT, ID_FORMAT_ALIGN_CENTER, ID_FORMAT_ALIGN_RIGHT, kSeparator,
    ID_TEXT_AUTO_LINE, ID_EDIT_SELECT_ALL,
};

// The colour buttons of the format toolbar have a drop-down arrow (the palette).
inline constexpr UINT kFormatToolbarDropDowns[] = {ID_FORMAT_TEXT_COLOR, ID_FORMAT_HIGHLIGHT_COLOR,
                                                   ID_TEXT_BACK_COLOR};

// The bold, italic, underline and alignment buttons show a checked state.
inline constexpr UINT kFormatToolbarChecks[] = {ID_FORMAT_BOLD, ID_FORMAT_ITALIC, ID_FORMAT_UNDERLINE,
                                                ID_FORMAT_ALIGN_LEFT, ID_FORMAT_ALIGN_CENTER,
                                                ID_FORMAT_ALIGN_RIGHT, ID_TEXT_AUTO_LINE};

struct ToolbarCombo {
  UINT id;
  int width;          // pixels
  int droppedHeight;  // pixels of the open list
};
inline constexpr ToolbarCombo kFormatToolbarCombos[] = {
    {IDC_FONT_NAME_COMBO, 160, 240},
    {IDC_FONT_SIZE_COMBO, 48, 240},
};

inline constexpr UINT kWebToolbarButtons[] = {
    ID_WEB_BACK, ID_WEB_FORWARD, ID_WEB_STOP, ID_WEB_REFRESH, ID_WEB_PRINT, kSeparator,
    ID_WEB_BROWSE, ID_WEB_SOURCE, ID_WEB_EDIT,
};

inline constexpr ToolbarLayout kFormatToolbar{IDB_FORMAT_TOOLBAR, 0, 16, kFormatToolbarButtons,
                                              std::size(kFormatToolbarButtons)};
inline constexpr ToolbarLayout kWebToolbar{IDB_WEB_TOOLBAR, 0, 24, kWebToolbarButtons,
                                           std::size(kWebToolbarButtons)};


// Number of images the toolbar's strip holds.
constexpr int ImageCount(const ToolbarLayout& bar) {
  int n = 0;
  for (std::size_t i = 0; i < bar.count; ++i) n += bar.buttons[i] != kSeparator;
  return n;
}

// Image index of the button at a position, -1 for a separator or a position past the end.
constexpr int ButtonImage(const ToolbarLayout& bar, std::size_t position) {
  if (position >= bar.count || bar.buttons[position] == kSeparator) return -1;
  int n = 0;
  for (std::size_t i = 0; i < position; ++i) n += bar.buttons[i] != kSeparator;
  return n;
}

// Favourite tree (IDB_TREE, 20x20): the images the tree's items use.
inline constexpr int kTreeImageSize = 20;
inline constexpr int kTreeImageFolderClosed = 0;
inline constexpr int kTreeImageFolderOpen = 1;
inline constexpr int kTreeImageLeaf = 2;
inline constexpr int kTreeImageLeafSelected = 3;
inline constexpr int kTreeImageCount = 4;

// Node list rows (IDB_NODE_LIST, 32x32).
inline constexpr int kNodeListImageSize = 32;
inline constexpr int kNodeListImageFolder = 0;
inline constexpr int kNodeListImageLeaf = 1;
inline constexpr int kNodeListImageCount = 2;

// Header images of a sorted data list column (IDB_SORT_ARROWS, 16x16).
inline constexpr int kSortImageSize = 16;
inline constexpr int kSortImageAscending = 0;
inline constexpr int kSortImageDescending = 1;
inline constexpr int kSortImageCount = 2;

// One button per command of the layout, separators where it has kSeparator.
inline void AppendButtons(std::vector<TBBUTTON>& buttons, const ToolbarLayout& layout) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    TBBUTTON b = {};
    const UINT id = layout.buttons[i];
    if (id == kSeparator) {
      b.fsStyle = TBSTYLE_SEP;
    } else {
      b.iBitmap = ButtonImage(layout, i);
      b.idCommand = static_cast<int>(id);
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = TBSTYLE_BUTTON;
    }
    buttons.push_back(b);
  }
}

}  // namespace vellora::resources
