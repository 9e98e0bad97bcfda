#pragma once
// Shown instead of an item when the selected tree node has children: one
// 36-pixel row per child with its title and an image, and an "Open" button
// that selects the chosen child in the tree.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace vellora {

class NodeListView : public Window {
 public:
  struct Row {
    std::string title;
    bool hasChildren = false;
  };
  // Called with the title of the row to open.
  std::function<void(const std::string&)> onOpen;

  void SetImages(HIMAGELIST images, int folderImage, int leafImage);
  void SetRows(const std::vector<Row>& rows);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int SelectedRow() const;
  HWND List() const { return list_; }
  HWND OpenButton() const { return button_; }
  void OpenSelected();

 protected:
  const char* ClassName() const override { return "VelloraNodeListView"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void DrawRow(const DRAWITEMSTRUCT& item);
  HWND list_ = nullptr;
  HWND button_ = nullptr;
  HIMAGELIST images_ = nullptr;
  int folderImage_ = 0, leafImage_ = 0;
  std::vector<Row> rows_;
};

}  // namespace vellora
