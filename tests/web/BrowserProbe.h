#pragma once
// Telling a browser that shows pages from one that has no engine behind it.
// Without its HTML engine (Wine with mshtml switched off) the web browser
// control is still made, activates in place and accepts every navigation with
// S_OK, but no document ever comes: get_Document answers S_FALSE and null,
// the ready state stays READYSTATE_LOADING, and each navigation ends in
// NavigateError without NavigateComplete2 or DocumentComplete.
#include <windows.h>
#include <exdisp.h>

#include <string>

namespace vtest::web {

// True once the browser answers a document for what it was last asked to
// show; false when none came within waitMs while this thread's messages were
// handled (a browser with an engine answers about:blank within a moment).
bool BrowserShowsPages(IWebBrowser2* browser, DWORD waitMs = 1500);

// Navigate2 with the address as a string and no flags, target, post data or
// headers, as the web view asks for a page.
HRESULT NavigateTo(IWebBrowser2* browser, const std::string& address);

// Handles this thread's messages for about the given time.
void PumpFor(DWORD milliseconds);

}  // namespace vtest::web
