#pragma once
// The user prompt of the running program: real message boxes and dialogs,
// owned by the main window.
#include <windows.h>

#include "content/ContentPrompt.h"
#include "store/Services.h"

namespace vellora {

class WindowPrompt : public ContentPrompt {
 public:
  explicit WindowPrompt(const TextSource& texts) : texts_(texts) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  int ShowMessage(const std::string& text, const std::string& caption, UINT type) override;
  bool ChooseFile(const FileDialogRequest& request, std::string& path) override;
  bool AskPassword(const std::string& displayName, const std::string& password) override;
  int ShowWelcome() override;
  int ShowWelcomeAfterDamage(const std::string& reason) override;
  bool AskName(const std::string& caption, const std::string& initial, std::string& answer,
               const std::string& label) override;
  bool AskNewFolder(NewFolderRequest& answer) override;
  bool AskNewItem(NewItemRequest& answer, const std::string& caption) override;
  bool AskWebImport(WebImportRequest& answer) override;
  std::unique_ptr<ProgressReport> BeginProgress(const std::string& caption) override;
  bool AskFolders(FolderPickMode mode, const std::vector<std::string>& names,
                  std::vector<std::string>& checked) override;
  void ShowNodeProperties(const NodeProperties& properties) override;
  bool AskNewPassword(const std::string& current, std::string& answer) override;
  bool PickColor(COLORREF& color) override;
  bool PickFont(LOGFONTA& font) override;

 private:
  const TextSource& texts_;
  HWND owner_ = nullptr;
};

// The filter of a file dialog from its '|'-separated form.
std::string DialogFilter(const std::string& separated);

}  // namespace vellora
