#include "collector/SaveToDialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "collector/CaptureRules.h"
#include "collector/CollectorIds.h"
#include "collector/CollectorModule.h"
#include "collector/MainProgram.h"
#include "collector/RichTextComposer.h"
#include "collector/RoundButtons.h"
#include "collector/TargetLibrary.h"
#include "collector/WebArchive.h"
#include "platform/GdiHandles.h"
#include "platform/ModalDialog.h"

namespace vellora::collector {

namespace {

constexpr char kCaption[] = "Vellora";
constexpr char kEmptyTitle[] = "Sorry but the node title can not be empty.";
constexpr char kForbiddenTitle[] = "Sorry but the title name can not contain \\/:!.";
constexpr char kNoNodeSelected[] = "Please select a node to insert the selections.";
constexpr char kNotOverwritable[] = "Sorry but the target node can not be overwriten!";
constexpr char kProtectedNode[] =
    "Sorry but the selected node is protected by a password and can not be overwritten.\n"
    "A new node can still be inserted beside it.";
constexpr char kOpenFailed[] =
    "Sorry but program system failed to open the lastest library file!\n"
    "That file maybe deleted or moved,or it is opened already?";
constexpr char kProgramRunning[] =
    "The main program has already been running, and it modified the current library,\n"
    "if you continue, the system must close the running main program first and write the IE selections into that "
    "library.\nAre you sure?";
constexpr char kReleaseRefused[] = "The main program did not let the library file go; nothing was written.";
constexpr char kNoAnswerYet[] =
    "The main program has not answered yet; it may still be saving the library, so nothing has been written.\n"
    "What you captured is kept: press Retry once the main program has closed, or Cancel to give it up.";
constexpr char kFileStillInUse[] =
    "The library file is still in use, so nothing has been written.\n"
    "What you captured is kept: press Retry once the file is free, or Cancel to give it up.";
constexpr char kListFailed[] = "Fail to list the storages in library file!";
constexpr char kDamagedLibrary[] =
    "The library file is damaged, so nothing is written into it. Open it in Vellora to check it and to save what "
    "can still be read. What is wrong:";
constexpr char kWriteFailed[] =
    "Sorry but the node could not be written into the library; the library was left as it was.";
constexpr char kCommitFailed[] = "Sorry but the library file could not be saved; it was left as it was.";
constexpr char kPageNotSaved[] =
    "Sorry but the web page could not be saved, so nothing was written.\n"
    "You can still save its address only.";
constexpr char kTextNotComposed[] = "Sorry but the selected text could not be put into the node; nothing was written.";

// Tree colours and images (bitmap 202: four 20-pixel images, magenta transparent).
const COLORREF kTreeBack = RGB(192, 220, 192);
const COLORREF kTreeText = RGB(89, 74, 74);
const COLORREF kBannerText = RGB(34, 112, 42);
constexpr int kImageWidth = 20;
constexpr int kImageNode = 0, kImageNodeSelected = 1, kImageLeaf = 2, kImageLeafSelected = 3;
constexpr int kBannerHeight = 60;
// "华文行楷" in GB2312: the banner's decorative face.
constexpr char kBannerFace[] = "\xBB\xAA\xCE\xC4\xD0\xD0\xBF\xAC";
constexpr size_t kMaxNodeTextInBox = 511;

std::string WindowTextOf(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

class SaveToDialog : public ModalDialog {
 public:
  SaveToDialog(PageCapture& capture, const HandOverTimings& timings) : capture_(capture), timings_(timings) {}

  void Show(HWND owner) {
    Run(owner, IDD_SAVE_TO, ModuleInstance());
    library_.Close();
  }

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCancel() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void OnTreeSelectionChanged();
  void OnDestroy();

  void SetUpAppearance();
  bool OpenLibrary();
  // Asks the running main program for the library and opens it once the
  // file is free; the user decides how long to wait.
  bool TakeOverFromProgram(HWND program, const std::string& path);
  void FillFolderList();
  void LoadChosenFolder();
  void FillTree();
  void ClearTree();
  void InsertBranch(HTREEITEM parent, const FolderNode& node);
  void SetDefaults();
  void OnAddMode(bool overwrite);

  // OK and Run Main Program: true when the capture was written and committed.
  bool Save();
  bool BuildContent(const FolderNode* node, bool overwrite, LeafContent& content);
  void RecoverFromFailedWrite();
  void FinishDialog(int result);

  const FolderNode* SelectedNode() const;
  void ShowItem(int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }
  // A damaged library is never written into: the user is told what is wrong.
  void TellDamaged() {
    const std::string text = std::string(kDamagedLibrary) + "\n\n" + library_.Damage();
    Tell(text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
  }
  int Tell(const char* text, const char* caption, UINT type) {
    return MessageBoxA(Handle(), text, caption, type);
  }
  bool HasSelectionText() const { return !capture_.selectionText.empty(); }

  PageCapture& capture_;
  const HandOverTimings timings_;
  HWND tree_ = nullptr;
  TargetLibrary library_;
  // Set when the main program was asked to close for us: it is started again
  // when the dialog goes, whichever way it ends.
  bool restartProgram_ = false;
  bool filling_ = false;
  ImageListHandle images_;
  FontHandle bannerFont_;
};

INT_PTR SaveToDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_SAVE_TO_TREE && header->code == TVN_SELCHANGEDA) OnTreeSelectionChanged();
      return FALSE;
    }
    case WM_DRAWITEM:
      DrawRoundButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Item(IDC_SAVE_TO_BANNER)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kBannerText);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      handled = false;
      return FALSE;
  }
}

