#include "app/ErrorLog.h"

#include <io.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace vellora {

namespace {

std::tm SystemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm* local = std::localtime(&now);
  return local ? *local : std::tm{};
}

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};

}  // namespace

ErrorLog::ErrorLog(std::string prefix, std::string folder, LocalClock clock)
    : prefix_(std::move(prefix)), folder_(std::move(folder)), clock_(std::move(clock)) {
  if (!clock_) clock_ = SystemLocalTime;
}

std::string ErrorLog::Folder() const {
  if (folder_.empty() || folder_.back() == '\\' || folder_.back() == '/') return folder_;
  return folder_ + "\\";
}

void ErrorLog::Write(const char* format, ...) {
  char message[kMaxMessage + 1] = "";
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format ? format : "", args);
  va_end(args);
  // Some runtimes leave the buffer unterminated when the text does not fit.
  message[kMaxMessage] = '\0';
  Append(message);
}

void ErrorLog::Report(const std::string& message) { Write("%s", message.c_str()); }

void ErrorLog::Append(const char* message) {
  std::string debug = std::string(message) + "\n";
  OutputDebugStringA(debug.c_str());

  std::tm now = clock_();
  const int year = now.tm_year + 1900, month = now.tm_mon + 1, day = now.tm_mday;
  char name[MAX_PATH];
  snprintf(name, sizeof name, "%s %d-%d-%d.log", prefix_.c_str(), year, month, day);
  const std::string path = Folder() + name;

  long length = 0;
  {
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "a"));
    if (!file) return;
    const char* stamp = std::asctime(&now);
    fprintf(file.get(), "%s -- %s\n", message, stamp ? stamp : "\n");
    fflush(file.get());
    length = _filelength(_fileno(file.get()));
  }
  if (length < kRotateLength) return;

  const unsigned clock = static_cast<unsigned>(now.tm_hour * 10000 + now.tm_min * 100 + now.tm_sec);
  char rotated[MAX_PATH];
  snprintf(rotated, sizeof rotated, "%s %d-%d-%d.%u.log", prefix_.c_str(), year, month, day, clock);
  // When the rename fails the next entry simply appends to the same file.
  MoveFileA(path.c_str(), (Folder() + rotated).c_str());
}

}  // namespace vellora
