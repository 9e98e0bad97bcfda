#include "collector/RichTextComposer.h"

#include "collector/RtfSplice.h"
#include "platform/CallbackGuard.h"

#include <richedit.h>

#include <cstring>

namespace vellora::collector {

namespace {

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
  ~LoadedLibrary() { if (module_) FreeLibrary(module_); }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  explicit operator bool() const { return module_ != nullptr; }

 private:
  HMODULE module_;
};

class OwnedWindow {
 public:
  explicit OwnedWindow(HWND window) : window_(window) {}
  ~OwnedWindow() { if (window_) DestroyWindow(window_); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

struct ReadSource {
  const std::string* bytes;
  size_t at;
};

// Stream callbacks are a wall: nothing may be thrown through the control.
DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<ReadSource*>(cookie);
  size_t left = source->bytes->size() - source->at;
  size_t n = static_cast<size_t>(wanted) < left ? static_cast<size_t>(wanted) : left;
  if (n) std::memcpy(buffer, source->bytes->data() + source->at, n);
  source->at += n;
  *got = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteToString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  *written = 0;
  return Guarded("rich text stream", static_cast<DWORD>(1), [&] {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    *written = size;
    return static_cast<DWORD>(0);
  });
}

void SetNewTextFormat(HWND edit, WPARAM scope) {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_WEIGHT;
  lstrcpynA(format.szFaceName, "MS Sans Serif", LF_FACESIZE);
  format.yHeight = 240;
  format.wWeight = FW_NORMAL;
  SendMessageA(edit, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

void ReplaceRange(HWND edit, LONG from, LONG to, const std::string& text) {
  CHARRANGE range = {from, to};
  SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SetNewTextFormat(edit, SCF_SELECTION);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

HRESULT ComposeRichText(HWND parent, const std::string* oldRtf, TextMode mode, const std::string& selection,
                        std::string& rtf) {
  rtf.clear();
  // An empty note has nothing to keep, and nothing to separate from.
  if (oldRtf && oldRtf->empty()) oldRtf = nullptr;
  // A document of the shape the control writes takes the text without being
  // loaded: its bytes stay as they are and big notes cost no layout.
  if (oldRtf && mode != TextMode::OverwriteAll) {
    const bool atFront = mode == TextMode::InsertIntoFront;
    if (SpliceIntoRtf(*oldRtf, atFront, atFront ? selection + kNextCopySeparator : kNextCopySeparator + selection, rtf))
      return S_OK;
  }
  LoadedLibrary richEdit("RICHED20.DLL");
  if (!richEdit) return HRESULT_FROM_WIN32(GetLastError());
  OwnedWindow edit(CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                   0, 0, 0, 0, parent ? parent : HWND_MESSAGE, nullptr, nullptr, nullptr));
  if (!edit.Get()) return HRESULT_FROM_WIN32(GetLastError());
  const bool keepOld = oldRtf && mode != TextMode::OverwriteAll;
  // Room for everything that goes in: the old text has at most one character
  // per byte of its rich text, the new text one per byte.
  size_t needed = selection.size() + sizeof kNextCopySeparator + (keepOld ? oldRtf->size() : 0) + 1024;
  SendMessageA(edit.Get(), EM_EXLIMITTEXT, 0, static_cast<LPARAM>(needed));
  // Nobody sees this control: no line wrapping to lay out, no undo to keep.
  SendMessageA(edit.Get(), EM_SETTARGETDEVICE, 0, 1);
  SendMessageA(edit.Get(), EM_SETUNDOLIMIT, 0, 0);

  if (keepOld) {
    ReadSource source{oldRtf, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadFromString};
    SendMessageA(edit.Get(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) return E_FAIL;
  }
  if (!keepOld) {
    // Only an empty control takes the default format: on a loaded text it
    // would be applied to every run again, which takes far too long.
    SetNewTextFormat(edit.Get(), SCF_DEFAULT);
    SetNewTextFormat(edit.Get(), SCF_ALL);
    ReplaceRange(edit.Get(), 0, -1, selection);
  } else if (mode == TextMode::AppendToLast) {
    ReplaceRange(edit.Get(), -1, -1, kNextCopySeparator + selection);
  } else {
    ReplaceRange(edit.Get(), 0, 0, selection + kNextCopySeparator);
  }

  EDITSTREAM out = {reinterpret_cast<DWORD_PTR>(&rtf), 0, WriteToString};
  SendMessageA(edit.Get(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&out));
  if (out.dwError != 0 || rtf.empty()) return E_FAIL;
  return S_OK;
}

}  // namespace vellora::collector
