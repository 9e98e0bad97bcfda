// The C form of the interfaces: one vtable per interface, where every slot
// the collector must not need points at a trap.
#define CINTERFACE
#define COBJMACROS
#include "tests/collector/TestDocument.h"

#include <mshtml.h>
#include <ocidl.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vtest {

namespace {

struct TestDocumentObject {
  IHTMLDocument2 document;
  IHTMLSelectionObject selection;
  IHTMLTxtRange range;
  IPersistStreamInit persist;
  std::shared_ptr<TestPage> page;
};

void Unexpected() {
  std::fprintf(stderr, "the collector called a member of the test document that a browser may not offer\n");
  std::fflush(stderr);
  std::abort();
}

template <class Vtbl>
void FillWithTraps(Vtbl& table) {
  void** slots = reinterpret_cast<void**>(&table);
  for (size_t i = 0; i < sizeof(Vtbl) / sizeof(void*); ++i) slots[i] = reinterpret_cast<void*>(&Unexpected);
}

template <class I>
TestDocumentObject* Owner(I* self, size_t offset) {
  return reinterpret_cast<TestDocumentObject*>(reinterpret_cast<char*>(self) - offset);
}
#define OWNER(self, member) Owner(self, offsetof(TestDocumentObject, member))

BSTR Copy(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

ULONG AddRefObject(TestDocumentObject* object) { return static_cast<ULONG>(InterlockedIncrement(&object->page->references)); }
ULONG ReleaseObject(TestDocumentObject* object) {
  LONG left = InterlockedDecrement(&object->page->references);
  if (left == 0) delete object;
  return static_cast<ULONG>(left);
}

HRESULT QueryObject(TestDocumentObject* object, REFIID iid, void** out) {
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLDocument2))
    *out = &object->document;
  else if (IsEqualIID(iid, IID_IPersistStreamInit) && object->page->persistable)
    *out = &object->persist;
  if (!*out) return E_NOINTERFACE;
  AddRefObject(object);
  return S_OK;
}

