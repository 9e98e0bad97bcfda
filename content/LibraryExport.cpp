#include "content/LibraryExport.h"

#include "store/PathParts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <optional>
#include <set>

#include "content/AccessPasswords.h"
#include "content/CatalogItems.h"
#include "content/DataList.h"
#include "content/FileFolder.h"
#include "content/ItemSource.h"
#include "content/RtfText.h"
#include "content/TabPages.h"
#include "store/LibraryFormat.h"
#include "store/NodeTree.h"
#include "store/StorageHandle.h"

namespace vellora {

namespace {

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WideFromBytes(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0 && codePage != CP_ACP) return WideFromBytes(bytes, CP_ACP);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string SafeHref(const std::string& address);

// ---- rich text as HTML or Markdown -------------------------------------------

enum class Markup { Html, Markdown };

struct RunFormat {
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0, highlight = 0, halfPoints = 0;
  std::string link;
  bool operator==(const RunFormat&) const = default;
};

enum class Destination { Text, Skip, ColorTable, FieldInstruction };

struct GroupState {
  RunFormat format;
  int align = 0;  // 0 left, 1 centre, 2 right, 3 justified
  int skipAfterUnicode = 1;
  Destination destination = Destination::Text;
};

class RtfConverter {
 public:
  explicit RtfConverter(Markup markup) : markup_(markup) {}

