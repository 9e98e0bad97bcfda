#include "views/dialogs/AddItemDialog.h"

#include <commdlg.h>

#include <utility>

#include "store/LibraryFormat.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/InsertControlDialog.h"

namespace vellora {

namespace {

struct KindButton {
  int id;
  uint16_t kind;
};
constexpr KindButton kKinds[] = {{IDC_ITEM_KIND_TEXT, kItemText},     {IDC_ITEM_KIND_LIST, kItemDataList},
                                 {IDC_ITEM_KIND_WEB, kItemWebLink},    {IDC_ITEM_KIND_FILES, kItemFileFolder},
                                 {IDC_ITEM_KIND_TABS, kItemTabPages},  {IDC_ITEM_KIND_CONTROL, kItemOleControl}};

std::string ResourceString(UINT id, const char* fallback) {
  char text[256] = "";
  return LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text) > 0 ? std::string(text) : fallback;
}

RECT ChildRect(HWND dialog, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void MoveTo(HWND child, int top) {
  RECT r = ChildRect(GetParent(child), child);
  SetWindowPos(child, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

AddItemDialog::AddItemDialog(const TextSource& texts, std::string caption, bool allowTabPages)
    : texts_(texts), caption_(std::move(caption)), allowTabPages_(allowTabPages) {}

bool AddItemDialog::Ask(HWND owner, NewItemRequest& answer) {
  if (Run(owner, IDD_ADD_ITEM) != IDOK) return false;
  answer = answer_;
  return true;
}

bool AddItemDialog::OnInit() {
  SetWindowTextA(Handle(), (caption_.empty() ? texts_.TextOr(kTextAddItemCaption, "Add Information Item") : caption_).c_str());
  SendMessageA(Item(IDC_ITEM_TITLE), EM_LIMITTEXT, kMaxTitleBytes, 0);
  SendMessageA(Item(IDC_ITEM_LIST), LB_SETITEMHEIGHT, 0, kColumnRowHeight);
  if (!allowTabPages_) ShowWindow(Item(IDC_ITEM_KIND_TABS), SW_HIDE);
  SetChecked(IDC_ITEM_KIND_TEXT, true);
  RECT group = ChildRect(Handle(), Item(IDC_ITEM_LOWER_GROUP));
  lowerTop_ = group.top;
  lowerBottom_ = group.bottom;
  okTop_ = ChildRect(Handle(), Item(IDOK)).top;
  GetWindowRect(Handle(), &full_);
  Layout();
  CentreOnOwner();
  SetFocus(Item(IDC_ITEM_TITLE));
  return false;
}

uint16_t AddItemDialog::CheckedKind() const {
  for (const KindButton& k : kKinds)
    if (IsChecked(k.id)) return k.kind;
  return kItemText;
}

void AddItemDialog::Layout() {
  const uint16_t kind = CheckedKind();
  const bool list = kind == kItemDataList;
  const bool field = kind == kItemWebLink || kind == kItemOleControl;
  const int show = (list || field) ? SW_SHOW : SW_HIDE;
  for (int id : {IDC_ITEM_LOWER_GROUP, IDC_ITEM_LIST_LABEL, IDC_ITEM_LIST_EDIT, IDC_ITEM_LIST_ADD})
    ShowWindow(Item(id), show);
  for (int id : {IDC_ITEM_LIST, IDC_ITEM_LIST_DELETE, IDC_ITEM_LIST_UP, IDC_ITEM_LIST_DOWN})
    ShowWindow(Item(id), list ? SW_SHOW : SW_HIDE);
  if (list) {
    SetItemText(IDC_ITEM_LOWER_GROUP, "Column Info");
    SetItemText(IDC_ITEM_LIST_LABEL, "Column Title:");
    SetItemText(IDC_ITEM_LIST_ADD, "&Add");
    SendMessageA(Item(IDC_ITEM_LIST_EDIT), EM_LIMITTEXT, kMaxColumnBytes, 0);
  } else if (field) {
    const bool web = kind == kItemWebLink;
    SetItemText(IDC_ITEM_LOWER_GROUP, web ? "HTML Page" : "OLE Control");
    SetItemText(IDC_ITEM_LIST_LABEL, web ? "WebPage Address" : "Control ID:");
    SetItemText(IDC_ITEM_LIST_ADD, "B&rowse");
    SendMessageA(Item(IDC_ITEM_LIST_EDIT), EM_LIMITTEXT, kMaxAddressBytes, 0);
  }
  // The group ends below what it shows; the buttons and the dialog follow.
  RECT edit = ChildRect(Handle(), Item(IDC_ITEM_LIST_EDIT));
  RECT upper = ChildRect(Handle(), Item(IDC_ITEM_UPPER_GROUP));
  const int margin = okTop_ - lowerBottom_;
  int groupBottom = list ? lowerBottom_ : edit.bottom + (edit.top - lowerTop_) / 2;
  RECT group = ChildRect(Handle(), Item(IDC_ITEM_LOWER_GROUP));
  SetWindowPos(Item(IDC_ITEM_LOWER_GROUP), nullptr, 0, 0, group.right - group.left, groupBottom - lowerTop_,
               SWP_NOMOVE | SWP_NOZORDER);
  const int okTop = (list || field ? groupBottom : upper.bottom) + margin;
  MoveTo(Item(IDOK), okTop);
  MoveTo(Item(IDCANCEL), okTop);
  const int shrink = okTop_ - okTop;
  SetWindowPos(Handle(), nullptr, 0, 0, full_.right - full_.left, (full_.bottom - full_.top) - shrink,
               SWP_NOMOVE | SWP_NOZORDER);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void AddItemDialog::Warn(const std::string& text, const std::string& caption, UINT icon) {
  MessageBoxA(Handle(), text.c_str(), caption.c_str(), MB_OK | icon);
}

std::vector<std::string> AddItemDialog::Columns() const {
  std::vector<std::string> columns;
  HWND list = Item(IDC_ITEM_LIST);
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) continue;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    columns.push_back(text);
  }
  return columns;
}

void AddItemDialog::AddColumn() {
  const std::string fail = ResourceString(IDS_FAIL, "Fail");
  std::string title = ItemText(IDC_ITEM_LIST_EDIT, kMaxColumnBytes + 1);
  if (title.empty()) {
    Warn("Column title can not be empty.", fail, MB_ICONWARNING);
    return;
  }
  for (const std::string& existing : Columns()) {
    if (existing == title) {
      Warn("Column title can not be same.", fail, MB_ICONWARNING);
      return;
    }
  }
  SendMessageA(Item(IDC_ITEM_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
  SendMessageA(Item(IDC_ITEM_LIST_EDIT), EM_SETSEL, 0, -1);
  SetFocus(Item(IDC_ITEM_LIST_EDIT));
}

void AddItemDialog::DeleteColumn() {
  HWND list = Item(IDC_ITEM_LIST);
  LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (at == LB_ERR) return;
  LRESULT left = SendMessageA(list, LB_DELETESTRING, at, 0);
  if (left > 0) SendMessageA(list, LB_SETCURSEL, at < left ? at : left - 1, 0);
}

void AddItemDialog::MoveColumn(int delta) {
  HWND list = Item(IDC_ITEM_LIST);
  LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
  std::vector<std::string> columns = Columns();
  if (at == LB_ERR) return;
  const int from = static_cast<int>(at), to = from + delta;
  if (to < 0 || to >= static_cast<int>(columns.size())) return;
  std::swap(columns[static_cast<size_t>(from)], columns[static_cast<size_t>(to)]);
  SendMessageA(list, LB_DELETESTRING, from, 0);
  SendMessageA(list, LB_INSERTSTRING, from, reinterpret_cast<LPARAM>(columns[static_cast<size_t>(from)].c_str()));
  SendMessageA(list, LB_DELETESTRING, to, 0);
  SendMessageA(list, LB_INSERTSTRING, to, reinterpret_cast<LPARAM>(columns[static_cast<size_t>(to)].c_str()));
  SendMessageA(list, LB_SETCURSEL, to, 0);
}

void AddItemDialog::Browse() {
  if (CheckedKind() == kItemOleControl) {
    InsertControlDialog chooser;
    if (chooser.Ask(Handle())) SetItemText(IDC_ITEM_LIST_EDIT, chooser.ClassId());
    return;
  }
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = "HTML Page(*.HTM, *.HTML)\0*.htm;*.html\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&ofn)) SetItemText(IDC_ITEM_LIST_EDIT, file);
}

bool AddItemDialog::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  for (const KindButton& k : kKinds) {
    if (k.id == id) {
      Layout();
      return true;
    }
  }
  switch (id) {
    case IDC_ITEM_LIST_ADD:
      if (CheckedKind() == kItemDataList) AddColumn();
      else Browse();
      return true;
    case IDC_ITEM_LIST_DELETE: DeleteColumn(); return true;
    case IDC_ITEM_LIST_UP: MoveColumn(-1); return true;
    case IDC_ITEM_LIST_DOWN: MoveColumn(1); return true;
    default: return false;
  }
}

bool AddItemDialog::OnOk() {
  const std::string caption = texts_.TextOr(kTextTipCaption, "Tip");
  std::string title = ItemText(IDC_ITEM_TITLE, kMaxTitleBytes + 1);
  if (title.empty()) {
    Warn(ResourceString(IDS_EMPTY_TITLE, "Sorry but folder name can not be empty!"),
         ResourceString(IDS_FAIL, "Fail"), MB_ICONINFORMATION);
    SetFocus(Item(IDC_ITEM_TITLE));
    return false;
  }
  NewItemRequest answer;
  answer.title = title;
  answer.kind = CheckedKind();
  if (answer.kind == kItemDataList) {
    answer.columns = Columns();
    if (answer.columns.empty()) {
      Warn(texts_.TextOr(kTextListNeedsColumn, "A data list needs at least one column."), caption, MB_ICONINFORMATION);
      return false;
    }
  } else if (answer.kind == kItemWebLink || answer.kind == kItemOleControl) {
    answer.address = ItemText(IDC_ITEM_LIST_EDIT, kMaxAddressBytes + 1);
    if (answer.address.empty()) {
      Warn(texts_.TextOr(answer.kind == kItemWebLink ? kTextWebAddressEmpty : kTextControlIdEmpty, "Please fill in the field."), caption,
           MB_ICONINFORMATION);
      return false;
    }
  }
  answer_ = std::move(answer);
  return true;
}

}  // namespace vellora
