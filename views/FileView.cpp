#include "views/FileView.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>

#include "content/CommandIds.h"
#include "content/WorkingFolder.h"
#include "store/LibraryFormat.h"
#include "views/ViewFind.h"
#include "views/ViewMenus.h"
#include "views/ViewResourceIds.h"
#include "views/ViewTexts.h"

namespace vellora {

namespace {

constexpr int kIconSize = 32;

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The extension the shell picks an icon by, in lower case ("" for none).
std::string ExtensionKey(const std::string& name) {
  std::string file = FileNamePart(name);
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string key = file.substr(dot);
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

bool OpenWithShell(const std::string& path) {
  HINSTANCE result = ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

FileView::FileView(UserPrompt& prompt, const TextSource& texts)
    : openFile(OpenWithShell), prompt_(prompt), texts_(texts), workingFolder_(WorkingFolderPath()) {
  host_.onNotify = [this](NMHDR* header) { return OnNotify(header); };
  host_.onContextMenu = [this](POINT screen) { ShowContextMenu(screen); };
}

FileView::~FileView() { host_.Destroy(); }

bool FileView::Create(HWND parent) {
  if (!host_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, 0)) return false;
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              LVS_EDITLABELS | LVS_SHAREIMAGELISTS,
                          0, 0, 0, 0, host_.Handle(), reinterpret_cast<HMENU>(IDC_FILE_VIEW),
                          GetModuleHandleA(nullptr), nullptr);
  if (!list_) return false;
  host_.SetControl(list_);
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  icons_.Reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 0, 4));
  ListView_SetImageList(list_, icons_.Get(), LVSIL_NORMAL);
  return true;
}

// ---- showing ------------------------------------------------------------------

int FileView::IconForName(const std::string& name) {
  std::string key = ExtensionKey(name);
  auto found = iconOfExtension_.find(key);
  if (found != iconOfExtension_.end()) return found->second;
  // The icon the shell shows for any file of that name: the file need not exist.
  SHFILEINFOA info = {};
  int image = -1;
  if (SHGetFileInfoA(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES) &&
      info.hIcon) {
    IconHandle icon(info.hIcon);
    image = ImageList_AddIcon(icons_.Get(), icon.Get());
  }
  iconOfExtension_[key] = image;
  return image;
}

int FileView::IconOfFile(const std::string& path) {
  SHFILEINFOA info = {};
  if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) && info.hIcon) {
    IconHandle icon(info.hIcon);
    int image = ImageList_AddIcon(icons_.Get(), icon.Get());
    if (image >= 0) return image;
  }
  return IconForName(path);
}

void FileView::AppendItem(const FileEntry& entry, int image) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = const_cast<char*>(entry.title.c_str());
  item.iImage = image;
  ListView_InsertItem(list_, &item);
}

bool FileView::Load(const ItemSource& source) {
  Clear();
  source_ = &source;
  FileFolderRead read;
  int missing = 0;
  bool opened = false;
  {
    OpenedItem item;
    opened = SUCCEEDED(source.Open(false, item));
    if (opened) {
      read = ReadFileEntries(item, entries_);
      canEmbed_ = !item.itemStorage.Empty();
      for (const FileEntry& entry : entries_)
        if (entry.Embedded() && !(canEmbed_ && StreamExists(item.itemStorage, entry.streamName))) ++missing;
    }
  }
  locked_ = !opened || read.damaged;
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  for (const FileEntry& entry : entries_) AppendItem(entry, IconForName(entry.title));
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  if (locked_)
    Tell(texts_.TextOr(kTextFilesDamaged,
                       "Part of this file folder could not be read.\nThe entries before the damage are shown; the "
                       "item is left as it is in the library."));
  if (missing > 0)
    Tell(FormatText(texts_, kTextEmbeddedMissingOnLoad,
                    "The bytes of %d embedded file(s) of this item are missing from the library.\nTheir entries "
                    "stay, but they cannot be opened or exported.",
                    missing));
  return !locked_;
}

void FileView::Clear() {
  source_ = nullptr;
  entries_.clear();
  changes_.Clear();
  locked_ = false;
  unstored_ = false;
  canEmbed_ = false;
  if (list_) ListView_DeleteAllItems(list_);
  if (icons_) ImageList_RemoveAll(icons_.Get());
  iconOfExtension_.clear();
}

