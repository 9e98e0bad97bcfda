#include "app/ErrorLog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/TestSupport.h"

namespace {

using vellora::ErrorLog;

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second, int weekday) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_wday = weekday;
  t.tm_isdst = -1;
  return t;
}

// 7 December 2006 was a Thursday.
std::tm December7(int hour, int minute, int second) { return LocalTime(2006, 12, 7, hour, minute, second, 4); }

ErrorLog::LocalClock FixedClock(std::tm t) {
  return [t] { return t; };
}

std::string Stamp(std::tm t) { return std::asctime(&t); }

// An entry as the log file holds it: the file is written in text mode.
std::string Entry(const std::string& message, const std::tm& t) {
  std::string text = message + " -- " + Stamp(t) + "\n", disk;
  for (char c : text) {
    if (c == '\n') disk += '\r';
    disk += c;
  }
  return disk;
}

// A file of exactly `size` bytes, made without writing them.
bool MakeFileOfSize(const std::string& path, LONG size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = SetFilePointer(h, size, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}

TEST(ErrorLog, EntryGoesToTheFileOfTheDay) {
  vtest::TempDir dir;
  const std::tm t = December7(10, 20, 30);
  ErrorLog log("error", dir.Path(), FixedClock(t));
  log.Write("Stream %s missing in folder %d", "FolderItemInfo", 3);
  log.Write("second");

  const std::string path = dir.File("error 2006-12-7.log");
  ASSERT_TRUE(vtest::FileExists(path));
  EXPECT_EQ(vtest::ReadWholeFile(path),
            Entry("Stream FolderItemInfo missing in folder 3", t) + Entry("second", t));
  // The stamp is the C library's ctime form, with its own line end.
  const std::string stamp = Stamp(t);
  EXPECT_EQ(stamp.substr(0, 8), "Thu Dec ");
  EXPECT_EQ(stamp.substr(stamp.size() - 14), "10:20:30 2006\n");
}

TEST(ErrorLog, WithoutFolderTheLogLiesInTheCurrentDirectory) {
  vtest::TempDir dir;
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  const std::tm t = LocalTime(2007, 1, 15, 8, 0, 0, 1);
  ErrorLog("error", {}, FixedClock(t)).Write("here");
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(vtest::ReadWholeFile(dir.File("error 2007-1-15.log")), Entry("here", t));
}

TEST(ErrorLog, DefaultClockNamesTheFileWithToday) {
  vtest::TempDir dir;
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  ErrorLog("error", dir.Path()).Write("now");
  GetLocalTime(&after);
  auto name = [&](const SYSTEMTIME& s) {
    char buf[64];
    snprintf(buf, sizeof buf, "error %d-%d-%d.log", s.wYear, s.wMonth, s.wDay);
    return dir.File(buf);
  };
  EXPECT_TRUE(vtest::FileExists(name(before)) || vtest::FileExists(name(after)));
}

TEST(ErrorLog, ReportWritesTheMessageLiterally) {
  vtest::TempDir dir;
  const std::tm t = December7(1, 2, 3);
  ErrorLog log("error", dir.Path(), FixedClock(t));
  log.Report("100% of %s %d");
  EXPECT_EQ(vtest::ReadWholeFile(dir.File("error 2006-12-7.log")), Entry("100% of %s %d", t));
}

TEST(ErrorLog, OverlongMessagesAreCutAt1023Characters) {
  vtest::TempDir dir;
  const std::tm t = December7(1, 2, 3);
  ErrorLog log("error", dir.Path(), FixedClock(t));
  const std::string exact(1023, 'a'), longer(5000, 'b');
  log.Write("%s", exact.c_str());
  log.Write("%s%s", longer.c_str(), "tail");
  EXPECT_EQ(vtest::ReadWholeFile(dir.File("error 2006-12-7.log")),
            Entry(exact, t) + Entry(std::string(1023, 'b'), t));
}

TEST(ErrorLog, UnopenableFileDropsTheEntry) {
  vtest::TempDir dir;
  const std::string missing = dir.File("no such folder");
  ErrorLog log("error", missing, FixedClock(December7(1, 2, 3)));
  log.Write("lost %d", 1);
  EXPECT_FALSE(vtest::FileExists(missing));
}

TEST(ErrorLog, FullFileIsSetAsideUnderTheTimeOfDay) {
  vtest::TempDir dir;
  const std::tm t = December7(9, 5, 3);
  const std::string day = dir.File("error 2006-12-7.log");
  const std::string rotated = dir.File("error 2006-12-7.90503.log");
  ASSERT_TRUE(MakeFileOfSize(day, ErrorLog::kRotateLength));

  ErrorLog log("error", dir.Path(), FixedClock(t));
  log.Write("first");
  EXPECT_FALSE(vtest::FileExists(day));
  ASSERT_TRUE(vtest::FileExists(rotated));
  EXPECT_EQ(vtest::FileSize(rotated), ErrorLog::kRotateLength + static_cast<long long>(Entry("first", t).size()));

  log.Write("second");
  EXPECT_EQ(vtest::ReadWholeFile(day), Entry("second", t));
  EXPECT_EQ(vtest::FileSize(rotated), ErrorLog::kRotateLength + static_cast<long long>(Entry("first", t).size()));
}

TEST(ErrorLog, RotationStartsWhenTheEntryReachesTheLimit) {
  const std::tm t = December7(0, 0, 5);  // time suffix without leading zeros: 5
  const long entry = static_cast<long>(Entry("x", t).size());
  {
    vtest::TempDir dir;
    const std::string day = dir.File("error 2006-12-7.log");
    ASSERT_TRUE(MakeFileOfSize(day, ErrorLog::kRotateLength - entry - 1));
    ErrorLog("error", dir.Path(), FixedClock(t)).Write("x");
    EXPECT_EQ(vtest::FileSize(day), ErrorLog::kRotateLength - 1);
    EXPECT_FALSE(vtest::FileExists(dir.File("error 2006-12-7.5.log")));
  }
  {
    vtest::TempDir dir;
    const std::string day = dir.File("error 2006-12-7.log");
    ASSERT_TRUE(MakeFileOfSize(day, ErrorLog::kRotateLength - entry));
    ErrorLog("error", dir.Path(), FixedClock(t)).Write("x");
    EXPECT_FALSE(vtest::FileExists(day));
    EXPECT_EQ(vtest::FileSize(dir.File("error 2006-12-7.5.log")), ErrorLog::kRotateLength);
  }
}

TEST(ErrorLog, FailedRenameKeepsAppendingAndSparesTheEarlierFile) {
  vtest::TempDir dir;
  const std::tm t = December7(23, 59, 59);
  const std::string day = dir.File("error 2006-12-7.log");
  const std::string rotated = dir.File("error 2006-12-7.235959.log");
  ASSERT_TRUE(vtest::WriteWholeFile(rotated, "earlier"));
  ASSERT_TRUE(MakeFileOfSize(day, ErrorLog::kRotateLength));

  ErrorLog log("error", dir.Path(), FixedClock(t));
  log.Write("one");
  log.Write("two");
  EXPECT_EQ(vtest::ReadWholeFile(rotated), "earlier");
  EXPECT_EQ(vtest::FileSize(day),
            ErrorLog::kRotateLength + static_cast<long long>(Entry("one", t).size() + Entry("two", t).size()));
}

}  // namespace