bool SaveToDialog::OnInit() {
  tree_ = Item(IDC_SAVE_TO_TREE);
  SetUpAppearance();
  CentreOnOwner();
  if (!OpenLibrary()) {
    End(IDCANCEL);
    return true;
  }
  FillFolderList();
  SetItemText(IDC_SAVE_TO_TITLE, capture_.title);
  SetItemText(IDC_SAVE_TO_LINK, capture_.link);
  SetDefaults();
  return true;
}

void SaveToDialog::SetUpAppearance() {
  TreeView_SetBkColor(tree_, kTreeBack);
  TreeView_SetTextColor(tree_, kTreeText);
  images_.Reset(ImageList_LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDB_SAVE_TO_TREE), kImageWidth, 0,
                                     RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
  if (images_) TreeView_SetImageList(tree_, images_.Get(), TVSIL_NORMAL);

  HWND banner = Item(IDC_SAVE_TO_BANNER);
  LOGFONTA face = {};
  face.lfHeight = kBannerHeight;
  face.lfWeight = FW_NORMAL;
  face.lfCharSet = GB2312_CHARSET;
  face.lfQuality = ANTIALIASED_QUALITY;
  lstrcpynA(face.lfFaceName, kBannerFace, LF_FACESIZE);
  bannerFont_.Reset(CreateFontIndirectA(&face));
  if (bannerFont_) SendMessageA(banner, WM_SETFONT, reinterpret_cast<WPARAM>(bannerFont_.Get()), FALSE);
  // The tooltip belongs to the dialog and goes with it.
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ModuleInstance(), nullptr);
  if (tip) {
    static char bannerText[] = "Vellora";
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(banner);
    tool.lpszText = bannerText;
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (int id : {IDC_SAVE_TO_RUN_PROGRAM, IDOK, IDCANCEL}) AttachRoundButton(Item(id));
}

