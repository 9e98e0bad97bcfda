// Turns a selection into the rich text of a text node, alone or together
// with the node's old rich text, through a hidden rich edit control, so that
// the old text keeps its formatting.
#pragma once
#include <windows.h>

#include <string>

namespace vellora::collector {

enum class TextMode {
  OverwriteAll,     // the selection alone
  AppendToLast,     // old text, separator, selection
  InsertIntoFront,  // selection, separator, old text
};

inline constexpr char kNextCopySeparator[] = "\n\n======================Next copy text==========================\n";

// Composes the new rich text (RTF bytes). oldRtf is the node's old content
// when it was a text node, else null (the selection then stands alone). The
// control is a hidden child of parent (a message-only window when null).
// Fails when the rich edit control cannot be had or the old text cannot be read.
HRESULT ComposeRichText(HWND parent, const std::string* oldRtf, TextMode mode, const std::string& selection,
                        std::string& rtf);

}  // namespace vellora::collector
