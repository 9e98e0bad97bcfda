#pragma once
// A library document's host and prompt for programs without windows (the
// sample maker, the benchmarks, tests that only need a document): the host
// ignores what it is told, the prompt declines every question.
#include <cstdio>
#include <string>

#include "store/DocumentHost.h"
#include "store/UserPrompt.h"

namespace vellora {

class QuietHost : public DocumentHost {
 public:
  void StoreTextViewContent() override {}
  bool TextViewModified() override { return false; }
  void ClearViews() override {}
  void AddFolder(const std::string&, uint16_t) override {}
  std::string CurrentLocation() override { return {}; }
  bool GoToLocation(const std::string&) override { return false; }
  void SelectFirstFolder() override {}
  void SetTitle(const std::string&) override {}
  void RefreshBookmarkMenu() override {}
  void CloseMainWindow() override {}
};

// Messages go to the standard error stream; dialogs are cancelled.
class NoPrompt : public UserPrompt {
 public:
  int ShowMessage(const std::string& text, const std::string&, UINT) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return IDOK;
  }
  bool ChooseFile(const FileDialogRequest&, std::string&) override { return false; }
  bool AskPassword(const std::string&, const std::string&) override { return false; }
  int ShowWelcome() override { return kWelcomeExit; }
};

}  // namespace vellora
