#include "collector/RtfSplice.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace vellora::collector {

namespace {

constexpr char kFontEntry[] = "\\fnil MS Sans Serif;";

// What the scan of a document found; offsets index the document's bytes.
struct RtfShape {
  size_t fontTableEnd = std::string::npos;  // the closing brace of {\fonttbl ...}
  int largestFont = -1;
  size_t firstParagraph = std::string::npos;  // the first \pard of the body
  size_t documentEnd = std::string::npos;     // the closing brace of the document
  bool endsWithParagraph = false;             // the last word before documentEnd is \par
};

bool ScanRtf(const std::string& rtf, RtfShape& shape) {
  if (rtf.compare(0, 6, "{\\rtf1") != 0) return false;
  int depth = 0;
  int fontTableDepth = 0;  // the depth of the font table group while inside it
  bool groupStart = false;
  std::string lastWord;
  for (size_t i = 0; i < rtf.size(); ++i) {
    char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      lastWord.clear();
      continue;
    }
    if (c == '}') {
      if (fontTableDepth && depth == fontTableDepth) {
        shape.fontTableEnd = i;
        fontTableDepth = 0;
      }
      --depth;
      if (depth == 0) {
        shape.documentEnd = i;
        shape.endsWithParagraph = lastWord == "par";
        // Nothing but line ends may follow the document.
        for (size_t j = i + 1; j < rtf.size(); ++j)
          if (rtf[j] != '\r' && rtf[j] != '\n' && rtf[j] != '\0') return false;
        break;
      }
      if (depth < 0) return false;
      lastWord.clear();
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= rtf.size()) return false;
      char next = rtf[i + 1];
      if (!std::isalpha(static_cast<unsigned char>(next))) {
        // A control symbol: \\ \{ \} \'hh and the like.
        i += next == '\'' ? 3 : 1;
        groupStart = false;
        lastWord.clear();
        continue;
      }
      size_t start = i + 1, end = start;
      while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
      std::string word = rtf.substr(start, end - start);
      size_t numberStart = end;
      if (end < rtf.size() && rtf[end] == '-') ++end;
      while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
      long number = end > numberStart ? std::strtol(rtf.c_str() + numberStart, nullptr, 10) : -1;
      if (word == "bin") return false;  // raw bytes: not a shape we take apart
      if (groupStart && word == "fonttbl" && depth == 2) fontTableDepth = depth;
      if (fontTableDepth && word == "f" && number > shape.largestFont) shape.largestFont = static_cast<int>(number);
      if (word == "pard" && depth == 1 && shape.firstParagraph == std::string::npos) shape.firstParagraph = i;
      groupStart = false;
      lastWord = word;
      i = (end < rtf.size() && rtf[end] == ' ') ? end : end - 1;
      continue;
    }
    if (c != '\r' && c != '\n') {
      groupStart = false;
      lastWord.clear();
    }
  }
  return shape.documentEnd != std::string::npos && shape.fontTableEnd != std::string::npos &&
         shape.firstParagraph != std::string::npos && shape.fontTableEnd < shape.firstParagraph;
}

}  // namespace

std::string RtfParagraphs(const std::string& text, int font, bool continuesParagraph) {
  std::wstring wide;
  if (!text.empty()) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    wide.resize(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  }
  char head[64];
  std::snprintf(head, sizeof head, "{%s\\plain\\f%d\\fs24\\uc1 ", continuesParagraph ? "" : "\\pard", font);
  std::string out = head;
  bool paragraphSet = !continuesParagraph;
  out.reserve(out.size() + wide.size() + wide.size() / 4 + 8);
  for (size_t i = 0; i < wide.size(); ++i) {
    wchar_t c = wide[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
      out += "\\par\r\n";
      if (!paragraphSet) out += "\\pard ";
      paragraphSet = true;
    } else if (c == L'\\' || c == L'{' || c == L'}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == L'\t') {
      out += "\\tab ";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0x20) {
      char unit[24];
      std::snprintf(unit, sizeof unit, "\\u%d?", static_cast<int>(static_cast<short>(c)));
      out += unit;
    }
  }
  return out + "}";
}

bool SpliceIntoRtf(const std::string& rtf, bool atFront, const std::string& text, std::string& out) {
  RtfShape shape;
  if (!ScanRtf(rtf, shape)) return false;
  const int font = shape.largestFont + 1;
  char entry[64];
  std::snprintf(entry, sizeof entry, "{\\f%d%s}", font, kFontEntry);

  std::string piece = text;
  if (atFront) {
    // Its last paragraph ends where the old first one starts.
    if (piece.empty() || piece.back() != '\n') piece += '\n';
  } else if (shape.endsWithParagraph && !piece.empty() && (piece[0] == '\n' || piece[0] == '\r')) {
    // The document's last paragraph is already ended; the first line break
    // of the piece would add an empty one.
    piece.erase(0, piece[0] == '\r' && piece.size() > 1 && piece[1] == '\n' ? 2 : 1);
  }
  if (!atFront && !piece.empty() && piece.back() != '\n') piece += '\n';
  // Appended to an open last paragraph, the piece first ends that paragraph
  // with its own properties and only then sets its own.
  std::string paragraphs = RtfParagraphs(piece, font, !atFront && !shape.endsWithParagraph);

  const size_t at = atFront ? shape.firstParagraph : shape.documentEnd;
  std::string result;
  result.reserve(rtf.size() + paragraphs.size() + sizeof entry);
  result.append(rtf, 0, shape.fontTableEnd);
  result += entry;
  result.append(rtf, shape.fontTableEnd, at - shape.fontTableEnd);
  result += paragraphs;
  result.append(rtf, at, std::string::npos);
  out = std::move(result);
  return true;
}

}  // namespace vellora::collector
