// A stand-in for the browser's HTML document: the few members of the
// document, selection, text range and persistence interfaces that the
// collector uses. A call to any other member ends the test program loudly.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>

namespace vtest {

struct TestPage {
  std::wstring title = L"A page";
  std::wstring url = L"http://localhost/a%20page.html";
  bool hasSelection = true;          // get_selection answers an object
  std::wstring selectionType = L"None";
  std::wstring selectionText;
  std::wstring charset;              // empty: get_charset answers E_NOTIMPL
  std::string html = "<html><head><title>A page</title></head><body><p>Hello</p></body></html>";
  bool persistable = true;           // answers IPersistStreamInit
  bool saveFails = false;
  // Seen by the test afterwards.
  int saves = 0;
  LONG references = 0;
};

// The document object (its IDispatch), holding one reference; the page is
// shared with the test so that it can look at what happened.
IDispatch* CreateTestDocument(const std::shared_ptr<TestPage>& page);

}  // namespace vtest