  std::string Convert(const std::string& rtf) {
    if (rtf.compare(0, 5, "{\\rtf") != 0) return {};
    std::vector<GroupState> stack;
    GroupState state;
    size_t i = 0;
    const size_t n = rtf.size();
    int pendingSkip = 0;
    while (i < n) {
      char c = rtf[i];
      if (c == '{') {
        FlushBytes(state);
        if (stack.size() < 1024) stack.push_back(state);
        ++i;
        // A group that starts with \* is a destination the reader may ignore.
        if (rtf.compare(i, 2, "\\*") == 0) {
          i += 2;
          size_t start = i;
          if (i < n && rtf[i] == '\\') ++i;
          while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
          std::string word = rtf.substr(start + 1 < i ? start + 1 : start, i > start + 1 ? i - start - 1 : 0);
          if (word == "fldinst") {
            state.destination = Destination::FieldInstruction;
            fieldInstruction_.clear();
          } else {
            state.destination = Destination::Skip;
          }
          while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
          if (i < n && rtf[i] == ' ') ++i;
        }
        continue;
      }
      if (c == '}') {
        FlushBytes(state);
        if (stack.empty()) break;
        state = stack.back();
        stack.pop_back();
        ++i;
        continue;
      }
      if (c == '\r' || c == '\n') {
        ++i;
        continue;
      }
      if (c != '\\') {
        if (pendingSkip > 0) {
          --pendingSkip;
        } else {
          Byte(state, c);
        }
        ++i;
        continue;
      }
      // A control symbol or word.
      ++i;
      if (i >= n) break;
      char s = rtf[i];
      if (s == '\'') {
        int value = 0;
        if (i + 2 < n + 0 && std::isxdigit(static_cast<unsigned char>(rtf[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rtf[i + 2]))) {
          value = static_cast<int>(std::strtol(rtf.substr(i + 1, 2).c_str(), nullptr, 16));
          i += 3;
        } else {
          ++i;
          continue;
        }
        if (pendingSkip > 0) {
          --pendingSkip;
        } else {
          Byte(state, static_cast<char>(value));
        }
        continue;
      }
      if (!std::isalpha(static_cast<unsigned char>(s))) {
        ++i;
        if (s == '\\' || s == '{' || s == '}') {
          Byte(state, s);
        } else if (s == '~') {
          Wide(state, L"\u00a0");
        } else if (s == '_') {
          Wide(state, L"-");
        }
        continue;
      }
      size_t start = i;
      while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
      std::string word = rtf.substr(start, i - start);
      bool hasParam = false;
      long param = 0;
      size_t pstart = i;
      if (i < n && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        param = std::strtol(rtf.substr(pstart, i - pstart).c_str(), nullptr, 10);
        hasParam = i - pstart > (rtf[pstart] == '-' ? 1u : 0u);
      }
      if (i < n && rtf[i] == ' ') ++i;
      if (word == "bin" && hasParam) {
        FlushBytes(state);
        if (param > 0) i += std::min<size_t>(static_cast<size_t>(param), n - i);
        continue;
      }
      if (word == "u" && hasParam) {
        FlushBytes(state);
        wchar_t w = static_cast<wchar_t>(param < 0 ? param + 65536 : param);
        Wide(state, std::wstring(1, w));
        pendingSkip = state.skipAfterUnicode;
        continue;
      }
      pendingSkip = 0;
      Word(state, word, hasParam, static_cast<int>(param));
    }
    FlushBytes(state);
    EndParagraph(state, true);
    return out_;
  }

 private:
  void Byte(GroupState& state, char c) {
    if (state.destination == Destination::Skip) return;
    if (state.destination == Destination::ColorTable) {
      if (c == ';') {
        colors_.push_back(colorSeen_ ? colorValue_ : -1);
        colorValue_ = 0;
        colorSeen_ = false;
      }
      return;
    }
    bytes_.push_back(c);
    bytesFormat_ = state;
  }

  void FlushBytes(const GroupState&) {
    if (bytes_.empty()) return;
    std::wstring text = WideFromBytes(bytes_, codePage_);
    bytes_.clear();
    Wide(bytesFormat_, text);
  }

  void Wide(const GroupState& state, const std::wstring& text) {
    if (state.destination == Destination::Skip || state.destination == Destination::ColorTable) return;
    if (state.destination == Destination::FieldInstruction) {
      fieldInstruction_ += text;
      return;
    }
    if (!(state.format == run_) || state.align != paragraphAlign_) {
      FlushRun();
      run_ = state.format;
    }
    paragraphAlign_ = state.align;
    runText_ += text;
  }

  void Word(GroupState& state, const std::string& word, bool hasParam, int param) {
    bool on = !hasParam || param != 0;
    RunFormat& f = state.format;
    FlushBytes(state);  // text before the word keeps its place and format
    bool breaks = word == "par" || word == "sect" || word == "page" || word == "line";
    if (breaks && state.destination != Destination::Text) return;  // a break in a header or table
    if (word == "par" || word == "sect" || word == "page") {
      EndParagraph(state, false);
      return;
    }
    if (word == "line") {
      FlushBytes(state);
      FlushRun();
      paragraph_ += markup_ == Markup::Html ? "<br>" : "  \n";
      return;
    }
    if (word == "tab") return Wide(state, L"\t");
    if (word == "emdash") return Wide(state, L"\u2014");
    if (word == "endash") return Wide(state, L"\u2013");
    if (word == "bullet") return Wide(state, L"\u2022");
    if (word == "lquote") return Wide(state, L"\u2018");
    if (word == "rquote") return Wide(state, L"\u2019");
    if (word == "ldblquote") return Wide(state, L"\u201c");
    if (word == "rdblquote") return Wide(state, L"\u201d");
    FlushBytes(state);
    if (word == "ansicpg" && hasParam && param > 0) {
      codePage_ = static_cast<UINT>(param);
    } else if (word == "uc" && hasParam) {
      state.skipAfterUnicode = std::max(0, param);
    } else if (word == "colortbl") {
      state.destination = Destination::ColorTable;
      colors_.clear();
    } else if (word == "red" || word == "green" || word == "blue") {
      if (state.destination == Destination::ColorTable && hasParam) {
        int shift = word == "red" ? 16 : word == "green" ? 8 : 0;
        colorValue_ |= (std::clamp(param, 0, 255) << shift);
        colorSeen_ = true;
      }
    } else if (word == "fonttbl" || word == "stylesheet" || word == "info" || word == "pict" || word == "object" ||
               word == "header" || word == "footer" || word == "listtable" || word == "listoverridetable" ||
               word == "themedata" || word == "colorschememapping" || word == "latentstyles" ||
               word == "datastore" || word == "xmlnstbl" || word == "revtbl" || word == "rsidtbl" ||
               word == "filetbl" || word == "headerl" || word == "headerr" || word == "footerl" ||
               word == "footerr" || word == "footnote" || word == "nonshppict") {
      state.destination = Destination::Skip;
    } else if (word == "fldrslt") {
      state.destination = Destination::Text;
      state.format.link = LinkOf(fieldInstruction_);
    } else if (word == "b") {
      f.bold = on;
    } else if (word == "i") {
      f.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
               word == "ulwave" || word == "ulth") {
      f.underline = on;
    } else if (word == "ulnone") {
      f.underline = false;
    } else if (word == "strike" || word == "striked") {
      f.strike = on;
    } else if (word == "cf") {
      f.color = hasParam ? param : 0;
    } else if (word == "highlight" || word == "cb" || word == "chcbpat") {
      f.highlight = hasParam ? param : 0;
    } else if (word == "fs") {
      f.halfPoints = hasParam ? param : 0;
    } else if (word == "plain") {
      std::string link = f.link;
      f = RunFormat{};
      f.link = link;
    } else if (word == "pard") {
      state.align = 0;
    } else if (word == "ql") {
      state.align = 0;
    } else if (word == "qc") {
      state.align = 1;
    } else if (word == "qr") {
      state.align = 2;
    } else if (word == "qj") {
      state.align = 3;
    }
  }

  static std::string LinkOf(const std::wstring& instruction) {
    std::string text = Utf8FromWide(instruction);
    size_t at = text.find("HYPERLINK");
    if (at == std::string::npos) return {};
    size_t open = text.find('"', at);
    if (open == std::string::npos) {
      size_t begin = text.find_first_not_of(' ', at + 9);
      if (begin == std::string::npos) return {};
      size_t end = text.find(' ', begin);
      return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    }
    size_t close = text.find('"', open + 1);
    return text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }

  std::string Color(int index) const {
    if (index <= 0 || index >= static_cast<int>(colors_.size()) || colors_[index] < 0) return {};
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06x", colors_[index]);
    return buffer;
  }

  std::string MarkdownEscape(const std::string& utf8) const {
    std::string out;
    for (char c : utf8) {
      if (std::strchr("\\`*_[]<>#|~", c) && c != '\0') out += '\\';
      out += c;
    }
    return out;
  }

  void FlushRun() {
    if (runText_.empty()) return;
    std::string text = Utf8FromWide(runText_);
    runText_.clear();
    const RunFormat& f = run_;
    if (markup_ == Markup::Markdown) {
      std::string open, close;
      if (f.bold) open += "**", close.insert(0, "**");
      if (f.italic) open += "*", close.insert(0, "*");
      if (f.strike) open += "~~", close.insert(0, "~~");
      if (f.underline) open += "<u>", close.insert(0, "</u>");
      std::string body = open + MarkdownEscape(text) + close;
      if (!f.link.empty()) body = "[" + body + "](" + f.link + ")";
      paragraph_ += body;
      return;
    }
    std::string open, close;
    if (!f.link.empty()) open += "<a href=\"" + SafeHref(f.link) + "\">", close.insert(0, "</a>");
    if (f.bold) open += "<b>", close.insert(0, "</b>");
    if (f.italic) open += "<i>", close.insert(0, "</i>");
    if (f.underline) open += "<u>", close.insert(0, "</u>");
    if (f.strike) open += "<s>", close.insert(0, "</s>");
    std::string style;
    std::string color = Color(f.color), back = Color(f.highlight);
    if (!color.empty()) style += "color:" + color + ";";
    if (!back.empty()) style += "background-color:" + back + ";";
    if (f.halfPoints > 0) {
      style += "font-size:" + std::to_string(f.halfPoints / 2) + (f.halfPoints % 2 ? ".5" : "") + "pt;";
    }
    if (!style.empty()) open += "<span style=\"" + style + "\">", close.insert(0, "</span>");
    paragraph_ += open + HtmlEscape(text) + close;
  }

  void EndParagraph(const GroupState&, bool last) {
    FlushRun();
    if (last && paragraph_.empty()) return;
    if (markup_ == Markup::Markdown) {
      out_ += paragraph_ + "\n\n";
    } else {
      static const char* const kAlign[] = {"", " style=\"text-align:center\"", " style=\"text-align:right\"",
                                           " style=\"text-align:justify\""};
      out_ += "<p" + std::string(kAlign[std::clamp(paragraphAlign_, 0, 3)]) + ">" + paragraph_ + "</p>\n";
    }
    paragraph_.clear();
  }

  Markup markup_;
  UINT codePage_ = CP_ACP;
  std::string bytes_;
  GroupState bytesFormat_;
  std::vector<int> colors_;
  int colorValue_ = 0;
  bool colorSeen_ = false;
  std::wstring fieldInstruction_;
  RunFormat run_;
  std::wstring runText_;
  int paragraphAlign_ = 0;
  std::string paragraph_;
  std::string out_;
};

// An address as a link target; script and data addresses, which would run
// when the page is opened, are not linked.
std::string SafeHref(const std::string& address) {
  std::string scheme;
  for (char c : address) {
    if (c == ':') break;
    if (static_cast<unsigned char>(c) > ' ') scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (address.find(':') != std::string::npos &&
      (scheme == "javascript" || scheme == "vbscript" || scheme == "data")) {
    return "#";
  }
  return HtmlEscape(address);
}

// ---- files ---------------------------------------------------------------------

std::string ToLower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteNewFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t at = 0;
  while (ok && at < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20)), written = 0;
    ok = WriteFile(file, bytes.data() + at, chunk, &written, nullptr) && written == chunk;
    at += written;
  }
  ok = CloseHandle(file) && ok;
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

// The tree mirror's files are written by a thread of their own while the
// library is read: creating a file costs more than reading a note does, and
// the two then overlap. The first file that cannot be written stops it; what
// waits is bounded, so a library of large notes is never held in memory whole.
class FileWriter {
 public:
  FileWriter() : thread_([this] { Loop(); }) {}
  ~FileWriter() { Finish(); }

