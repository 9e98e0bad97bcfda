#pragma once
// The data list view: the editor of Data List items, one report-style list
// view (id 105) reused for every list. The table lives in a DataList (the
// control shows it through owner data); rows are added and changed in the
// row dialog, columns inserted, renamed, deleted, dragged and sorted, and
// every change is written to the item at once.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "content/DataList.h"
#include "store/Services.h"
#include "store/UserPrompt.h"
#include "views/ItemView.h"
#include "views/ViewLook.h"
#include "views/ViewHost.h"

namespace vellora {

class DataListView : public ItemView {
 public:
  // sortMemory: the last sort of the program run, shared by all data lists.
  DataListView(UserPrompt& prompt, const TextSource& texts, SortMemory& sortMemory);
  ~DataListView() override;

  // The header's sort arrows (the frame's image list, kept by the frame).
  void SetSortImages(HIMAGELIST images, int ascending, int descending);

  ItemKind Kind() const override { return kItemDataList; }
  bool Create(HWND parent) override;
  HWND Window() const override { return host_.Handle(); }
  HWND FocusWindow() const override { return list_; }
  bool Load(const ItemSource& source) override;
  bool Store() override;
  bool Modified() const override { return unstored_; }
  void Clear() override;
  void SetReadOnly(bool readOnly) override { readOnly_ = readOnly; }
  bool HandleCommand(UINT id) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;
  // Rows from the one after the selection on (not for text-only finds).
  bool Find(const std::string& text, bool textOnly) override;
  // The list in the text form of an exported data list.
  bool PlainText(std::string& out) const override;
  // The list as it is on screen, one page.
  std::unique_ptr<PageProvider> PrintPages(const PrinterSettings& printer) const override;
  // The list part of the library's look.
  bool ApplyLook(const LibraryLook& look) override;

  // The right-click menu at a screen point, as the mouse brings it up.
  void ShowContextMenu(POINT screen);
  // A click on a column header.
  void SortByColumn(int column);
  // After a header was dragged: the table takes the header's order, which is
  // written (it is the order the file keeps).
  void FollowHeaderOrder();

  HWND List() const { return list_; }
  const DataList& Table() const { return table_; }
  // A damaged list, or one without a column count, is shown but never written.
  bool Locked() const { return locked_; }
  int ClickedColumn() const { return clickedColumn_; }
  void SetClickedColumn(int column) { clickedColumn_ = column; }
  int SelectedRow() const;
  void SelectRow(int row);

 private:
  LRESULT OnNotify(NMHDR* header);
  void FillColumns();
  void ShowRowCount();
  bool CanEdit() const { return source_ && !readOnly_ && !locked_; }
  HWND Owner() const;
  POINT AnchorBelow(int row) const;
  void ReadWidths();
  bool WidthsChanged() const;
  // Writes the table to the item; a failure is told and kept for the next try.
  bool Write();

  void AddRows();
  void ModifyRow();
  void DeleteRow();
  void InsertColumn();
  void RenameColumn();
  void DeleteColumn();
  void MoveRow(bool up);

  UserPrompt& prompt_;
  const TextSource& texts_;
  SortMemory& sortMemory_;
  ViewHost host_{"VelloraDataListView"};
  HWND list_ = nullptr;
  ListLook look_;
  const ItemSource* source_ = nullptr;
  DataList table_;
  bool readOnly_ = false;
  bool locked_ = false;
  bool unstored_ = false;
  int clickedColumn_ = -1;
  HIMAGELIST sortImages_ = nullptr;
  int ascendingImage_ = 0;
  int descendingImage_ = 1;
  int arrowColumn_ = -1;  // the header that shows a sort arrow
};

}  // namespace vellora
