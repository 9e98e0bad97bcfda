#pragma once
// The progress of a long export or import: a small dialog with a bar and a
// Cancel button, shown once the run has taken a moment (a short one never
// flashes it). While it is up, the owner takes no input and the dialog's own
// messages are handled at every step, so Cancel and repainting work.
#include <windows.h>

#include <string>

#include "content/ContentPrompt.h"

namespace vellora {

class ProgressDialog : public ProgressReport {
 public:
  // How long a run goes before the dialog shows.
  static constexpr DWORD kShowAfterMs = 400;

  ProgressDialog(HWND owner, std::string caption);
  ~ProgressDialog() override;
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  bool Step(size_t done, size_t total) override;
  bool Cancelled() const { return cancelled_; }
  HWND Handle() const { return dialog_; }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
  void Show();

  HWND owner_;
  std::string caption_;
  HWND dialog_ = nullptr;
  bool ownerWasEnabled_ = false;
  bool cancelled_ = false;
  DWORD started_;
};

}  // namespace vellora