  // False once a file could not be written: failed() names it.
  bool Write(std::string path, std::string bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return pending_ < kMostPending || !failed_.empty(); });
    if (!failed_.empty()) return false;
    pending_ += bytes.size();
    queue_.push_back({std::move(path), std::move(bytes)});
    work_.notify_one();
    return true;
  }

  // Waits for every file given; true when all were written.
  bool Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    work_.notify_one();
    if (thread_.joinable()) thread_.join();
    return failed_.empty();
  }

  const std::string& Failed() const { return failed_; }

 private:
  static constexpr size_t kMostPending = 16u << 20;
  struct File {
    std::string path, bytes;
  };

  void Loop() {
    for (;;) {
      File file;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        work_.wait(lock, [&] { return !queue_.empty() || done_; });
        if (queue_.empty()) return;
        file = std::move(queue_.front());
        queue_.pop_front();
      }
      bool stopped;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped = !failed_.empty();
      }
      const bool ok = stopped || WriteNewFile(file.path, file.bytes);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ -= file.bytes.size();
        if (!ok && failed_.empty()) failed_ = file.path;
      }
      room_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable work_, room_;
  std::deque<File> queue_;
  size_t pending_ = 0;
  bool done_ = false;
  std::string failed_;
  std::thread thread_;
};

