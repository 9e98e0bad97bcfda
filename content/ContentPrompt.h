#pragma once
// What the content commands ask of the user besides message boxes and file
// dialogs: a new name, a new folder, a new information item, a node's
// properties. The program answers through its dialogs; tests from a script.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/UserPrompt.h"

namespace vellora {

struct NewFolderRequest {
  std::string name;  // at most 19 bytes, never empty
  uint16_t kind = 2;  // 1 "Favorite Tree", 2 "Favorite Folder"
};

struct NewItemRequest {
  std::string title;
  uint16_t kind = 1;
  std::vector<std::string> columns;  // a data list's column titles
  std::string address;               // a web page's address, an OLE control's id
  bool offerTabPages = true;         // asked of the dialog: whether "Tabpages" is a choice
};

// The Import webpage dialog's answer: the address (a URL or an HTML file's
// path, as typed) and whether the page itself is kept, not only its address.
struct WebImportRequest {
  std::string address;
  bool embed = false;
};

// What a long export or import tells while it runs: how far it got. Step
// answers false once the user has cancelled.
class ProgressReport {
 public:
  virtual ~ProgressReport() = default;
  virtual bool Step(size_t done, size_t total) = 0;
};
// What the folder selection dialog is asked for: folders of the open library
// to write into a new library, or folders of another library to take in.
enum class FolderPickMode { kExport, kImport };

struct NodeProperties {
  std::string title;
  std::string category;  // the parent's title; a top-level node's own title
  uint64_t size = 0;
  bool folderNode = false;
  size_t children = 0;
  SYSTEMTIME created = {}, modified = {}, accessed = {};
};

class ContentPrompt : public UserPrompt {
 public:
  // The "Rename" dialog: at most 31 bytes, never empty. label: the text
  // above the edit, empty for the dialog's own ("New Name:").
  virtual bool AskName(const std::string& caption, const std::string& initial, std::string& answer,
                       const std::string& label = {}) = 0;
  // The "Add Folder" dialog.
  virtual bool AskNewFolder(NewFolderRequest& answer) = 0;
  // The "Add Information Item" dialog; caption empty for its own.
  virtual bool AskNewItem(NewItemRequest& answer, const std::string& caption = {}) = 0;
  // The "Property Information" dialog (it only shows).
  virtual void ShowNodeProperties(const NodeProperties& properties) = 0;
  // The Import webpage dialog; false when it was cancelled.
  virtual bool AskWebImport(WebImportRequest& answer) = 0;

  // The folder selection dialog over names (in their list order); checked
  // holds the names checked when it opens and gets the checked ones, in list
  // order. False when it was cancelled.
  virtual bool AskFolders(FolderPickMode mode, const std::vector<std::string>& names,
                          std::vector<std::string>& checked) = 0;

  // The "Set Password - Empty to clear" dialog for a password set now as
  // current (empty: none); answer gets the new one, empty to clear it.
  virtual bool AskNewPassword(const std::string& current, std::string& answer) = 0;
  // The colour dialog, fully open, starting from color.
  virtual bool PickColor(COLORREF& color) = 0;
  // The font dialog of the screen fonts, starting from font.
  virtual bool PickFont(LOGFONTA& font) = 0;
  // Progress with a Cancel button for a long run, shown while the result lives.
  virtual std::unique_ptr<ProgressReport> BeginProgress(const std::string& caption) = 0;
};

}  // namespace vellora
