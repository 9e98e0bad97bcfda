#pragma once
// The diagnostic log: each entry is appended to a text file of the day,
// "<prefix> <year>-<month>-<day>.log", as "<message> -- <ctime stamp>\n".
// A file that has grown to 20 MiB is renamed with the time of day appended
// ("<prefix> <y>-<m>-<d>.<hhmmss>.log"), so the next entry starts a new file.
//
// No handle is kept between entries: every entry opens, appends and closes.
// The file is opened in text mode, so lines end in CR LF on disk.
#include <ctime>
#include <functional>
#include <string>

#include "store/Services.h"

#if defined(__MINGW_PRINTF_FORMAT)
#define VELLORA_PRINTF_FORMAT(fmt, args) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, args)))
#elif defined(__GNUC__)
#define VELLORA_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VELLORA_PRINTF_FORMAT(fmt, args)
#endif

namespace vellora {

class ErrorLog : public DiagnosticSink {
 public:
  // Gives the local time of an entry; the default reads the system clock.
  using LocalClock = std::function<std::tm()>;

  // A file that reaches this length is set aside after the entry.
  static constexpr long kRotateLength = 0x1400000;
  // Longest message kept, in characters; the rest is cut.
  static constexpr size_t kMaxMessage = 1023;

  // `prefix` starts every file name; `folder` (none: the current directory)
  // is where the files lie.
  explicit ErrorLog(std::string prefix = "error", std::string folder = {}, LocalClock clock = {});

  // printf-style. The message also goes to the debugger output. An entry
  // whose file cannot be opened is dropped.
  void Write(const char* format, ...) VELLORA_PRINTF_FORMAT(2, 3);

  // Writes the message as it is (it is not a format).
  void Report(const std::string& message) override;

 private:
  void Append(const char* message);
  std::string Folder() const;

  std::string prefix_;
  std::string folder_;
  LocalClock clock_;
};

}  // namespace vellora