// Names already given in one output folder, compared without letter case.
class NameBook {
 public:
  std::string Take(const std::string& dir, const std::string& stem, const std::string& extension) {
    std::set<std::string>& used = used_[ToLower(dir)];
    std::string name = stem + extension;
    for (int k = 2; used.count(ToLower(name)); ++k) name = stem + " (" + std::to_string(k) + ")" + extension;
    used.insert(ToLower(name));
    return name;
  }

 private:
  std::map<std::string, std::set<std::string>> used_;
};

HRESULT ReadAll(const StreamHandle& stream, std::string& out) {
  out.clear();
  char buffer[65536];
  for (;;) {
    ULONG got = 0;
    HRESULT hr = stream->Read(buffer, sizeof buffer, &got);
    if (FAILED(hr)) return hr;
    out.append(buffer, got);
    if (got < sizeof buffer) return S_OK;
  }
}

std::optional<std::string> ReadFirstString(const OpenedItem& item) {
  if (FAILED(item.SeekContent())) return std::nullopt;
  std::optional<std::string> text;
  if (FAILED(item.Content().ReadCountedString(text))) return std::nullopt;
  return text;
}

// ---- the export ---------------------------------------------------------------

struct FolderPlan {
  FolderEntry entry;
  StorageHandle storage;
  std::vector<TreeNode> roots;
  std::vector<std::string> rootParents;  // element names above the roots (a branch)
  std::vector<CatalogItemEntry> items;
};

