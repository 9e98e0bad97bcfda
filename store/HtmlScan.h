// A forgiving HTML tokenizer and the small text helpers the web archive
// needs around it (content types, entities, character sets).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellora {

std::string AsciiLower(std::string_view text);
std::string_view Trim(std::string_view text);
int HexDigitValue(char c);  // -1 for what is not a hex digit

// "text/html; charset=utf-8": the media type in lower case, and one parameter.
std::string MediaTypeOf(std::string_view contentType);
std::string ParameterOf(std::string_view contentType, std::string_view name);

struct HtmlTag {
  std::string name;  // lower case
  bool end = false;
  std::vector<std::pair<std::string, std::string>> attributes;  // names lower case, values raw
  const std::string* Attribute(std::string_view name) const;
};

// Walks HTML as text runs and tags; comments, doctypes and processing
// instructions are passed over. The contents of script, style, title,
// textarea and xmp come as one text run. Never reads past the end.
class HtmlScanner {
 public:
  enum class Token { Text, Tag, End };
  explicit HtmlScanner(std::string_view html) : html_(html) {}
  Token Next();
  std::string_view Text() const { return text_; }
  const HtmlTag& Tag() const { return tag_; }
  // The element whose raw contents the current text run is (empty for ordinary text).
  const std::string& RawElement() const { return rawOf_; }

 private:
  bool ReadTag(size_t at);

  std::string_view html_;
  size_t pos_ = 0;
  std::string_view text_;
  HtmlTag tag_;
  std::string raw_;    // raw contents expected next
  std::string rawOf_;  // raw contents just read
};

// Entities decoded; code points are written as UTF-8 when utf8 is set, else
// only those below 128 are decoded and the others kept as written.
std::string DecodeEntities(std::string_view text, bool utf8);
void AppendDecodedEntities(std::string& out, std::string_view text, bool utf8);

// The charset a page names in its <meta>, or empty.
std::string MetaCharset(std::string_view html);
// The text of the page's <title>, entities decoded, spaces collapsed.
std::string HtmlTitle(std::string_view html);

// Bytes in a code page as UTF-8 (a byte order mark decides over the code page).
std::string Utf8FromCodePage(std::string_view bytes, UINT codePage);

}  // namespace vellora
