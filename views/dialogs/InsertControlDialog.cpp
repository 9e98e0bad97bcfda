#include "views/dialogs/InsertControlDialog.h"

#include <comcat.h>
#include <ole2.h>

#include "platform/ComPtr.h"
#include "store/StorageHandle.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {

// {40FC6ED4-2438-11CF-A3DB-080036F12502}
const CATID kControlCategory = {0x40fc6ed4, 0x2438, 0x11cf, {0xa3, 0xdb, 0x08, 0x00, 0x36, 0xf1, 0x25, 0x02}};
constexpr int kItemHeight = 15;
constexpr size_t kMaxClasses = 4096;  // a registry that lists more is not read further

std::string ClassIdText(const CLSID& clsid) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(clsid, &text)) || !text) return {};
  std::string out = AnsiFromWide(text);
  CoTaskMemFree(text);
  return out;
}

std::string UserTypeName(const CLSID& clsid) {
  LPOLESTR name = nullptr;
  if (FAILED(OleRegGetUserType(clsid, USERCLASSTYPE_FULL, &name)) || !name) return {};
  std::string out = AnsiFromWide(name);
  CoTaskMemFree(name);
  return out;
}

std::string ServerLocation(const std::string& classId) {
  const std::string key = "CLSID\\" + classId + "\\InprocServer32";
  char value[260] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return {};
  value[sizeof value - 1] = 0;
  return value;
}

}  // namespace

std::vector<ControlClass> RegisteredControls() {
  std::vector<ControlClass> out;
  ComPtr<ICatInformation> categories;
  if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatInformation,
                              categories.PutVoid())))
    return out;
  ComPtr<IEnumCLSID> classes;
  CATID wanted[] = {kControlCategory};
  if (FAILED(categories->EnumClassesOfCategories(1, wanted, 0, nullptr, classes.Put())) || !classes) return out;
  CLSID clsid;
  ULONG got = 0;
  while (out.size() < kMaxClasses && classes->Next(1, &clsid, &got) == S_OK && got == 1) {
    ControlClass entry;
    entry.classId = ClassIdText(clsid);
    entry.name = UserTypeName(clsid);
    if (entry.name.empty()) entry.name = entry.classId;
    entry.location = ServerLocation(entry.classId);
    out.push_back(std::move(entry));
  }
  return out;
}

bool InsertControlDialog::Ask(HWND owner) { return Run(owner, IDD_INSERT_CONTROL) == IDOK; }

bool InsertControlDialog::OnInit() {
  HWND list = Item(IDC_CONTROL_LIST);
  SendMessageA(list, LB_SETITEMHEIGHT, 0, kItemHeight);
  controls_ = RegisteredControls();
  for (size_t i = 0; i < controls_.size(); ++i) {
    LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(controls_[i].name.c_str()));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  ShowSelected();
  CentreOnOwner();
  return true;
}

void InsertControlDialog::ShowSelected() {
  HWND list = Item(IDC_CONTROL_LIST);
  LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  const ControlClass* chosen = nullptr;
  if (selected != LB_ERR) {
    auto index = static_cast<size_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (index < controls_.size()) chosen = &controls_[index];
  }
  SetItemText(IDC_CONTROL_CLASS, chosen ? chosen->classId : std::string());
  SetItemText(IDC_CONTROL_LOCATION, chosen ? chosen->location : std::string());
}

void InsertControlDialog::TakeSelected() {
  HWND list = Item(IDC_CONTROL_LIST);
  LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  classId_.clear();
  if (selected == LB_ERR) return;
  auto index = static_cast<size_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
  if (index < controls_.size()) classId_ = controls_[index].classId;
}

bool InsertControlDialog::OnOk() {
  TakeSelected();
  return true;
}

bool InsertControlDialog::OnCancel() {
  TakeSelected();
  return true;
}

bool InsertControlDialog::OnCommand(int id, int code, HWND) {
  if (id != IDC_CONTROL_LIST) return false;
  if (code == LBN_SELCHANGE) ShowSelected();
  if (code == LBN_DBLCLK) {
    TakeSelected();
    End(IDOK);
  }
  return true;
}

}  // namespace vellora