std::string Newlines(const std::wstring& text) {
  std::string utf8 = Utf8FromWide(text);
  std::string out;
  out.reserve(utf8.size() + 16);
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      out += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

class Exporter {
 public:
  Exporter(const ExportOptions& options, ExportResult& result) : options_(options), result_(result) {}

  // Every file handed to the writer is on disk before this returns, whatever
  // the outcome, so that the caller may take the work folder away.
  bool Run(std::vector<FolderPlan>& plans, const std::string& work, const std::string& targetName) {
    const bool ok = RunAll(plans, work, targetName);
    if (writer_.Finish()) return ok;
    return ok ? Fail(writer_.Failed()) : false;
  }

  bool HasFiles() const { return filesMade_; }
  const std::string& FilesName() const { return filesName_; }

 private:
  bool RunAll(std::vector<FolderPlan>& plans, const std::string& work, const std::string& targetName) {
    for (const FolderPlan& plan : plans) total_ += CountNodes(plan.roots) + plan.items.size();
    html_ = options_.format == ExportFormat::Html;
    work_ = work;
    if (html_) {
      stem_ = targetName;
      size_t dot = stem_.rfind('.');
      if (dot != std::string::npos && dot > 0) stem_.resize(dot);
      filesName_ = stem_ + "_files";
    }
    if (!Report()) return false;
    for (FolderPlan& plan : plans) {
      std::string title = DisplayName(plan.entry.name);
      std::string dir;
      if (html_) {
        Heading(1, title);
      } else {
        dir = work_ + "\\" + names_.Take(work_, SafeFileName(title), "");
        if (!MakeDir(dir)) return false;
      }
      for (const TreeNode& node : plan.roots) {
        if (!Node(plan, plan.rootParents, node, title, 2, dir)) return false;
      }
      for (const CatalogItemEntry& item : plan.items) {
        if (!Item(plan, item, title, 2, dir)) return false;
      }
    }
    if (html_) return WriteHtml(work_ + "\\" + targetName);
    return true;
  }

  bool Report() {
    if (options_.progress && !options_.progress(done_, total_)) {
      result_.status = ExportStatus::Cancelled;
      result_.message = "export cancelled";
      return false;
    }
    return true;
  }

  bool Fail(const std::string& what) {
    result_.status = ExportStatus::WriteFailed;
    result_.message = "cannot write " + what;
    return false;
  }

  bool MakeDir(const std::string& dir) {
    if (CreateDirectoryA(dir.c_str(), nullptr)) return true;
    return Fail(dir);
  }

  // Paths stay within what the file system takes: names get shorter as the
  // folders get deeper, and a branch deeper than a path can hold is written
  // into the folder reached so far (its names kept unique there).
  static constexpr size_t kDeepestFolder = 190;
  static size_t NameBudget(const std::string& dir) {
    return dir.size() >= kDeepestFolder ? 24 : std::min<size_t>(80, kDeepestFolder + 50 - dir.size() - 12);
  }
  std::string SubFolder(const std::string& dir, const std::string& title) {
    if (dir.size() >= kDeepestFolder) return dir;
    std::string sub = dir + "\\" + names_.Take(dir, SafeFileName(title, NameBudget(dir)), "");
    return MakeDir(sub) ? sub : std::string();
  }

  bool Unlocked(bool hasPassword, const std::string& password, const std::string& titlePath) const {
    if (!hasPassword) return true;
    if (options_.unlock) return options_.unlock(titlePath, password);
    return options_.password && options_.password(titlePath) == password;
  }

  // Where the files an item brings along go: the "_files" folder of the HTML
  // or the item's own folder of the tree mirror; link answers the relative path.
  bool PlaceFile(const std::string& dir, const std::string& stem, const std::string& extension, std::string& path,
                 std::string& link) {
    std::string into = dir;
    if (html_) {
      into = work_ + "\\" + filesName_;
      if (!filesMade_) {
        if (!MakeDir(into)) return false;
        filesMade_ = true;
      }
    }
    std::string name = names_.Take(into, stem, extension);
    path = into + "\\" + name;
    link = html_ ? filesName_ + "/" + name : name;
    return true;
  }

  void Heading(int level, const std::string& title) {
    std::string id = "n" + std::to_string(++anchors_);
    std::string text = HtmlEscape(Utf8FromAnsi(title));
    int h = std::clamp(level, 1, 6);
    body_ += "<h" + std::to_string(h) + " id=\"" + id + "\">" + text + "</h" + std::to_string(h) + ">\n";
    toc_.push_back({level, id, text});
  }

  bool Node(const FolderPlan& plan, std::vector<std::string> parents, const TreeNode& node,
            const std::string& parentTitles, int level, const std::string& dir) {
    std::string titlePath = parentTitles + "/" + node.title;
    if (!Unlocked(node.HasPassword(), node.password, titlePath)) {
      size_t skipped = 1 + CountNodes(node.children);
      result_.leftOut += skipped;
      done_ += skipped;
      return Report();
    }
    parents.push_back(node.elementName);
    ++result_.nodes;
    ++done_;
    if (node.isFolderNode) {
      std::string sub;
      if (html_) {
        Heading(level, node.title);
      } else {
        sub = SubFolder(dir, node.title);
        if (sub.empty()) return false;
      }
      if (!Report()) return false;
      for (const TreeNode& child : node.children) {
        if (!Node(plan, parents, child, titlePath, level + 1, sub)) return false;
      }
      return true;
    }
    LeafNodeSource source(plan.storage, parents, node.kind, node.title);
    if (!Content(source, node.title, level, dir)) return false;
    return Report();
  }

  bool Item(const FolderPlan& plan, const CatalogItemEntry& item, const std::string& folderTitle, int level,
            const std::string& dir) {
    std::string titlePath = folderTitle + "/" + item.title;
    ++done_;
    if (!Unlocked(item.hasPassword, item.password, titlePath)) {
      ++result_.leftOut;
      return Report();
    }
    ++result_.nodes;
    if (item.kind == kItemTabPages) {
      std::string sub;
      if (html_) {
        Heading(level, item.title);
      } else {
        sub = SubFolder(dir, item.title);
        if (sub.empty()) return false;
      }
      TabPages pages;
      StorageHandle itemStorage = plan.storage.OpenStorageFor(item.elementName.c_str(), true);
      if (itemStorage) pages.Load(itemStorage);
      itemStorage.Release();
      for (const TabPageEntry& page : pages.Pages()) {
        TabPageSource source(plan.storage, item.elementName, page.elementName, page.kind, page.title);
        if (!Content(source, page.title, level + 1, sub)) return false;
      }
      return Report();
    }
    CatalogItemSource source(plan.storage, item.elementName, item.kind, item.title);
    if (!Content(source, item.title, level, dir)) return false;
    return Report();
  }

  // One note or item: its heading and body in the HTML, or its file.
  bool Content(const ItemSource& source, const std::string& title, int level, const std::string& dir) {
    OpenedItem item;
    HRESULT opened = source.Open(false, item);
    std::string html, text;  // text: the body of the .txt / .md file
    const char* extension = options_.format == ExportFormat::Markdown ? ".md" : ".txt";
    bool md = options_.format == ExportFormat::Markdown;
    std::string stem = SafeFileName(title, NameBudget(dir));
    if (FAILED(opened)) {
      html = "<p class=\"unreadable\">(this element could not be read)</p>\n";
      text = "(this element could not be read)\n";
    } else {
      switch (source.Kind()) {
        case kItemText: {
          std::string rtf;
          if (SUCCEEDED(item.SeekContent())) ReadAll(item.Content(), rtf);
          if (html_) {
            html = "<div class=\"note\">\n" + RtfToHtml(rtf) + "</div>\n";
          } else if (md) {
            text = RtfConverter(Markup::Markdown).Convert(rtf);
          } else {
            text = Newlines(RtfPlainText(rtf));
          }
          break;
        }
        case kItemDataList: {
          DataList list;
          ReadDataList(item, list);
          if (html_) {
            html = "<table>\n<tr>";
            for (const DataListColumn& column : list.columns) html += "<th>" + HtmlEscape(Utf8FromAnsi(column.title)) + "</th>";
            html += "</tr>\n";
            for (const auto& row : list.rows) {
              html += "<tr>";
              for (const std::string& cell : row) html += "<td>" + HtmlEscape(Utf8FromAnsi(cell)) + "</td>";
              html += "</tr>\n";
            }
            html += "</table>\n";
          } else {
            auto line = [&](const std::vector<std::string>& cells) {
              std::string l = md ? "|" : "";
              for (size_t k = 0; k < cells.size(); ++k) {
                std::string cell = Utf8FromAnsi(cells[k]);
                if (md) {
                  for (size_t p = 0; (p = cell.find('|', p)) != std::string::npos; p += 2) cell.insert(p, "\\");
                  l += " " + cell + " |";
                } else {
                  l += (k ? "\t" : "") + cell;
                }
              }
              return l + "\n";
            };
            std::vector<std::string> titles;
            for (const DataListColumn& column : list.columns) titles.push_back(column.title);
            text = line(titles);
            if (md) {
              text += "|";
              for (size_t k = 0; k < titles.size(); ++k) text += " --- |";
              text += "\n";
            }
            for (const auto& row : list.rows) text += line(row);
          }
          break;
        }
        case kItemWebLink: {
          std::string address = Utf8FromAnsi(ReadFirstString(item).value_or(""));
          html = "<p><a href=\"" + SafeHref(address) + "\">" + HtmlEscape(address) + "</a></p>\n";
          text = md ? "<" + address + ">\n" : address + "\n";
          break;
        }
        case kItemWebArchive: {
          std::string page;
          if (SUCCEEDED(item.SeekContent())) ReadAll(item.Content(), page);
          std::string path, link;
          if (!PlaceFile(dir, stem, ".mht", path, link)) return false;
          if (!WriteNewFile(path, page)) return Fail(path);
          std::string label = HtmlEscape(Utf8FromAnsi(title));
          html = "<p><a href=\"" + HtmlEscape(link) + "\">" + label + " (saved page)</a></p>\n";
          text = md ? "[saved page](" + link + ")\n" : "saved page: " + Utf8FromAnsi(link) + "\n";
          break;
        }
        case kItemFileFolder: {
          std::vector<FileEntry> entries;
          ReadFileEntries(item, entries);
          html = "<ul class=\"files\">\n";
          for (const FileEntry& entry : entries) {
            std::string label = Utf8FromAnsi(entry.title), link;
            if (entry.Embedded() && item.itemStorage && UsableStreamName(entry.streamName)) {
              std::string fileName = SafeFileName(ExportFileName(entry), 120);
              size_t dot = fileName.rfind('.');
              std::string path;
              std::string fstem = dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
              std::string fext = dot == std::string::npos || dot == 0 ? "" : fileName.substr(dot);
              if (!PlaceFile(dir, fstem, fext, path, link)) return false;
              if (FAILED(ExportEmbeddedFile(item.itemStorage, entry.streamName, path))) link.clear();
              link = Utf8FromAnsi(link);
            } else {
              std::string source = entry.sourcePath;
              std::replace(source.begin(), source.end(), '\\', '/');
              link = source.empty() ? "" : "file:///" + Utf8FromAnsi(source);
            }
            if (link.empty()) {
              html += "<li>" + HtmlEscape(label) + "</li>\n";
              text += (md ? "- " : "") + label + "\n";
            } else {
              html += "<li><a href=\"" + SafeHref(link) + "\">" + HtmlEscape(label) + "</a></li>\n";
              text += md ? "- [" + label + "](" + link + ")\n" : label + "\t" + link + "\n";
            }
          }
          html += "</ul>\n";
          break;
        }
        case kItemOleControl: {
          std::string control = Utf8FromAnsi(ReadFirstString(item).value_or(""));
          html = "<p class=\"control\">OLE control: " + HtmlEscape(control) + "</p>\n";
          text = "OLE control: " + control + "\n";
          break;
        }
        default:
          break;
      }
    }
    if (html_) {
      Heading(level, title);
      body_ += html;
      return true;
    }
    if (md) text = "# " + Utf8FromAnsi(title) + "\n\n" + text;
    std::string path = dir + "\\" + names_.Take(dir, stem, extension);
    if (!writer_.Write(path, std::move(text))) return Fail(writer_.Failed());
    return true;
  }

  bool WriteHtml(const std::string& path) {
    std::string page =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Library</title>\n"
        "<style>.note{white-space:pre-wrap} table{border-collapse:collapse} td,th{border:1px solid #999;"
        "padding:2px 6px}</style>\n</head>\n<body>\n<nav id=\"contents\">\n";
    // Each level's list sits inside the item of its parent.
    int depth = 0;
    for (const TocEntry& entry : toc_) {
      if (entry.level > depth) {
        while (depth < entry.level) {
          page += "<ul>\n";
          if (++depth < entry.level) page += "<li>";
        }
      } else {
        page += "</li>\n";
        while (depth > entry.level) {
          page += "</ul></li>\n";
          --depth;
        }
      }
      page += "<li><a href=\"#" + entry.id + "\">" + entry.text + "</a>";
    }
    if (depth > 0) page += "</li>\n";
    while (depth > 0) {
      page += "</ul>\n";
      if (--depth > 0) page += "</li>\n";
    }
    page += "</nav>\n" + body_ + "</body>\n</html>\n";
    if (!WriteNewFile(path, page)) return Fail(path);
    return true;
  }

  struct TocEntry {
    int level;
    std::string id, text;
  };

  const ExportOptions& options_;
  ExportResult& result_;
  FileWriter writer_;
  size_t done_ = 0, total_ = 0;
  bool html_ = false;
  std::string work_, stem_, filesName_;
  bool filesMade_ = false;
  int anchors_ = 0;
  std::string body_;
  std::vector<TocEntry> toc_;
  NameBook names_;
};

// The roots of the export inside a tree folder: the whole tree, or the node
// the branch of titles leads to.
bool FindBranch(FolderPlan& plan, const std::vector<std::string>& branch) {
  std::vector<TreeNode>* level = &plan.roots;
  TreeNode found;
  for (size_t k = 0; k < branch.size(); ++k) {
    auto it = std::find_if(level->begin(), level->end(), [&](const TreeNode& n) { return n.title == branch[k]; });
    if (it == level->end()) return false;
    if (k + 1 == branch.size()) {
      found = std::move(*it);
      break;
    }
    plan.rootParents.push_back(it->elementName);
    level = &it->children;
  }
  plan.roots.clear();
  plan.roots.push_back(std::move(found));
  return true;
}

}  // namespace

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

