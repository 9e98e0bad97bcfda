// The dialogs built from their templates (hidden): captions, controls, texts
// and the kinds of control the dialog classes rely on.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/resources/ResourceIds.h"

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class DialogFromResource {
 public:
  explicit DialogFromResource(UINT id)
      : hwnd_(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, Quiet, 0)) {}
  ~DialogFromResource() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  DialogFromResource(const DialogFromResource&) = delete;
  DialogFromResource& operator=(const DialogFromResource&) = delete;
  HWND Handle() const { return hwnd_; }

  std::string Text(int control) const {
    char text[512] = {};
    GetDlgItemTextA(hwnd_, control, text, sizeof text);
    return text;
  }
  std::string Caption() const {
    char text[256] = {};
    GetWindowTextA(hwnd_, text, sizeof text);
    return text;
  }
  LONG Style(int control) const { return GetWindowLongA(GetDlgItem(hwnd_, control), GWL_STYLE); }

 private:
  HWND hwnd_;
};

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

TEST(WelcomeDialog, HasTheOpenModesAndTheirTexts) {
  DialogFromResource dialog(IDD_WELCOME);
  ASSERT_NE(dialog.Handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(dialog.Caption(), "Welcome to Vellora");
  EXPECT_EQ(dialog.Text(IDC_WELCOME_TEXT),
            "Sorry but program system failed to open the lastest library file!\n\n"
            "That file maybe deleted or moved,or it is opened already?");
  const struct {
    int id;
    const char* text;
  } choices[] = {
      {1054, "Open next recent library file"},
      {1055, "Create a new library file"},
      {1052, "Open specific library file"},
      {1053, "Exit this application"},
  };
  for (const auto& c : choices) {
    HWND button = GetDlgItem(dialog.Handle(), c.id);
    ASSERT_NE(button, nullptr) << c.id;
    EXPECT_EQ(dialog.Text(c.id), c.text);
    EXPECT_EQ(dialog.Style(c.id) & BS_TYPEMASK, BS_AUTORADIOBUTTON) << c.id;
  }
  // One group: the arrow keys move between the four choices.
  EXPECT_TRUE(dialog.Style(1054) & WS_GROUP);
  for (int id : {1055, 1052, 1053}) EXPECT_FALSE(dialog.Style(id) & WS_GROUP) << id;
  EXPECT_EQ(dialog.Text(IDOK), "Ok");
  EXPECT_EQ(dialog.Style(IDOK) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST(WelcomeDialog, GroupBoxNamesTheChoice) {
  DialogFromResource dialog(IDD_WELCOME);
  ASSERT_NE(dialog.Handle(), nullptr);
  bool found = false;
  for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[128] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::string(text) == "Plese select a open mode") {
      found = true;
      EXPECT_EQ(ClassOf(child), "Button");
      EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    }
  }
  EXPECT_TRUE(found);
}

// Every control lies inside the dialog and the texts fit their controls.
TEST(Dialogs, ControlsFitInsideTheirDialogs) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  for (UINT id : {IDD_ABOUTBOX, IDD_WELCOME, IDD_BACKUP_SETTINGS}) {
    DialogFromResource dialog(id);
    ASSERT_NE(dialog.Handle(), nullptr) << id;
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    HDC dc = GetDC(dialog.Handle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog.Handle(), WM_GETFONT, 0, 0)));
    for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
          << "dialog " << id << " control " << GetDlgCtrlID(child);
      char text[512] = {};
      GetWindowTextA(child, text, sizeof text);
      LONG style = GetWindowLongA(child, GWL_STYLE);
      bool singleLine = ClassOf(child) == "Button" && ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ||
                                                       (style & BS_TYPEMASK) == BS_AUTOCHECKBOX);
      if (singleLine && text[0]) {
        SIZE size;
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        EXPECT_LE(size.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4, r.right - r.left) << text;
      }
    }
    SelectObject(dc, old);
    ReleaseDC(dialog.Handle(), dc);
  }
}

TEST(AboutDialog, ShowsTheProgramIconNameAndOk) {
  DialogFromResource dialog(IDD_ABOUTBOX);
  ASSERT_NE(dialog.Handle(), nullptr);
  EXPECT_EQ(dialog.Caption(), "About Vellora");
  EXPECT_EQ(dialog.Text(IDC_ABOUT_NAME), "Vellora");
  EXPECT_NE(dialog.Text(IDC_ABOUT_VERSION).find("Version"), std::string::npos);
  EXPECT_NE(dialog.Text(IDC_ABOUT_COPYRIGHT).find("Vellora"), std::string::npos);
  HWND icon = GetDlgItem(dialog.Handle(), IDC_ABOUT_ICON);
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
  EXPECT_EQ(dialog.Text(IDOK), "OK");
}

}  // namespace
