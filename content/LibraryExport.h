#pragma once
// A library, one of its folders or one branch of a tree folder written out
// so that it can be read without the program: one HTML file (UTF-8) with a
// table of contents, or a folder of plain-text or Markdown files that
// mirrors the tree. No window is involved. An export that is cancelled or
// fails leaves nothing at the target: everything is written beside it under
// a temporary name first and moved into place at the end.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vellora {

enum class ExportFormat { Html, Markdown, Text };

struct ExportOptions {
  ExportFormat format = ExportFormat::Html;
  // The folder to export; empty: every folder of the library.
  std::string folder;
  // Titles from the tree folder down to the branch to export (needs folder).
  std::vector<std::string> branch;
  // The password given for a protected node or item, asked with the path of
  // titles ("Folder/Node/Child"). A protected element whose password is not
  // given (or differs) is left out, with everything below it. A library with
  // a library password is asked with the empty path and is not exported at
  // all without it.
  std::function<std::string(const std::string& titlePath)> password;
  // Where given, asked in place of password for a protected node or item:
  // whether the user gives its password (the one stored comes along, to
  // check the answer against). The library password is still asked through
  // password.
  std::function<bool(const std::string& titlePath, const std::string& stored)> unlock;
  // Called with the elements done and their total; false stops the export.
  std::function<bool(size_t done, size_t total)> progress;
};

enum class ExportStatus { Done, CannotOpen, Locked, NotFound, TargetExists, WriteFailed, Cancelled };

struct ExportResult {
  ExportStatus status = ExportStatus::Done;
  size_t nodes = 0;      // tree nodes and catalog items written
  size_t leftOut = 0;    // protected ones left out
  std::string message;   // what went wrong, for a person
};

// Exports from the library file at libraryPath (opened read-only). target:
// the HTML file (its embedded files go into "<name>_files" beside it) or the
// folder of .txt/.md files; it must not exist yet.
ExportResult ExportLibrary(const std::string& libraryPath, const std::string& target, const ExportOptions& options);

// ---- pieces the export is made of ------------------------------------------

// The rich text of a note as an HTML fragment (paragraphs with their
// alignment, bold, italic, underline, strike, colours, highlight, font sizes,
// links), UTF-8. \'hh bytes decode in the document's code page, else the
// thread's ANSI code page.
std::string RtfToHtml(const std::string& rtf);
// Text (UTF-8) with &, <, > and quotes escaped.
std::string HtmlEscape(const std::string& utf8);
// ANSI text of the thread's code page as UTF-8.
std::string Utf8FromAnsi(const std::string& ansi);
// A title made into a file name: no characters a file system refuses, no
// device names, no leading or trailing dots and spaces, at most maxBytes
// bytes without splitting a double-byte character; never empty.
std::string SafeFileName(const std::string& title, size_t maxBytes = 80);
// Plain text (lines ending in "\n" or "\r\n") as the rich text of a note:
// characters of the thread's code page as they are or as \'hh bytes, the
// others as \uN, each line a paragraph.
std::string RtfFromText(const std::wstring& text);

// Removes a folder with everything in it, read-only files too.
void RemoveTree(const std::string& path);

}  // namespace vellora