std::string HtmlEscape(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Utf8FromAnsi(const std::string& ansi) { return Utf8FromWide(WideFromBytes(ansi, CP_THREAD_ACP)); }

std::string RtfToHtml(const std::string& rtf) { return RtfConverter(Markup::Html).Convert(rtf); }

std::string SafeFileName(const std::string& title, size_t maxBytes) {
  std::string name;
  UINT cp = CP_THREAD_ACP;
  for (size_t i = 0; i < title.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(title[i]);
    if (IsDBCSLeadByteEx(cp, c) && i + 1 < title.size()) {
      name += title[i];
      name += title[++i];
      continue;
    }
    name += (c < 32 || std::strchr("<>:\"/\\|?*", c)) ? '_' : static_cast<char>(c);
  }
  name = CutToBytes(name, maxBytes);
  size_t begin = name.find_first_not_of(". ");
  name = begin == std::string::npos ? std::string() : name.substr(begin);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  if (name.empty()) return "_";
  std::string base = ToLower(name.substr(0, name.find('.')));
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "com1", "com2", "com3", "com4", "com5",
                                         "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5",
                                         "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$"};
  for (const char* device : kDevices) {
    if (base == device) return "_" + name;
  }
  return name;
}

std::string RtfFromText(const std::wstring& text) {
  UINT cp = GetACP();
  // The font's character set for the code page, as fonts name it.
  static const std::pair<UINT, int> kCharsets[] = {{874, 222}, {932, 128}, {936, 134}, {949, 129}, {950, 136},
                                                   {1250, 238}, {1251, 204}, {1253, 161}, {1254, 162},
                                                   {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}};
  int charset = 0;
  for (const auto& [page, set] : kCharsets) {
    if (page == cp) charset = set;
  }
  std::string rtf = "{\\rtf1\\ansi\\ansicpg" + std::to_string(cp) + "\\deff0{\\fonttbl{\\f0\\fnil\\fcharset" +
                    std::to_string(charset) + " ;}}\\uc1\\pard\\f0\\fs20 ";
  char hex[8];
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') continue;
      rtf += "\\par\n";
    } else if (c == L'\n') {
      rtf += "\\par\n";
    } else if (c == L'\t') {
      rtf += "\\tab ";
    } else if (c == L'\\' || c == L'{' || c == L'}') {
      rtf += '\\';
      rtf += static_cast<char>(c);
    } else if (c >= 32 && c < 128) {
      rtf += static_cast<char>(c);
    } else if (c < 32) {
      continue;
    } else {
      char bytes[8];
      BOOL lossy = FALSE;
      int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr, &lossy);
      if (n > 0 && !lossy) {
        for (int k = 0; k < n; ++k) {
          std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>(bytes[k]));
          rtf += hex;
        }
      } else {
        rtf += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
      }
    }
  }
  return rtf + "}";
}

