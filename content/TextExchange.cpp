#include "content/TextExchange.h"

#include <commdlg.h>

#include <algorithm>

#include "content/ContentCommands.h"
#include "content/TabPages.h"
#include "content/WebImport.h"
#include "platform/KernelHandle.h"

namespace vellora {

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxTextFileBytes)
    return false;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
    return false;
  // A file that shrank since its size was asked gives what it still holds.
  bytes.resize(got);
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  text = std::move(bytes);
  return true;
}

namespace {

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT WriteAll(const std::string& path, const std::string& bytes) {
  KernelHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, part, &written, nullptr)) return LastError();
    if (written == 0) return STG_E_MEDIUMFULL;
    done += written;
  }
  if (!FlushFileBuffers(file.Get())) return LastError();
  return S_OK;
}

}  // namespace

HRESULT WriteTextFile(const std::string& path, const std::string& text) {
  char full[MAX_PATH];
  char* name = nullptr;
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
  if (length == 0 || length >= MAX_PATH || !name || name == full) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
  const std::string folder(full, static_cast<size_t>(name - full));
  // A read-only file stays as it is (a move would replace it where the
  // system allows that).
  const DWORD attributes = GetFileAttributesA(full);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  char scratch[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "vtx", 0, scratch)) return LastError();
  HRESULT hr = WriteAll(scratch, text);
  if (SUCCEEDED(hr) && !MoveFileExA(scratch, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    hr = LastError();
  if (FAILED(hr)) DeleteFileA(scratch);
  return hr;
}

std::string DataListText(const DataList& list) {
  std::string out;
  for (const DataListColumn& column : list.columns) out += column.title + "\t\t";
  out += "\r\n";
  out.append(78, '=');
  out += "\r\n";
  for (const std::vector<std::string>& row : list.rows) {
    for (const std::string& cell : row) out += cell + "\t\t";
    out += "\r\n";
  }
  return out;
}

namespace {

void AppendHexByte(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789abcdef";
  out += "\\'";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// Text of the system code page as RTF text: the RTF specials escaped, bytes
// outside printable ASCII as \'hh (decoded by the font's code page, so a
// double-byte character stays whole), tabs as \tab, every line end \par.
void AppendRtfText(std::string& out, const std::string& text, bool lineEnds) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (lineEnds && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\par ";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      AppendHexByte(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string PlainTextToRtf(const std::string& text, const std::string& face) {
  const UINT codePage = GetACP();
  CHARSETINFO charset = {};
  std::string out = "{\\rtf1\\ansi\\ansicpg" + std::to_string(codePage) + "\\deff0{\\fonttbl{\\f0\\fnil";
  if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<DWORD_PTR>(codePage)), &charset, TCI_SRCCODEPAGE))
    out += "\\fcharset" + std::to_string(charset.ciCharset);
  out += ' ';
  AppendRtfText(out, face, false);
  out += ";}}\\uc1\\pard\\f0\\fs24 ";
  AppendRtfText(out, text, true);
  // The last paragraph mark is the one the control ends every note with.
  out += "\\par}";
  return out;
}

// ---- the commands ---------------------------------------------------------------------

void ContentCommands::ImportTextFile() {
  ImportTarget target;
  // Only a text item, or a tab pages item's page, holds a note.
  if (!SelectImportTarget("Please select a tree node first", {kItemText, kItemTabPages}, target)) return;

  FileDialogRequest request;
  request.title = "Import Text";
  request.filter = Text(kTextImportTextFilter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  std::string path;
  if (!prompt_.ChooseFile(request, path) || path.empty()) return;
  std::string text;
  if (!ReadTextFile(path, text)) {
    // The item keeps its text when the file gives none.
    Message("The file \"" + path + "\" could not be read (or it is larger than " +
                std::to_string(kMaxTextFileBytes >> 20) + " MB).\n\nNothing was changed.",
            "Import Text", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // The note's bytes, written by the one update that also makes the item a text.
  const WebPageContent note{kItemText, PlainTextToRtf(text, Text(kTextFontFace, "Tahoma"))};

  WriteImport(target, note, "The text could not be written into the item.");
}

void ContentCommands::ExportTextFile() {
  FileDialogRequest request;
  request.save = true;
  request.title = "Export Text File";
  // "Text file" in GBK, as the dialog has always shown it.
  request.filter = "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE(*.TXT)|*.txt|";
  request.defaultExtension = "txt";
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (!prompt_.ChooseFile(request, path) || path.empty()) return;
  // A view without text of its own gives an empty file.
  std::string text;
  if (!host_.ShownViewText(text)) text.clear();
  if (FAILED(WriteTextFile(path, text)))
    Message("The text could not be written to \"" + path + "\".\n\nNothing was written there.",
            Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
}

}  // namespace vellora
