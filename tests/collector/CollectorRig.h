// Drives the collector as the browser and the user would: registers the DLL
// with regsvr32, creates the object by its ProgID, calls it through
// IDispatch while a second thread works the "Save to" dialog, and builds and
// reads back the libraries it writes into.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/LibraryFormat.h"
#include "tests/collector/TestDocument.h"

namespace vtest {

// regsvr32 [/u] [options] /s on the DLL beside the test; answers its exit
// code. Options end in a space ("/n /i:user ").
DWORD RunRegsvr32(bool unregister, const char* options = "");
std::string CollectorDllPath();

// Runs call on this thread while user runs on a second one. Whatever dialog
// or message box the user leaves open is cancelled so that the call returns.
void RunWhileUser(const std::function<void()>& call, const std::function<void()>& user);

// Calls TransmitHtmlDocument(document) on an object made from progId,
// through IDispatch, while user runs on a second thread. Whatever dialog or
// message box the user leaves open is cancelled so that the call returns.
HRESULT TransmitWhileUser(const std::shared_ptr<TestPage>& page, const std::function<void()>& user,
                          const char* progId = "LibraneCollector.HtmlCatch");

// ---- the user's side (runs on the second thread) ----
// A visible dialog of this process with the caption; null on time-out.
HWND WaitForOwnDialog(const char* caption, DWORD timeoutMs = 15000);
bool WaitUntilGone(HWND window, DWORD timeoutMs = 15000);
// Answers the message box with that caption and returns its text ("" when none came).
std::string AnswerMessage(const char* caption, int button, DWORD timeoutMs = 15000);
// Selects the tree item reached by the display texts from the top level.
bool SelectNode(HWND dialog, const std::vector<std::string>& path);
std::vector<std::string> TopLevelTexts(HWND dialog);
void ClickRadio(HWND dialog, int id);
void PressButton(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
std::string ControlText(HWND dialog, int id);

// ---- libraries ----
std::string Rtf(const std::string& text, bool bold = false);
// Plain text and whether the text at offset is bold, read through a rich edit control.
std::string PlainTextOfRtf(const std::string& rtf, long boldProbe = -1, bool* boldAtProbe = nullptr);

struct NodeSnapshot {
  bool found = false;
  vellora::NodeInfoRecord record;
  std::string content;  // after the record
};
// A leaf read from the file (opened read-only), by element names from the top level.
NodeSnapshot ReadLeafFromFile(const std::string& library, const std::string& folder,
                              const std::vector<std::string>& path);
// Element names and sequence numbers of the children of a storage path, in stored order.
std::vector<std::pair<std::string, int>> ChildrenInFile(const std::string& library, const std::string& folder,
                                                        const std::vector<std::string>& path);

// Ends every Vellora.exe still running (one a test started and lost track of
// would answer the next test's release request).
void EndStrayPrograms();

// Makes "Document1" of the program's recent list name path.
void MakeNewestLibrary(const std::string& path);

}  // namespace vtest