int FileView::SelectedEntry() const {
  if (!list_) return -1;
  int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
}

void FileView::SelectEntry(int index) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, index, FALSE);
}

void FileView::Tell(const std::string& text, UINT icon) {
  prompt_.ShowMessage(text, texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | icon);
}

HWND FileView::Owner() const {
  HWND root = GetAncestor(host_.Handle(), GA_ROOT);
  return root ? root : host_.Handle();
}

// ---- writing ------------------------------------------------------------------

bool FileView::Store() { return !unstored_ || Write(); }

HRESULT FileView::WriteItem() {
  if (!source_ || locked_ || readOnly_) return E_ACCESSDENIED;
  HRESULT hr;
  {
    OpenedItem item;
    hr = source_->OpenForUpdate(item);
    if (SUCCEEDED(hr)) hr = WriteFileFolder(item, entries_, changes_);
    if (SUCCEEDED(hr)) hr = item.Commit();
  }
  if (FAILED(hr)) return hr;
  changes_.Clear();
  unstored_ = false;
  if (wiring.onStored) wiring.onStored();
  return S_OK;
}

bool FileView::Write() {
  if (!source_ || locked_ || readOnly_) return false;
  if (SUCCEEDED(WriteItem())) return true;
  unstored_ = true;
  Tell(texts_.TextOr(kTextStoreFailed,
                     "The change could not be written to the library.\nIt stays in the view and is written again "
                     "when you leave the item or save the library."));
  return false;
}

// ---- messages -------------------------------------------------------------------

LRESULT FileView::OnNotify(NMHDR* header) {
  if (!header || header->hwndFrom != list_) return 0;
  switch (header->code) {
    case LVN_BEGINLABELEDITA: return CanEdit() ? FALSE : TRUE;
    case LVN_ENDLABELEDITA: {
      const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
      // The view sets the label itself: the title may gain "(2)".
      if (item.pszText) RenameEntry(item.iItem, item.pszText);
      return FALSE;
    }
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_DELETE) DeleteSelected();
      else if (key == VK_F2) HandleCommand(ID_FILES_RENAME);
      return 0;
    }
    case NM_RETURN: OpenSelected(); return 0;
    case NM_DBLCLK:
      // Only a double-click on an entry opens it.
      if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0) OpenSelected();
      return 0;
    default: return 0;
  }
}

void FileView::ShowContextMenu(POINT screen) {
  if (!source_ || !list_) return;
  if (screen.x == -1 && screen.y == -1) {
    RECT rc = {};
    int selected = SelectedEntry();
    if (selected >= 0 && ListView_GetItemRect(list_, selected, &rc, LVIR_ICON)) screen = POINT{rc.left, rc.bottom};
    else screen = POINT{0, 0};
    ClientToScreen(list_, &screen);
  } else {
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(list_, &hit.pt);
    int index = ListView_HitTest(list_, &hit);
    // The menu is about the entry under the mouse, and so is the selection.
    SelectEntry(index >= 0 && (hit.flags & LVHT_ONITEM) ? index : -1);
  }
  HMENU popup = nullptr;
  MenuHandle menu = LoadViewPopup(VIEWPOP_POS_FILES, popup);
  if (!popup) return;
  const int selected = SelectedEntry();
  if (selected < 0) RemoveCommands(popup, {ID_FILES_EXPORT, ID_FILES_OPEN, ID_FILES_DELETE, ID_FILES_RENAME});
  else if (!entries_[static_cast<size_t>(selected)].Embedded()) RemoveCommands(popup, {ID_FILES_EXPORT});
  TidySeparators(popup);
  if (wiring.trackPopup) wiring.trackPopup(popup, screen);
}

// ---- commands -------------------------------------------------------------------

bool FileView::HandleCommand(UINT id) {
  switch (id) {
    case ID_FILES_ADD_LINK: AddFile(false); return true;
    case ID_FILES_ADD_EMBED: AddFile(true); return true;
    case ID_FILES_OPEN: OpenSelected(); return true;
    case ID_FILES_DELETE: DeleteSelected(); return true;
    case ID_FILES_RENAME: {
      int selected = SelectedEntry();
      if (CanEdit() && selected >= 0) {
        SetFocus(list_);
        ListView_EditLabel(list_, selected);
      }
      return true;
    }
    case ID_FILES_EXPORT: ExportSelected(); return true;
    default: return false;
  }
}

