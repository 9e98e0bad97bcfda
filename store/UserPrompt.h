#pragma once
// The one way the library logic talks to the user: message boxes and the
// dialogs it needs. The program answers through real windows; tests answer
// from a script.
#include <windows.h>

#include <string>

namespace vellora {

struct FileDialogRequest {
  bool save = false;            // the save dialog, else the open dialog
  std::string title;
  std::string filter;           // "Text|pattern|Text|pattern|" ('|' separates the parts)
  std::string defaultExtension; // without the dot
  DWORD flags = 0;              // OFN_* flags
  std::string initialName;      // the file name the dialog proposes
};

// Codes of the welcome dialog's open modes.
enum WelcomeChoice : int {
  kWelcomeOpenNextRecent = 30,
  kWelcomeCreateNew = 31,
  kWelcomeOpenSpecific = 32,
  kWelcomeExit = 2,
};

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // A message box; answers IDOK, IDYES, IDNO, IDCANCEL, ...
  virtual int ShowMessage(const std::string& text, const std::string& caption, UINT type) = 0;
  // A file dialog; false when the user cancelled it.
  virtual bool ChooseFile(const FileDialogRequest& request, std::string& path) = 0;
  // Asks for the password of a protected library or item, shown under
  // displayName; true when the user gave the right one before giving up.
  virtual bool AskPassword(const std::string& displayName, const std::string& password) = 0;
  // The welcome dialog shown when no start-up library can be opened.
  virtual int ShowWelcome() = 0;
  // The same dialog when the library was there but damaged: its text says so
  // instead of suggesting the file was moved or deleted.
  virtual int ShowWelcomeAfterDamage(const std::string& reason) {
    (void)reason;
    return ShowWelcome();
  }
};

}  // namespace vellora