ExportResult ExportLibrary(const std::string& libraryPath, const std::string& target, const ExportOptions& options) {
  ExportResult result;
  std::string parent = ParentOf(target), name = LeafOf(target);
  size_t dot = name.rfind('.');
  std::string filesFolder = parent + "\\" + (dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name) + "_files";
  if (name.empty() || Exists(target) || (options.format == ExportFormat::Html && Exists(filesFolder))) {
    result.status = ExportStatus::TargetExists;
    result.message = target + " exists already";
    return result;
  }
  StorageHandle root;
  if (FAILED(root.OpenRoot(libraryPath.c_str(), kReadMode))) {
    result.status = ExportStatus::CannotOpen;
    result.message = "cannot open " + libraryPath;
    return result;
  }
  // The library password keeps the whole library, as opening it does.
  std::string libraryPassword = ReadSettingsString(root, kLibraryPasswordSlot);
  if (!libraryPassword.empty() && (!options.password || options.password("") != libraryPassword)) {
    result.status = ExportStatus::Locked;
    result.message = libraryPath + " has a library password";
    return result;
  }
  std::vector<FolderEntry> folders;
  ListFolders(root, folders);
  std::stable_sort(folders.begin(), folders.end(),
                   [](const FolderEntry& a, const FolderEntry& b) { return a.order < b.order; });
  std::vector<FolderPlan> plans;
  for (const FolderEntry& folder : folders) {
    if (!options.folder.empty() && lstrcmpiA(DisplayName(folder.name).c_str(), options.folder.c_str()) != 0 &&
        lstrcmpiA(folder.name.c_str(), options.folder.c_str()) != 0) {
      continue;
    }
    FolderPlan plan;
    plan.entry = folder;
    plan.storage = root.OpenStorageFor(folder.name.c_str(), true);
    if (!plan.storage) continue;
    if (folder.kind == kFolderTree) {
      LoadTree(plan.storage, plan.roots);
      if (!options.branch.empty() && !FindBranch(plan, options.branch)) {
        result.status = ExportStatus::NotFound;
        result.message = "no such branch in " + DisplayName(folder.name);
        return result;
      }
    } else if (folder.kind == kFolderCatalog) {
      if (!options.branch.empty()) continue;
      LoadCatalogItems(plan.storage, plan.items);
    }
    plans.push_back(std::move(plan));
    if (!options.folder.empty()) break;
  }
  if (!options.folder.empty() && plans.empty()) {
    result.status = ExportStatus::NotFound;
    result.message = "no folder " + options.folder;
    return result;
  }
  // Everything is made in a folder of its own beside the target and moved
  // into place when it is whole.
  std::string work = parent + "\\~" + name + "." + std::to_string(GetCurrentProcessId()) + "." +
                     std::to_string(GetTickCount()) + ".part";
  if (!CreateDirectoryA(work.c_str(), nullptr)) {
    result.status = ExportStatus::WriteFailed;
    result.message = "cannot write in " + parent;
    return result;
  }
  Exporter exporter(options, result);
  bool ok = false;
  if (options.format == ExportFormat::Html) {
    ok = exporter.Run(plans, work, name);
    plans.clear();
    root.Release();
    if (ok && exporter.HasFiles()) {
      std::string files = parent + "\\" + exporter.FilesName();
      ok = MoveFileA((work + "\\" + exporter.FilesName()).c_str(), files.c_str());
      if (ok && !MoveFileA((work + "\\" + name).c_str(), target.c_str())) {
        MoveFileA(files.c_str(), (work + "\\" + exporter.FilesName()).c_str());
        ok = false;
      }
    } else if (ok) {
      ok = MoveFileA((work + "\\" + name).c_str(), target.c_str());
    }
    if (!ok && result.status == ExportStatus::Done) {
      result.status = ExportStatus::WriteFailed;
      result.message = "cannot move the export to " + target;
    }
    RemoveTree(work);
    return result;
  }
  std::string tree = work + "\\" + name;
  ok = CreateDirectoryA(tree.c_str(), nullptr) && exporter.Run(plans, tree, name);
  plans.clear();
  root.Release();
  if (ok && !MoveFileA(tree.c_str(), target.c_str())) ok = false;
  if (!ok && result.status == ExportStatus::Done) {
    result.status = ExportStatus::WriteFailed;
    result.message = "cannot move the export to " + target;
  }
  RemoveTree(work);
  return result;
}

}  // namespace vellora
