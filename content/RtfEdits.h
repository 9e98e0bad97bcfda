#pragma once
// Text edits applied to a rich-text (RTF) document as the rich edit control
// writes it, keeping every format around them: the document is read once, its
// characters are counted as the control counts positions, and the edits are
// made between the control words. A whole note is changed this way in one
// pass and streamed back, where one control operation per edit would cost a
// walk through the note each.
#include <string>

#include "content/TextTools.h"

namespace vellora {

// Writes rtf with edits applied into out. False when the document holds
// something whose positions it cannot count (the caller then edits the
// control directly); the caller should still compare the result's text.
bool ApplyEditsToRtf(const std::string& rtf, const TextEdits& edits, std::string& out);

}  // namespace vellora
