#pragma once
// The common ground of the frame tests: common controls and rich edit loaded,
// a document rig for the library and its registry key, and the real main
// frame of this process made, shown and torn down.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "tests/TestSupport.h"
#include "tests/e2e/NoteLibrary.h"
#include "tests/store/DocumentFixtures.h"

namespace vtest {

// The first of first and its following siblings in the tree control titled title.
HTREEITEM FindTitle(HWND tree, HTREEITEM first, const char* title);

// The list control of the data list or file view shown now in the frame.
HWND ShownList(HWND frame);

// Answers every dialog of this process whose caption is one of the watched
// ones with OK, having typed typed into its one-line edit (id 1037) when
// given, and keeps the texts it read, until it is destroyed.
class DialogWatcher {
 public:
  explicit DialogWatcher(std::vector<std::string> captions, std::string typed = {})
      : captions_(std::move(captions)), typed_(std::move(typed)) {
    thread_ = CreateThread(nullptr, 0, &DialogWatcher::Run, this, 0, nullptr);
  }
  ~DialogWatcher() {
    stop_ = true;
    if (thread_) {
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
    }
  }
  std::vector<std::string> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* w = static_cast<DialogWatcher*>(self);
    while (!w->stop_) {
      for (const std::string& caption : w->captions_) {
        HWND box = FindWindowA("#32770", caption.c_str());
        if (!box) continue;
        char text[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        {
          std::lock_guard<std::mutex> lock(w->mutex_);
          w->seen_.push_back(caption + ": " + text);
        }
        if (!w->typed_.empty()) SetDlgItemTextA(box, 1037, w->typed_.c_str());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);  // gone before the next look
      }
      Sleep(30);
    }
    return 0;
  }
  std::vector<std::string> captions_;
  std::string typed_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> seen_;
  HANDLE thread_ = nullptr;
};

class FrameFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes and shows the frame over setup (its registry key is the rig's).
  vellora::MainFrame& OpenFrame(vellora::FrameSetup setup);
  // The frame on path; its questions answered by the rig's script when scripted.
  vellora::MainFrame& OpenLibrary(const std::string& path, bool scripted);
  void Command(UINT id);
  std::string TreeFolder() const;
  std::string CatalogFolder() const;
  // The outlook bar group of that name (-1: none), and selecting it.
  int GroupOf(const std::string& name);
  void SelectGroup(const std::string& name);
  // The first node of that title below parent (null: the top level), and selecting it.
  vellora::NodeRef NodeTitled(const std::string& title, vellora::NodeRef parent = nullptr);
  void SelectNode(const std::string& title, vellora::NodeRef parent = nullptr);

  DocumentRig rig_;
  HMODULE richEdit_ = nullptr;
  std::unique_ptr<vellora::MainFrame> frame_;
};

}  // namespace vtest
