// regsvr32 on the real DLL: the keys and values it writes and removes, the
// type library it registers, and the object made by either ProgID.
#include <windows.h>
#include <oleauto.h>
#include <ocidl.h>
#include <objsafe.h>

#include <cstring>

#include <gtest/gtest.h>

#include "collector/CollectorModule.h"
#include "collector/HtmlCatchInterface.h"
#include "collector/Registration.h"
#include "platform/ComPtr.h"
#include "tests/collector/CollectorRig.h"

using namespace vellora;
using namespace vellora::collector;
using namespace vtest;

namespace {

constexpr char kClassKey[] = "CLSID\\{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}";
constexpr char kMenuKey[] = "Software\\Microsoft\\Internet Explorer\\MenuExt\\Send to Vellora";

struct Expected {
  HKEY root;
  std::string key;
  const char* value;  // null: default value
  std::string text;   // for strings
  DWORD number;       // for the DWORD
};

std::vector<Expected> ExpectedValues() {
  std::string dll = CollectorDllPath();
  std::string page = dll.substr(0, dll.size() - 3) + "htm";
  std::string clsid = "{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}";
  std::string cls = kClassKey;
  return {
      {HKEY_CLASSES_ROOT, "LibraneCollector.HtmlCatch.1", nullptr, "HtmlCatch Class", 0},
      {HKEY_CLASSES_ROOT, "LibraneCollector.HtmlCatch.1\\CLSID", nullptr, clsid, 0},
      {HKEY_CLASSES_ROOT, "LibraneCollector.HtmlCatch", nullptr, "HtmlCatch Class", 0},
      {HKEY_CLASSES_ROOT, "LibraneCollector.HtmlCatch\\CLSID", nullptr, clsid, 0},
      {HKEY_CLASSES_ROOT, "LibraneCollector.HtmlCatch\\CurVer", nullptr, "LibraneCollector.HtmlCatch.1", 0},
      {HKEY_CLASSES_ROOT, cls, nullptr, "HtmlCatch Class", 0},
      {HKEY_CLASSES_ROOT, cls + "\\ProgID", nullptr, "LibraneCollector.HtmlCatch.1", 0},
      {HKEY_CLASSES_ROOT, cls + "\\VersionIndependentProgID", nullptr, "LibraneCollector.HtmlCatch", 0},
      {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", nullptr, dll, 0},
      {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", "ThreadingModel", "Apartment", 0},
      {HKEY_CLASSES_ROOT, cls + "\\TypeLib", nullptr, "{665E3C00-892B-49C1-B363-BC560A421706}", 0},
      {HKEY_CURRENT_USER, kMenuKey, nullptr, page, 0},
      {HKEY_CURRENT_USER, kMenuKey, "Contexts", "", 49},
  };
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The value's type and bytes; type 0 when it is missing.
std::pair<DWORD, std::string> ReadValue(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, {}};
  char data[1024] = {};
  DWORD size = sizeof data - 1, type = 0;
  LONG error = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS) return {0, {}};
  return {type, std::string(data, size)};
}

class RegistrationTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(RunRegsvr32(false), 0u) << "later tests need the class registered"; }
};

TEST_F(RegistrationTest, Regsvr32WritesExactlyTheTableAndRemovesAllButTheKeptKeys) {
  ASSERT_EQ(RunRegsvr32(false), 0u);
  for (const Expected& e : ExpectedValues()) {
    auto [type, data] = ReadValue(e.root, e.key, e.value);
    if (e.number) {
      ASSERT_EQ(type, static_cast<DWORD>(REG_DWORD)) << e.key << " " << e.value;
      DWORD number = 0;
      std::memcpy(&number, data.data(), sizeof number);
      EXPECT_EQ(number, e.number);
    } else {
      ASSERT_EQ(type, static_cast<DWORD>(REG_SZ)) << e.key << " " << (e.value ? e.value : "(default)");
      EXPECT_EQ(data, e.text + '\0') << e.key;
    }
  }
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\Programmable"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{665E3C00-892B-49C1-B363-BC560A421706}\\1.0"));

  // Something left below a force-removed key by an older version goes with it.
  HKEY stale = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kMenuKey) + "\\Stale").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &stale, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(stale);
  ASSERT_EQ(RunRegsvr32(true), 0u);
  for (const Expected& e : ExpectedValues()) EXPECT_FALSE(KeyExists(e.root, e.key)) << e.key;
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\MenuExt"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{665E3C00-892B-49C1-B363-BC560A421706}\\1.0"));
  // Unregistering again (an uninstaller after a failed install, say) finds
  // nothing to take away, and that is no failure.
  EXPECT_EQ(RunRegsvr32(true), 0u);
}

// The class keys of a registration for one user, under that user's classes.
std::vector<Expected> PerUserValues() {
  std::vector<Expected> values = ExpectedValues();
  for (Expected& e : values)
    if (e.root == HKEY_CLASSES_ROOT) e = {HKEY_CURRENT_USER, "Software\\Classes\\" + e.key, e.value, e.text, e.number};
  return values;
}

