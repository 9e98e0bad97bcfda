#include "content/CountedStrings.h"

#include <cstring>

namespace vellora {

bool ReadToEnd(const StreamHandle& stream, std::string& out) {
  out.clear();
  constexpr ULONG kSlice = 1u << 20;
  for (;;) {
    size_t had = out.size();
    out.resize(had + kSlice);
    ULONG got = 0;
    HRESULT hr = stream.ReadBytes(out.data() + had, kSlice, &got);
    out.resize(had + (got <= kSlice ? got : 0));
    if (FAILED(hr)) return false;
    if (got < kSlice) return true;
  }
}

CountedReader::Got CountedReader::Next(std::string& text) {
  text.clear();
  if (at_ == size_) return Got::End;
  uint32_t count = 0;
  if (Remaining() < 4) return Got::Broken;
  std::memcpy(&count, data_ + at_, 4);
  if (count == 0) {
    at_ += 4;
    return Got::Null;
  }
  if ((count & 1) != 0 || count > Remaining() - 4) return Got::Broken;
  const auto* wide = reinterpret_cast<const unsigned char*>(data_ + at_ + 4);
  size_t chars = count / 2;
  // The text ends at its first NUL; copied out because the bytes need not be
  // aligned for wchar_t.
  std::wstring buffer(chars, L'\0');
  size_t n = 0;
  for (; n < chars; ++n) {
    wchar_t c = static_cast<wchar_t>(wide[2 * n] | (wide[2 * n + 1] << 8));
    if (c == 0) break;
    buffer[n] = c;
  }
  text = AnsiFromWideChars(buffer.data(), n);
  at_ += 4 + count;
  return Got::Text;
}

bool CountedReader::NextU32(uint32_t& value) {
  if (Remaining() < 4) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(data_ + at_);
  value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
          static_cast<uint32_t>(b[3]) << 24;
  at_ += 4;
  return true;
}

void AppendU32(std::string& out, uint32_t value) {
  char b[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
               static_cast<char>(value >> 24)};
  out.append(b, 4);
}

void AppendCounted(std::string& out, const std::string& ansi) {
  std::wstring wide = WideFromAnsi(ansi);
  AppendU32(out, static_cast<uint32_t>(wide.size() * 2 + 2));
  for (wchar_t c : wide) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  out.append(2, '\0');
}

void AppendNullString(std::string& out) { AppendU32(out, 0); }

std::string AnsiFromWideChars(const wchar_t* text, size_t length) {
  if (!length) return {};
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace vellora
