#pragma once
// The common ground of the frame tests: common controls and rich edit loaded,
// a document rig for the library and its registry key, and the real main
// frame of this process made, shown and torn down.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "tests/TestSupport.h"
#include "tests/e2e/NoteLibrary.h"
#include "tests/store/DocumentFixtures.h"

namespace vtest {

// The first of first and its following siblings in the tree control titled title.
HTREEITEM FindTitle(HWND tree, HTREEITEM first, const char* title);

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
