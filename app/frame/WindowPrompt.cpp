#include "app/frame/WindowPrompt.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "app/dialogs/WelcomeDialog.h"
#include "platform/CallbackGuard.h"
#include "controls/ColorPalette.h"
#include "views/dialogs/AddFolderDialog.h"
#include "views/dialogs/AddItemDialog.h"
#include "views/dialogs/FolderPickDialog.h"
#include "views/dialogs/PasswordPromptDialog.h"
#include "views/dialogs/PropertyDialog.h"
#include "views/dialogs/ImportWebDialog.h"
#include "views/dialogs/ProgressDialog.h"
#include "views/dialogs/RenameDialog.h"
#include "views/dialogs/SetPasswordDialog.h"

namespace vellora {

std::string DialogFilter(const std::string& separated) {
  std::string filter = separated;
  for (char& c : filter)
    if (c == '|') c = '\0';
  // The list ends with two NULs whatever the source ended with.
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

int WindowPrompt::ShowMessage(const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxA(owner_, text.c_str(), caption.c_str(), type);
}

namespace {

// Centres a common dialog on its owner.
UINT_PTR CentreOnOwner(HWND dialog, UINT msg) {
  if (msg != WM_INITDIALOG) return 0;
  HWND box = GetParent(dialog);
  HWND owner = GetWindow(box, GW_OWNER);
  RECT o, b;
  if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(box, &b)) return 0;
  int x = o.left + ((o.right - o.left) - (b.right - b.left)) / 2;
  int y = o.top + ((o.bottom - o.top) - (b.bottom - b.top)) / 2;
  SetWindowPos(box, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

UINT_PTR CALLBACK CentreOnOwnerHook(HWND dialog, UINT msg, WPARAM, LPARAM) {
  return Guarded("file dialog hook", static_cast<UINT_PTR>(0), [&] { return CentreOnOwner(dialog, msg); });
}

}  // namespace

bool WindowPrompt::ChooseFile(const FileDialogRequest& request, std::string& path) {
  char file[MAX_PATH] = {};
  lstrcpynA(file, request.initialName.c_str(), MAX_PATH);
  std::string filter = DialogFilter(request.filter);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = request.flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_NOCHANGEDIR;
  ofn.lpfnHook = CentreOnOwnerHook;
  BOOL ok = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return false;
  path = file;
  return true;
}

bool WindowPrompt::AskPassword(const std::string& displayName, const std::string& password) {
  // Asked during a long run (an export reaching a protected node), the
  // dialog belongs to the progress window that keeps the frame disabled:
  // closing it must not enable the frame while the run goes on.
  HWND owner = owner_;
  if (owner && !IsWindowEnabled(owner)) {
    HWND popup = GetLastActivePopup(owner);
    if (popup && popup != owner && IsWindowEnabled(popup)) owner = popup;
  }
  return PasswordPromptDialog(texts_, displayName, password).Ask(owner);
}

int WindowPrompt::ShowWelcome() { return WelcomeDialog().Choose(owner_); }
int WindowPrompt::ShowWelcomeAfterDamage(const std::string& reason) { return WelcomeDialog(reason).Choose(owner_); }

bool WindowPrompt::AskName(const std::string& caption, const std::string& initial, std::string& answer,
                           const std::string& label) {
  RenameDialog dialog(caption, initial, texts_.TextOr(kTextTipCaption, "Tip"), label);
  if (!dialog.Ask(owner_)) return false;
  answer = dialog.Text();
  return true;
}

bool WindowPrompt::AskNewFolder(NewFolderRequest& answer) { return AddFolderDialog(texts_).Ask(owner_, answer); }

bool WindowPrompt::AskNewItem(NewItemRequest& answer, const std::string& caption) {
  return AddItemDialog(texts_, caption, answer.offerTabPages).Ask(owner_, answer);
}

bool WindowPrompt::AskWebImport(WebImportRequest& answer) { return ImportWebDialog().Ask(owner_, answer); }

std::unique_ptr<ProgressReport> WindowPrompt::BeginProgress(const std::string& caption) {
  return std::make_unique<ProgressDialog>(owner_, caption);
}

bool WindowPrompt::AskFolders(FolderPickMode mode, const std::vector<std::string>& names,
                              std::vector<std::string>& checked) {
  FolderPickDialog dialog(texts_, mode, names, checked);
  if (!dialog.Ask(owner_)) return false;
  checked = dialog.Checked();
  return true;
}

void WindowPrompt::ShowNodeProperties(const NodeProperties& properties) { PropertyDialog(properties).Show(owner_); }

bool WindowPrompt::AskNewPassword(const std::string& current, std::string& answer) {
  SetPasswordDialog dialog(texts_, current);
  if (!dialog.Ask(owner_)) return false;
  answer = dialog.Result();
  return true;
}

namespace {

// The colour and font dialogs belong to the window the user works in.
HWND ActiveOr(HWND owner) {
  HWND active = GetActiveWindow();
  return active ? active : owner;
}

}  // namespace

bool WindowPrompt::PickColor(COLORREF& color) { return ShowColorDialog(ActiveOr(owner_), color); }

bool WindowPrompt::PickFont(LOGFONTA& font) {
  LOGFONTA chosen = font;
  CHOOSEFONTA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ActiveOr(owner_);
  dialog.lpLogFont = &chosen;
  dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&dialog)) return false;
  font = chosen;
  return true;
}

}  // namespace vellora