bool SaveToDialog::OpenLibrary() {
  const std::string path = NewestLibraryPath();
  HRESULT opened = library_.Open(path);
  if (SUCCEEDED(opened)) return true;
  if (opened == STG_E_DOCFILECORRUPT) {
    TellDamaged();
    return false;
  }
  HWND program = FindMainProgram();
  if (!program) {
    if (Tell(kOpenFailed, "Sorry", MB_YESNO | MB_ICONQUESTION) == IDYES) StartMainProgram(ModuleFolder(ModulePath()));
    return false;
  }
  if (Tell(kProgramRunning, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  if (!TakeOverFromProgram(program, path)) {
    // A program that closed for us comes back, even when nothing was written.
    restartProgram_ = !IsWindow(program);
    return false;
  }
  // The program saved and closed; it is started again at the end.
  restartProgram_ = true;
  EnableWindow(Item(IDC_SAVE_TO_RUN_PROGRAM), FALSE);
  return true;
}

bool SaveToDialog::TakeOverFromProgram(HWND program, const std::string& path) {
  DWORD processId = 0;
  GetWindowThreadProcessId(program, &processId);
  const ReleaseAnswer answer = RequestRelease(program, timings_.answerMs);
  if (answer == ReleaseAnswer::Refused) {
    Tell(kReleaseRefused, kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  // A request given up on is still the program's to answer: it is never sent
  // again, and the capture is kept until the file can be opened.
  for (;;) {
    if (answer == ReleaseAnswer::Released || !IsWindow(program)) WaitForProcessEnd(processId, timings_.exitMs);
    HRESULT hr = OpenWithRetries([&] { return library_.Open(path); }, timings_.reopenAttempts, timings_.reopenPauseMs);
    if (SUCCEEDED(hr)) return true;
    if (!library_.Damage().empty()) {
      TellDamaged();
      return false;
    }
    const bool stillAnswering = answer == ReleaseAnswer::NoAnswer && IsWindow(program);
    if (Tell(stillAnswering ? kNoAnswerYet : kFileStillInUse, kCaption, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
      return false;
  }
}

void SaveToDialog::FillFolderList() {
  HWND list = Item(IDC_SAVE_TO_FOLDERS);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  std::vector<std::string> names;
  library_.ListTreeFolders(names);
  for (const std::string& name : names) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  if (!names.empty()) {
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    LoadChosenFolder();
  }
}

void SaveToDialog::LoadChosenFolder() {
  HWND list = Item(IDC_SAVE_TO_FOLDERS);
  LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return;
  std::string name(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<size_t>(length));
  // The items point into the node list that the load replaces.
  ClearTree();
  int failedListings = 0;
  HRESULT hr = library_.LoadFolder(name, failedListings);
  if (failedListings > 0) Tell(kListFailed, "Error", MB_OK | MB_ICONERROR);
  if (FAILED(hr)) Tell(kListFailed, "Error", MB_OK | MB_ICONERROR);
  FillTree();
}

void SaveToDialog::ClearTree() {
  filling_ = true;
  SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tree_);
  SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
  filling_ = false;
}

void SaveToDialog::FillTree() {
  filling_ = true;
  SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tree_);
  for (const auto& node : library_.Roots()) InsertBranch(TVI_ROOT, *node);
  HTREEITEM last = nullptr;
  for (HTREEITEM item = TreeView_GetRoot(tree_); item; item = TreeView_GetNextSibling(tree_, item)) last = item;
  filling_ = false;
  if (last) TreeView_SelectItem(tree_, last);
  SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void SaveToDialog::InsertBranch(HTREEITEM parent, const FolderNode& node) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<char*>(node.displayText.c_str());
  insert.item.iImage = node.isFolderNode ? kImageNode : kImageLeaf;
  insert.item.iSelectedImage = node.isFolderNode ? kImageNodeSelected : kImageLeafSelected;
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  HTREEITEM item = TreeView_InsertItem(tree_, &insert);
  if (!item) return;
  for (const auto& child : node.children) InsertBranch(item, *child);
}

void SaveToDialog::SetDefaults() {
  const bool text = HasSelectionText();
  for (int id : {IDC_SAVE_TO_OVERWRITE_ALL, IDC_SAVE_TO_APPEND, IDC_SAVE_TO_INSERT_FRONT}) ShowItem(id, text);
  for (int id : {IDC_SAVE_TO_ADDRESS_ONLY, IDC_SAVE_TO_EMBED_PAGE}) ShowItem(id, !text);
  CheckRadioButton(Handle(), IDC_SAVE_TO_OVERWRITE_ALL, IDC_SAVE_TO_INSERT_FRONT, 0);
  SetChecked(IDC_SAVE_TO_ADDRESS_ONLY, !text);
  SetChecked(IDC_SAVE_TO_EMBED_PAGE, false);
  SetChecked(IDC_SAVE_TO_APPEND, text);
  SetChecked(IDC_SAVE_TO_INSERT, !text);
  SetChecked(IDC_SAVE_TO_OVERWRITE, text);
  // The page title, in either mode: a node's name only comes in when the
  // user clicks "Overwrite selected node" or picks a node while it is checked.
  HWND title = Item(IDC_SAVE_TO_TITLE);
  EnableWindow(title, TRUE);
  SetWindowTextA(title, capture_.title.c_str());
}

void SaveToDialog::OnAddMode(bool overwrite) {
  HWND title = Item(IDC_SAVE_TO_TITLE);
  EnableWindow(title, !overwrite);
  if (!overwrite) {
    SetWindowTextA(title, capture_.title.c_str());
    return;
  }
  const FolderNode* node = SelectedNode();
  std::string shown = node ? CutToBytes(node->displayText, kMaxNodeTextInBox) : std::string();
  SetWindowTextA(title, shown.c_str());
}

void SaveToDialog::OnTreeSelectionChanged() {
  if (!filling_ && IsChecked(IDC_SAVE_TO_OVERWRITE)) OnAddMode(true);
}

// Both end the dialog themselves, once its tree has let go of the nodes.
bool SaveToDialog::OnOk() {
  if (Save()) FinishDialog(IDOK);
  return false;
}

bool SaveToDialog::OnCancel() {
  FinishDialog(IDCANCEL);
  return false;
}

bool SaveToDialog::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_SAVE_TO_FOLDERS:
      if (code == CBN_SELCHANGE) LoadChosenFolder();
      return true;
    case IDC_SAVE_TO_INSERT:
    case IDC_SAVE_TO_OVERWRITE:
      if (code == BN_CLICKED) OnAddMode(id == IDC_SAVE_TO_OVERWRITE);
      return true;
    case IDOK:
      OnOk();
      return true;
    case IDC_SAVE_TO_RUN_PROGRAM:
      if (Save()) {
        FinishDialog(IDOK);
        if (!restartProgram_) StartMainProgram(ModuleFolder(ModulePath()));
      }
      return true;
    default:
      return false;
  }
}

const FolderNode* SaveToDialog::SelectedNode() const {
  HTREEITEM item = TreeView_GetSelection(tree_);
  if (!item) return nullptr;
  TVITEMA data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(tree_, &data)) return nullptr;
  return reinterpret_cast<const FolderNode*>(data.lParam);
}

bool SaveToDialog::BuildContent(const FolderNode* node, bool overwrite, LeafContent& content) {
  if (HasSelectionText()) {
    TextMode mode = IsChecked(IDC_SAVE_TO_OVERWRITE_ALL) ? TextMode::OverwriteAll
                    : IsChecked(IDC_SAVE_TO_INSERT_FRONT) ? TextMode::InsertIntoFront
                                                        : TextMode::AppendToLast;
    std::string oldContent;
    bool oldIsText = false;
    if (overwrite && mode != TextMode::OverwriteAll) {
      NodeInfoRecord record;
      if (!node || FAILED(library_.ReadLeaf(*node, record, oldContent))) {
        Tell(kWriteFailed, kCaption, MB_OK | MB_ICONERROR);
        return false;
      }
      oldIsText = record.kind == kItemText;
    }
    content.kind = kItemText;
    if (FAILED(ComposeRichText(Handle(), oldIsText ? &oldContent : nullptr, mode, capture_.selectionText,
                               content.bytes))) {
      Tell(kTextNotComposed, kCaption, MB_OK | MB_ICONERROR);
      return false;
    }
    return true;
  }
  if (IsChecked(IDC_SAVE_TO_ADDRESS_ONLY)) {
    content = LinkContent(capture_.link);
    return true;
  }
  content.kind = kItemWebArchive;
  if (FAILED(ArchiveDocument(capture_.document.Get(), capture_.address, capture_.title, content.bytes))) {
    Tell(kPageNotSaved, kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}

bool SaveToDialog::Save() {
  const std::string title = TitleFromBox(WindowTextOf(Item(IDC_SAVE_TO_TITLE)));
  if (title.empty()) {
    Tell(kEmptyTitle, kCaption, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  if (HasForbiddenCharacter(title)) {
    Tell(kForbiddenTitle, kCaption, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  const FolderNode* node = SelectedNode();
  const bool overwrite = IsChecked(IDC_SAVE_TO_OVERWRITE);
  // A folder without nodes offers nothing to select: a new node is its first.
  const bool firstNode = !node && !overwrite && library_.Roots().empty() && !library_.FolderName().empty();
  if (!node && !firstNode) {
    Tell(kNoNodeSelected, kCaption, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  if (overwrite && node->isFolderNode) {
    Tell(kNotOverwritable, kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  if (overwrite && node->isProtected) {
    Tell(kProtectedNode, kCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  // Everything that can fail without touching the file comes first.
  LeafContent content;
  if (!BuildContent(node, overwrite, content)) return false;

  HRESULT hr = overwrite ? library_.OverwriteLeaf(*node, content)
               : node    ? library_.InsertNode(*node, title, content)
                         : library_.AddToEmptyFolder(title, content);
  if (FAILED(hr)) {
    if (hr == kNotALeaf) Tell(kNotOverwritable, kCaption, MB_OK | MB_ICONWARNING);
    else if (hr == kProtectedLeaf) Tell(kProtectedNode, kCaption, MB_OK | MB_ICONWARNING);
    else Tell(kWriteFailed, kCaption, MB_OK | MB_ICONERROR);
    RecoverFromFailedWrite();
    return false;
  }
  hr = library_.Commit();
  if (FAILED(hr)) {
    // The root was not committed: closing it leaves the file as it was. The
    // items go first, as they point into the nodes that go with it.
    ClearTree();
    library_.Close();
    Tell(kCommitFailed, kCaption, MB_OK | MB_ICONERROR);
    FinishDialog(IDCANCEL);
    return false;
  }
  return true;
}

void SaveToDialog::RecoverFromFailedWrite() {
  // Whatever the attempt had written is dropped with the folder's
  // transaction; the tree is listed again from what is really there.
  ClearTree();
  int failedListings = 0;
  library_.DiscardChanges(failedListings);
  FillTree();
}

void SaveToDialog::FinishDialog(int result) {
  // The items may point at nodes that are gone; they go now, while the tree
  // draws nothing (one by one with drawing on takes seconds for big trees).
  ClearTree();
  filling_ = true;
  End(result);
}

void SaveToDialog::OnDestroy() {
  for (int id : {IDC_SAVE_TO_RUN_PROGRAM, IDOK, IDCANCEL}) DetachRoundButton(Item(id));
  filling_ = true;
  TreeView_SetImageList(tree_, nullptr, TVSIL_NORMAL);
  // The library goes before the program may want it back.
  library_.Close();
  if (restartProgram_) StartMainProgram(ModuleFolder(ModulePath()));
}

}  // namespace

void RunSaveToDialog(PageCapture& capture, HWND owner, const HandOverTimings& timings) {
  SaveToDialog dialog(capture, timings);
  dialog.Show(owner);
}

}  // namespace vellora::collector
