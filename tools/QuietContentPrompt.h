#pragma once
// A content prompt for the benchmark programs: nothing waits for a user.
#include <cstdio>
#include <string>

#include "content/ContentPrompt.h"

namespace vellora {

// Messages go to the standard error stream and are answered OK; every
// dialog is cancelled.
class NoContentPrompt : public ContentPrompt {
 public:
  int ShowMessage(const std::string& text, const std::string&, UINT) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return IDOK;
  }
  bool ChooseFile(const FileDialogRequest&, std::string&) override { return false; }
  bool AskPassword(const std::string&, const std::string&) override { return false; }
  int ShowWelcome() override { return kWelcomeExit; }
  bool AskName(const std::string&, const std::string&, std::string&, const std::string&) override { return false; }
  bool AskNewFolder(NewFolderRequest&) override { return false; }
  bool AskNewItem(NewItemRequest&, const std::string&) override { return false; }
  bool AskWebImport(WebImportRequest&) override { return false; }
  std::unique_ptr<ProgressReport> BeginProgress(const std::string&) override {
    struct Silent : ProgressReport {
      bool Step(size_t, size_t) override { return true; }
    };
    return std::make_unique<Silent>();
  }
  bool AskFolders(FolderPickMode, const std::vector<std::string>&, std::vector<std::string>&) override { return false; }
  void ShowNodeProperties(const NodeProperties&) override {}
  bool AskNewPassword(const std::string&, std::string&) override { return false; }
  bool PickColor(COLORREF&) override { return false; }
  bool PickFont(LOGFONTA&) override { return false; }
};

}  // namespace vellora