bool FileView::QueryCommand(UINT id, CommandUi& ui) const {
  const int selected = SelectedEntry();
  const bool edit = CanEdit();
  switch (id) {
    case ID_FILES_ADD_LINK: ui.enabled = edit; return true;
    case ID_FILES_ADD_EMBED: ui.enabled = edit && canEmbed_; return true;
    case ID_FILES_OPEN: ui.enabled = source_ && selected >= 0; return true;
    case ID_FILES_DELETE:
    case ID_FILES_RENAME: ui.enabled = edit && selected >= 0; return true;
    case ID_FILES_EXPORT:
      ui.enabled = source_ && selected >= 0 && entries_[static_cast<size_t>(selected)].Embedded();
      return true;
    default: return false;
  }
}

void FileView::AddFile(bool embed) {
  if (!CanEdit() || (embed && !canEmbed_)) return;
  FileDialogRequest request;
  request.title = "Open all files";
  request.filter = "All Files(*.*)|*.*|";
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST;
  std::string path;
  if (!prompt_.ChooseFile(request, path) || path.empty()) return;

  FileEntry entry;
  entry.title = UniqueTitle(path, [&](const std::string& title) {
    return std::any_of(entries_.begin(), entries_.end(), [&](const FileEntry& e) { return e.title == title; });
  });
  entry.sourcePath = path;
  entry.flags = embed ? kEmbeddedFileFlag : 0;
  if (embed) {
    OpenedItem item;
    if (FAILED(source_->Open(false, item))) {
      Tell(FormatText(texts_, kTextEmbedFailed, "The file could not be embedded:\n%s", path));
      return;
    }
    // A stream of its own, whatever the other entries are called.
    entry.streamName = NewStreamName(path, [&](const std::string& name) {
      return item.itemStorage.FindElement(name.c_str()) != ElementType::None ||
             std::any_of(entries_.begin(), entries_.end(),
                         [&](const FileEntry& e) { return e.Embedded() && SameName(e.streamName, name); });
    });
  }
  entries_.push_back(entry);
  AppendItem(entry, IconOfFile(path));
  SelectEntry(static_cast<int>(entries_.size()) - 1);
  if (!embed) {
    Write();
    return;
  }
  // The bytes go in with the record, in the one update the store makes: a
  // store that fails leaves neither, and the entry is taken back.
  if (SUCCEEDED(WriteItem())) return;
  entries_.pop_back();
  ListView_DeleteItem(list_, static_cast<int>(entries_.size()));
  Tell(FormatText(texts_, kTextEmbedFailed, "The file could not be embedded:\n%s", path));
}

