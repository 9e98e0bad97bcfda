// Puts plain text into a rich text document without loading the document
// into a control: the text goes in as a group of its own at the front or the
// end, in the collector's font, and everything else stays byte for byte. Only
// documents of the shape the rich edit control writes are taken; for any
// other the caller goes through the control.
#pragma once
#include <string>

namespace vellora::collector {

// The text (ANSI, "\n" or "\r\n" between paragraphs) as RTF paragraphs in
// the given font number, 12 points: "{\pard\plain\f<font>\fs24 ...}". When
// it continues a paragraph, that paragraph keeps its properties: "\pard"
// comes after the first line break.
std::string RtfParagraphs(const std::string& text, int font, bool continuesParagraph = false);

// Inserts text at the front or at the end of the document. False (and out
// untouched) when the document is not one whose structure is understood.
bool SpliceIntoRtf(const std::string& rtf, bool atFront, const std::string& text, std::string& out);

}  // namespace vellora::collector
