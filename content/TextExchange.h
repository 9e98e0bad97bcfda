#pragma once
// Plain text files going in and out of the library: a text file read for
// Import Text File, the note its text becomes, the file Export writes, and
// the text form of a data list. Files hold bytes of the system code page as
// they are: no byte-order mark is read or written, nothing is converted.
#include <windows.h>

#include <cstddef>
#include <string>

#include "content/DataList.h"

namespace vellora {

// The largest text file taken in. Every byte may take four in the note
// (\'hh), which then still loads in the text view.
inline constexpr size_t kMaxTextFileBytes = 8u << 20;

// Reads the whole file (opened for shared reading) in one read and answers
// its bytes up to the first zero byte. False, with text empty, when the
// file cannot be opened or read, or is larger than kMaxTextFileBytes.
bool ReadTextFile(const std::string& path, std::string& text);

// Writes the text as the whole file, replacing one that is there. The bytes
// go to a new file beside it that then takes its place, so a write that
// fails leaves the old file (or none) and no part of the new one.
HRESULT WriteTextFile(const std::string& path, const std::string& text);

// The data list as text: every column title followed by two tabs, CR LF, a
// line of 78 '=', CR LF, then every row's cells, each followed by two tabs,
// and CR LF after each row. Columns come in the order the list keeps them.
std::string DataListText(const DataList& list);

// A note (RTF) holding the plain text in one font of the given face at 12
// points: each line a paragraph, whether lines end in CR LF, CR or LF; bytes
// outside ASCII are written as they are, in the system code page.
std::string PlainTextToRtf(const std::string& text, const std::string& face);

}  // namespace vellora