void FileView::OpenSelected() {
  const int selected = SelectedEntry();
  if (!source_ || selected < 0) return;
  const FileEntry& entry = entries_[static_cast<size_t>(selected)];
  std::string target;
  if (entry.Embedded()) {
    HRESULT hr;
    bool present = false;
    {
      OpenedItem item;
      hr = source_->Open(false, item);
      present = SUCCEEDED(hr) && StreamExists(item.itemStorage, entry.streamName);
      if (present) hr = WriteWorkingCopy(item.itemStorage, entry, workingFolder_, target);
    }
    if (!present) {
      Tell(FormatText(texts_, kTextEmbeddedMissing, "The embedded file of \"%s\" is missing from the library.",
                      CutToBytes(entry.title, 260)));
      return;
    }
    if (FAILED(hr)) {
      Tell(FormatText(texts_, kTextExportFailed, "The file could not be written:\n%s",
                      workingFolder_ + "\\" + WorkingCopyName(entry.streamName)));
      return;
    }
  } else {
    if (GetFileAttributesA(entry.sourcePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Tell("The file that this link refer is not existent, item is invalid!");
      return;
    }
    target = entry.sourcePath;
  }
  if (!openFile || !openFile(target))
    prompt_.ShowMessage(texts_.TextOr(kTextShellOpenFailed, "The file could not be opened."),
                        texts_.TextOr(kTextTipCaption, "Sorry"), MB_OK | MB_ICONWARNING);
}

void FileView::DeleteSelected() {
  const int selected = SelectedEntry();
  if (!CanEdit() || selected < 0) return;
  if (prompt_.ShowMessage(texts_.TextOr(kTextDeleteFileQuestion, "Delete the selected file entry?"),
                          texts_.TextOr(kTextDeleteFileCaption, "Delete"), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  const FileEntry& entry = entries_[static_cast<size_t>(selected)];
  if (entry.Embedded()) changes_.dropped.push_back(entry.streamName);
  entries_.erase(entries_.begin() + selected);
  ListView_DeleteItem(list_, selected);
  ListView_Arrange(list_, LVA_ALIGNTOP);
  Write();
}

bool FileView::RenameEntry(int index, const std::string& text) {
  if (!CanEdit() || index < 0 || index >= static_cast<int>(entries_.size())) return false;
  if (text.empty()) {
    Tell("The name can not be empty!", MB_ICONINFORMATION);
    return false;
  }
  FileEntry& entry = entries_[static_cast<size_t>(index)];
  std::string title = UniqueTitle(text, [&](const std::string& candidate) {
    for (size_t i = 0; i < entries_.size(); ++i)
      if (static_cast<int>(i) != index && entries_[i].title == candidate) return true;
    return false;
  });
  if (title == entry.title) return false;
  entry.title = title;
  if (entry.Embedded()) {
    // The stream follows the title where it can, so that readers who name
    // streams after titles still find it.
    OpenedItem item;
    if (SUCCEEDED(source_->Open(false, item)) && StreamExists(item.itemStorage, entry.streamName)) {
      std::string current = entry.streamName;
      std::string wanted = NewStreamName(title, [&](const std::string& name) {
        if (SameName(name, current)) return false;
        return item.itemStorage.FindElement(name.c_str()) != ElementType::None ||
               std::any_of(entries_.begin(), entries_.end(),
                           [&](const FileEntry& e) { return e.Embedded() && SameName(e.streamName, name); });
      });
      if (!SameName(wanted, current)) {
        changes_.renamed.emplace_back(current, wanted);
        entry.streamName = wanted;
      }
    }
  }
  ListView_SetItemText(list_, index, 0, const_cast<char*>(entry.title.c_str()));
  Write();
  return true;
}

void FileView::ExportSelected() {
  const int selected = SelectedEntry();
  if (!source_ || selected < 0) return;
  const FileEntry& entry = entries_[static_cast<size_t>(selected)];
  if (!entry.Embedded()) return;
  auto present = [&] {
    OpenedItem item;
    return SUCCEEDED(source_->Open(false, item)) && StreamExists(item.itemStorage, entry.streamName);
  };
  // Bytes that are not there are told before a file name is asked for.
  if (!present()) {
    Tell(FormatText(texts_, kTextEmbeddedMissing, "The embedded file of \"%s\" is missing from the library.",
                    CutToBytes(entry.title, 260)));
    return;
  }
  FileDialogRequest request;
  request.save = true;
  request.title = "Export File";
  request.filter = "All Files(*.*)|*.*|";
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  request.initialName = ExportFileName(entry);
  std::string path;
  if (!prompt_.ChooseFile(request, path) || path.empty()) return;
  HRESULT hr;
  {
    OpenedItem item;
    hr = source_->Open(false, item);
    if (SUCCEEDED(hr)) hr = ExportEmbeddedFile(item.itemStorage, entry.streamName, path);
  }
  if (FAILED(hr)) Tell(FormatText(texts_, kTextExportFailed, "The file could not be written:\n%s", path));
}

bool FileView::Find(const std::string& text, bool textOnly) {
  if (textOnly || !list_ || !FindInListRows(list_, text, false)) return false;
  SetFocus(list_);
  return true;
}

bool FileView::ApplyLook(const LibraryLook& look) {
  look_.Apply(list_, look.fileBack, look.fileText);
  return true;
}

std::unique_ptr<PageProvider> FileView::PrintPages(const PrinterSettings& printer) const {
  if (!list_) return nullptr;
  return std::make_unique<WindowPageProvider>(list_, "Vellora - FolderView Print", printer.margins);
}

}  // namespace vellora
