#pragma once
// Drives a modal dialog of this process from a second thread, as a user at
// the keyboard would: find it by its caption, fill its controls, click.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace vtest {

// The top-level window of this process with that caption (null after the wait).
HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = 10000);
// Answers the message box with that caption by clicking the button; its text in `text`.
bool AnswerMessageBox(const std::string& caption, int button, std::string* text = nullptr);
// The text of a control of another thread's dialog.
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// Clicks a button (posted, so a dialog it opens does not block the driver).
void Click(HWND dialog, int id);

// Runs the driver on a thread of its own while the calling thread runs the
// dialog; joins it afterwards.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void()> drive) : thread_(std::move(drive)) {}
  ~DialogDriver() {
    if (thread_.joinable()) thread_.join();
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

 private:
  std::thread thread_;
};

}  // namespace vtest