// ---- IHTMLDocument2 ----
HRESULT STDMETHODCALLTYPE DocQuery(IHTMLDocument2* self, REFIID iid, void** out) {
  return QueryObject(OWNER(self, document), iid, out);
}
ULONG STDMETHODCALLTYPE DocAddRef(IHTMLDocument2* self) { return AddRefObject(OWNER(self, document)); }
ULONG STDMETHODCALLTYPE DocRelease(IHTMLDocument2* self) { return ReleaseObject(OWNER(self, document)); }
HRESULT STDMETHODCALLTYPE DocTypeInfoCount(IHTMLDocument2*, UINT* count) { *count = 0; return S_OK; }
HRESULT STDMETHODCALLTYPE DocTypeInfo(IHTMLDocument2*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE DocIds(IHTMLDocument2*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE DocInvoke(IHTMLDocument2*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                    UINT*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE DocSelection(IHTMLDocument2* self, IHTMLSelectionObject** out) {
  TestDocumentObject* object = OWNER(self, document);
  *out = nullptr;
  if (!object->page->hasSelection) return S_OK;
  AddRefObject(object);
  *out = &object->selection;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE DocTitle(IHTMLDocument2* self, BSTR* out) {
  *out = Copy(OWNER(self, document)->page->title);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE DocUrl(IHTMLDocument2* self, BSTR* out) {
  *out = Copy(OWNER(self, document)->page->url);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE DocCharset(IHTMLDocument2* self, BSTR* out) {
  const std::wstring& charset = OWNER(self, document)->page->charset;
  *out = nullptr;
  if (charset.empty()) return E_NOTIMPL;
  *out = Copy(charset);
  return S_OK;
}

// ---- IHTMLSelectionObject ----
// A part of the object that answers for itself only (as IUnknown, IDispatch and its own interface).
HRESULT QueryPart(TestDocumentObject* object, void* part, REFIID own, REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, own)) return E_NOINTERFACE;
  AddRefObject(object);
  *out = part;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE SelQuery(IHTMLSelectionObject* self, REFIID iid, void** out) {
  return QueryPart(OWNER(self, selection), self, IID_IHTMLSelectionObject, iid, out);
}
ULONG STDMETHODCALLTYPE SelAddRef(IHTMLSelectionObject* self) { return AddRefObject(OWNER(self, selection)); }
ULONG STDMETHODCALLTYPE SelRelease(IHTMLSelectionObject* self) { return ReleaseObject(OWNER(self, selection)); }
HRESULT STDMETHODCALLTYPE SelCreateRange(IHTMLSelectionObject* self, IDispatch** out) {
  TestDocumentObject* object = OWNER(self, selection);
  AddRefObject(object);
  *out = reinterpret_cast<IDispatch*>(&object->range);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SelType(IHTMLSelectionObject* self, BSTR* out) {
  *out = Copy(OWNER(self, selection)->page->selectionType);
  return S_OK;
}

// ---- IHTMLTxtRange ----
HRESULT STDMETHODCALLTYPE RangeQuery(IHTMLTxtRange* self, REFIID iid, void** out) {
  return QueryPart(OWNER(self, range), self, IID_IHTMLTxtRange, iid, out);
}
ULONG STDMETHODCALLTYPE RangeAddRef(IHTMLTxtRange* self) { return AddRefObject(OWNER(self, range)); }
ULONG STDMETHODCALLTYPE RangeRelease(IHTMLTxtRange* self) { return ReleaseObject(OWNER(self, range)); }
HRESULT STDMETHODCALLTYPE RangeText(IHTMLTxtRange* self, BSTR* out) {
  *out = Copy(OWNER(self, range)->page->selectionText);
  return S_OK;
}

// ---- IPersistStreamInit ----
HRESULT STDMETHODCALLTYPE PersistQuery(IPersistStreamInit* self, REFIID iid, void** out) {
  return QueryObject(OWNER(self, persist), iid, out);
}
ULONG STDMETHODCALLTYPE PersistAddRef(IPersistStreamInit* self) { return AddRefObject(OWNER(self, persist)); }
ULONG STDMETHODCALLTYPE PersistRelease(IPersistStreamInit* self) { return ReleaseObject(OWNER(self, persist)); }
HRESULT STDMETHODCALLTYPE PersistClassId(IPersistStreamInit*, CLSID*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE PersistIsDirty(IPersistStreamInit*) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE PersistLoad(IPersistStreamInit*, IStream*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE PersistSave(IPersistStreamInit* self, IStream* stream, BOOL) {
  TestPage& page = *OWNER(self, persist)->page;
  ++page.saves;
  if (page.saveFails) return E_FAIL;
  ULONG written = 0;
  return IStream_Write(stream, page.html.data(), static_cast<ULONG>(page.html.size()), &written);
}
HRESULT STDMETHODCALLTYPE PersistSizeMax(IPersistStreamInit*, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE PersistInitNew(IPersistStreamInit*) { return E_NOTIMPL; }

struct Tables {
  IHTMLDocument2Vtbl document;
  IHTMLSelectionObjectVtbl selection;
  IHTMLTxtRangeVtbl range;
  IPersistStreamInitVtbl persist;

  Tables() {
    FillWithTraps(document);
    document.QueryInterface = DocQuery;
    document.AddRef = DocAddRef;
    document.Release = DocRelease;
    document.GetTypeInfoCount = DocTypeInfoCount;
    document.GetTypeInfo = DocTypeInfo;
    document.GetIDsOfNames = DocIds;
    document.Invoke = DocInvoke;
    document.get_selection = DocSelection;
    document.get_title = DocTitle;
    document.get_URL = DocUrl;
    document.get_charset = DocCharset;
    FillWithTraps(selection);
    selection.QueryInterface = SelQuery;
    selection.AddRef = SelAddRef;
    selection.Release = SelRelease;
    selection.createRange = SelCreateRange;
    selection.get_type = SelType;
    FillWithTraps(range);
    range.QueryInterface = RangeQuery;
    range.AddRef = RangeAddRef;
    range.Release = RangeRelease;
    range.get_text = RangeText;
    persist = {PersistQuery, PersistAddRef, PersistRelease, PersistClassId, PersistIsDirty,
               PersistLoad, PersistSave, PersistSizeMax, PersistInitNew};
  }
};

const Tables& VirtualTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

IDispatch* CreateTestDocument(const std::shared_ptr<TestPage>& page) {
  const Tables& tables = VirtualTables();
  auto* object = new TestDocumentObject();
  object->document.lpVtbl = const_cast<IHTMLDocument2Vtbl*>(&tables.document);
  object->selection.lpVtbl = const_cast<IHTMLSelectionObjectVtbl*>(&tables.selection);
  object->range.lpVtbl = const_cast<IHTMLTxtRangeVtbl*>(&tables.range);
  object->persist.lpVtbl = const_cast<IPersistStreamInitVtbl*>(&tables.persist);
  object->page = page;
  page->references = 1;
  return reinterpret_cast<IDispatch*>(&object->document);
}

}  // namespace vtest
