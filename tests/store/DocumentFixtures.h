#pragma once
// A scripted user and a recording main frame for the library document.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include <optional>

#include "app/ErrorLog.h"
#include "content/ContentPrompt.h"
#include "app/StringTable.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"

namespace vtest {

struct ShownMessage {
  std::string text, caption;
  UINT type;
};

// Answers from queues filled by the test; an unexpected question fails the test.
class ScriptedPrompt : public vellora::ContentPrompt {
 public:
  std::deque<int> messageAnswers;
  // nullopt answers Cancel.
  std::deque<std::optional<std::string>> names;
  std::deque<std::optional<vellora::NewFolderRequest>> folders;
  std::deque<std::optional<vellora::NewItemRequest>> items;
  std::vector<std::string> itemCaptions;   // the captions of the item dialogs shown
  std::vector<bool> itemOffersTabPages;    // and whether they offered "Tabpages"
  std::vector<std::string> nameCaptions;  // the captions of the name dialogs shown
  std::vector<std::string> nameLabels;    // and their labels
  std::vector<vellora::NodeProperties> properties;
  std::deque<std::string> files;  // "" cancels the dialog
  std::deque<bool> passwordAnswers;
  std::vector<std::string> passwordNames;  // the display names the prompts showed
  // Answers of the set-password dialog (nullopt cancels) and the passwords it was opened with.
  std::deque<std::optional<std::string>> newPasswords;
  std::vector<std::string> currentPasswords;
  std::deque<std::optional<COLORREF>> colors;  // nullopt cancels
  std::vector<COLORREF> colorsOffered;         // the colours the dialogs started from
  std::deque<std::optional<LOGFONTA>> fonts;
  std::vector<LOGFONTA> fontsOffered;
  std::deque<int> welcomeAnswers;
  std::vector<ShownMessage> shown;
  std::vector<vellora::FileDialogRequest> dialogs;
  int welcomeShown = 0;

  int ShowMessage(const std::string& text, const std::string& caption, UINT type) override;
  bool ChooseFile(const vellora::FileDialogRequest& request, std::string& path) override;
  bool AskPassword(const std::string& displayName, const std::string& password) override;
  int ShowWelcome() override;
  std::vector<std::string> welcomeReasons;  // the texts of welcomes after a damaged library
  int ShowWelcomeAfterDamage(const std::string& reason) override {
    welcomeReasons.push_back(reason);
    return ShowWelcome();
  }
  bool AskName(const std::string& caption, const std::string& initial, std::string& answer,
               const std::string& label) override;
  bool AskNewFolder(vellora::NewFolderRequest& answer) override;
  bool AskNewItem(vellora::NewItemRequest& answer, const std::string& caption) override;
  // nullopt answers Cancel.
  std::deque<std::optional<vellora::WebImportRequest>> webImports;
  bool AskWebImport(vellora::WebImportRequest& answer) override;
  // Progress runs: their captions, the steps they were told, and after how
  // many steps the user cancels (0: never).
  std::vector<std::string> progressCaptions;
  size_t progressSteps = 0;
  size_t cancelAfterSteps = 0;
  std::unique_ptr<vellora::ProgressReport> BeginProgress(const std::string& caption) override;
  // Answers of the folder selection dialog (nullopt cancels); what it was shown.
  struct FolderPick {
    vellora::FolderPickMode mode;
    std::vector<std::string> names, checked;
  };
  std::deque<std::optional<std::vector<std::string>>> folderPicks;
  std::vector<FolderPick> folderPicksShown;
  bool AskFolders(vellora::FolderPickMode mode, const std::vector<std::string>& names,
                  std::vector<std::string>& checked) override;
  void ShowNodeProperties(const vellora::NodeProperties& shown) override { properties.push_back(shown); }
  bool AskNewPassword(const std::string& current, std::string& answer) override;
  bool PickColor(COLORREF& color) override;
  bool PickFont(LOGFONTA& font) override;
};

class RecordingHost : public vellora::DocumentHost {
 public:
  std::vector<std::string> folders;  // in the order handed over
  std::string title;
  std::string location;  // what CurrentLocation answers
  std::vector<std::string> visited;
  int cleared = 0, firstSelected = 0, bookmarkRefreshes = 0, closeRequests = 0, stores = 0;
  bool textModified = false;

  void StoreTextViewContent() override { ++stores; textModified = false; }
  bool TextViewModified() override { return textModified; }
  void ClearViews() override { ++cleared; folders.clear(); }
  void AddFolder(const std::string& name, uint16_t) override { folders.push_back(name); }
  std::string CurrentLocation() override { return location; }
  bool GoToLocation(const std::string& where) override { visited.push_back(where); return true; }
  void SelectFirstFolder() override { ++firstSelected; }
  void SetTitle(const std::string& t) override { title = t; }
  void RefreshBookmarkMenu() override { ++bookmarkRefreshes; }
  void CloseMainWindow() override { ++closeRequests; }
};

class NullSink : public vellora::DiagnosticSink {
 public:
  std::vector<std::string> reports;
  void Report(const std::string& message) override { reports.push_back(message); }
};

// A document over the shipped string table, a temporary folder and a
// throw-away registry key.
struct DocumentRig {
  DocumentRig();
  vellora::DocumentSetup Setup() const;
  TempDir dir;
  TempRegistryKey key;
  vellora::StringTable texts;
  ScriptedPrompt prompt;
  RecordingHost host;
  NullSink log;
};

// Everything a storage holds, element by element: "path/" -> the storage's
// class id and state bits, "path" -> a stream's bytes. Two storages that give
// the same map hold the same.
std::map<std::string, std::string> StorageContents(const vellora::StorageHandle& storage);

}  // namespace vtest
