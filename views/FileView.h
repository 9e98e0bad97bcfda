#pragma once
// The file view: the editor of File Folder items, one icon-mode list view
// (id 107) reused for every such item. Entries are links to files on disk or
// files embedded in the item's storage; they are added from the open-file
// dialog, opened with the program the system associates with them, renamed
// in place, exported and deleted, and every change is written at once.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "content/FileFolder.h"
#include "platform/GdiHandles.h"
#include "store/Services.h"
#include "store/UserPrompt.h"
#include "views/ItemView.h"
#include "views/ViewLook.h"
#include "views/ViewHost.h"

namespace vellora {

class FileView : public ItemView {
 public:
  FileView(UserPrompt& prompt, const TextSource& texts);
  ~FileView() override;

  // Hands a file to the program the system opens it with; false when that
  // failed. The shell by default.
  std::function<bool(const std::string& path)> openFile;
  // Where opened copies of embedded files go ("TempVL" beside the program).
  void SetWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }

  ItemKind Kind() const override { return kItemFileFolder; }
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
  // The list as it is on screen, one page.
  std::unique_ptr<PageProvider> PrintPages(const PrinterSettings& printer) const override;
  // The list part of the library's look.
  bool ApplyLook(const LibraryLook& look) override;

  // The right-click menu at a screen point, as the mouse brings it up.
  void ShowContextMenu(POINT screen);
  // What an in-place edit of an entry's label ending with text does; false
  // when the title stays as it was.
  bool RenameEntry(int index, const std::string& text);

  HWND List() const { return list_; }
  const std::vector<FileEntry>& Entries() const { return entries_; }
  // A damaged item is shown but never written.
  bool Locked() const { return locked_; }
  int SelectedEntry() const;
  void SelectEntry(int index);

 private:
  LRESULT OnNotify(NMHDR* header);
  bool CanEdit() const { return source_ && !readOnly_ && !locked_; }
  HWND Owner() const;
  int IconForName(const std::string& name);
  int IconOfFile(const std::string& path);
  void AppendItem(const FileEntry& entry, int image);
  // Writes the entries and the bytes of new embedded files in one update.
  HRESULT WriteItem();
  // WriteItem, telling a failure and keeping the change for the next try.
  bool Write();
  void Tell(const std::string& text, UINT icon = MB_ICONWARNING);

  void AddFile(bool embed);
  void OpenSelected();
  void DeleteSelected();
  void ExportSelected();

  UserPrompt& prompt_;
  const TextSource& texts_;
  ViewHost host_{"VelloraFileView"};
  HWND list_ = nullptr;
  ListLook look_;
  ImageListHandle icons_;
  std::map<std::string, int> iconOfExtension_;
  std::string workingFolder_;
  const ItemSource* source_ = nullptr;
  std::vector<FileEntry> entries_;  // in view order
  StreamChanges changes_;           // not yet written
  bool readOnly_ = false;
  bool locked_ = false;
  bool unstored_ = false;
  bool canEmbed_ = false;  // the item has a storage for embedded files
};

}  // namespace vellora