TEST_F(RegistrationTest, PerUserRegistrationWritesTheTableUnderTheUsersClassesAndTakesItAllAway) {
  ASSERT_EQ(RunRegsvr32(true), 0u) << "no registration for the machine beside it";
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kClassKey));

  ASSERT_EQ(RunRegsvr32(false, "/n /i:user "), 0u);
  for (const Expected& e : PerUserValues()) {
    auto [type, data] = ReadValue(e.root, e.key, e.value);
    ASSERT_EQ(type, static_cast<DWORD>(e.number ? REG_DWORD : REG_SZ)) << e.key << " " << (e.value ? e.value : "");
    if (!e.number) {
      EXPECT_EQ(data, e.text + '\0') << e.key;
    }
  }
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kClassKey + "\\Programmable"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kClassKey))
      << "nothing for the machine";
  // The object is made from the user's registration alone, and answers through
  // the type library inside the DLL, which is not registered. (A system whose
  // HKEY_CLASSES_ROOT does not show the user's classes, older Wine, cannot.)
  if (KeyExists(HKEY_CLASSES_ROOT, kClassKey)) {
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"LibraneCollector.HtmlCatch", &clsid));
    ComPtr<IDispatch> object;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.PutVoid()));
    OLECHAR name[] = L"TransmitHtmlDocument";
    OLECHAR* names[] = {name};
    DISPID id = 0;
    ASSERT_HRESULT_SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(id, 1);
  }
  CoFreeUnusedLibraries();

  ASSERT_EQ(RunRegsvr32(true, "/n /i:user "), 0u);
  for (const Expected& e : PerUserValues()) EXPECT_FALSE(KeyExists(e.root, e.key)) << e.key;
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\MenuExt"));
}

TEST(RegistrationTable, DllInstallRefusesACommandLineItDoesNotKnow) {
  HMODULE dll = LoadLibraryA(CollectorDllPath().c_str());
  ASSERT_NE(dll, nullptr);
  using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
  auto install = reinterpret_cast<Install>(reinterpret_cast<void*>(GetProcAddress(dll, "DllInstall")));
  ASSERT_NE(install, nullptr);
  for (BOOL direction : {TRUE, FALSE}) EXPECT_EQ(install(direction, L"everyone"), E_INVALIDARG);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kClassKey));
  FreeLibrary(dll);
}

TEST(RegistrationTable, TheMenuPageIsTheModulePathWithHtmInPlaceOfItsLastThreeCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\X\\LibraneCollector.dll", "D:\\X\\LibraneCollector.htm"},
      {"C:\\Tools\\LIBRANECOLLECTOR.DLL", "C:\\Tools\\LIBRANECOLLECTOR.htm"},
  };
  for (const auto& [module, page] : cases) {
    EXPECT_EQ(MenuPagePath(module), page);
    EXPECT_EQ(ExpandTokens("%CATCHHTMFILEPATH%|%MODULE%", {module, MenuPagePath(module)}),
              std::string(page) + "|" + module);
  }
}

TEST(TypeLibrary, TheEmbeddedLibraryDescribesTheDualInterface) {
  std::wstring path = WideFromAnsi(CollectorDllPath());
  ComPtr<ITypeLib> library;
  ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put()));
  BSTR name = nullptr, doc = nullptr;
  ASSERT_HRESULT_SUCCEEDED(library->GetDocumentation(-1, &name, &doc, nullptr, nullptr));
  EXPECT_STREQ(name, L"LIBRANECOLLECTORLib");
  EXPECT_STREQ(doc, L"LibraneCollector 1.0 Type Library");
  SysFreeString(name);
  SysFreeString(doc);

  ComPtr<ITypeInfo> dispatch;
  ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(kIidHtmlCatch, dispatch.Put()));
  HREFTYPE vtableRef = 0;
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef));
  ComPtr<ITypeInfo> vtable;
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(vtableRef, vtable.Put()));
  TYPEATTR* attributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attributes));
  EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
  EXPECT_EQ(attributes->cFuncs, 1);
  vtable->ReleaseTypeAttr(attributes);
  FUNCDESC* function = nullptr;
  ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(0, &function));
  EXPECT_EQ(function->memid, 1);
  EXPECT_EQ(function->oVft, 7 * static_cast<short>(sizeof(void*))) << "right after IDispatch's seven slots";
  EXPECT_EQ(function->callconv, CC_STDCALL);
  EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
  ASSERT_EQ(function->cParams, 1);
  EXPECT_EQ(function->lprgelemdescParam[0].tdesc.vt, VT_DISPATCH);
  EXPECT_TRUE(function->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FIN);
  vtable->ReleaseFuncDesc(function);

  ComPtr<ITypeInfo> coclass;
  ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(kClsidHtmlCatch, coclass.Put()));
  ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attributes));
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
  coclass->ReleaseTypeAttr(attributes);
}

TEST(CollectorModule, TheDllCarriesItsNameAndVersionAndAnswersOnlyItsInterfaces) {
  HMODULE dll = LoadLibraryA(CollectorDllPath().c_str());
  ASSERT_NE(dll, nullptr);
  char name[64] = "";
  LoadStringA(dll, 100, name, sizeof name);
  EXPECT_STREQ(name, "LibraneCollector");
  FreeLibrary(dll);

  std::string path = CollectorDllPath();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));

  ASSERT_EQ(RunRegsvr32(false), 0u);
  for (const wchar_t* progId : {L"LibraneCollector.HtmlCatch", L"LibraneCollector.HtmlCatch.1"}) {
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(progId, &clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, kClsidHtmlCatch));
    ComPtr<IUnknown> object;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.PutVoid()));
    const std::pair<const IID*, bool> interfaces[] = {
        {&IID_IDispatch, true}, {&kIidHtmlCatch, true}, {&IID_IPersistStreamInit, false},
        {&IID_IObjectSafety, false}, {&IID_IClassFactory, false}};
    for (const auto& [iid, answered] : interfaces) {
      ComPtr<IUnknown> other;
      EXPECT_EQ(SUCCEEDED(object->QueryInterface(*iid, other.PutVoid())), answered);
    }
  }
}

}  // namespace
