#include "setup/debug_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "setup/test_support.h"

namespace {

using setuptest::FileExists;
using setuptest::ReadFile;
using setuptest::TempPath;
using setuptest::WriteFile;

using setuptest::FixedTime;

TEST(DebugInfoLogTest, WritesHeaderLineFormsAndClosingLine) {
  std::string path = TempPath("debug_info.dat");
  {
    DebugInfoLog log(path);
    log.fNow = &FixedTime;
    log.Enable();
    log.LogLine("DeviceSelector detected Glide device. Info:");
    log.LogText("   Driver Name", "glide3.dll");
    log.LogNumber("   Vendor ID", 4634);
    log.LogNumber("   Memory size (in bytes)", -1);
    EXPECT_TRUE(log.IsOpen());
  }
  EXPECT_EQ(ReadFile(path),
            "\n--- Demo Debug Info File (Created Mon Apr 16 12:07:39 2001) ---\n"
            "DeviceSelector detected Glide device. Info:\n"
            "   Driver Name: glide3.dll\n"
            "   Vendor ID: 4634 (0x121a)\n"
            "   Memory size (in bytes): -1 (0xffffffff)\n"
            "--- End of Demo Debug Info File ---\n\n");
}

TEST(DebugInfoLogTest, DisabledLogLeavesAnEarlierFileAlone) {
  std::string path = TempPath("debug_info.dat");
  WriteFile(path, "earlier run\n");
  {
    DebugInfoLog log(path);
    log.LogLine("not written");
    log.LogNumber("   Vendor ID", 4634);
    EXPECT_FALSE(log.IsOpen());
  }
  EXPECT_EQ(ReadFile(path), "earlier run\n");
}

TEST(DebugInfoLogTest, EnabledLogWithoutLinesCreatesNoFile) {
  std::string path = TempPath("debug_info.dat");
  std::remove(path.c_str());
  {
    DebugInfoLog log(path);
    log.Enable();
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(DebugInfoLogTest, FileThatCannotBeCreatedCostsOnlyTheLog) {
  DebugInfoLog log(TempPath("missing-directory/debug_info.dat"));
  log.Enable();
  log.LogLine("lost");
  log.LogText("   Driver Name", "lost");
  EXPECT_FALSE(log.IsOpen());
  log.Close();
}

TEST(DebugInfoLogTest, ClassicTimeForm) {
  struct Case {
    int year, month, day, weekday, hour, minute, second;
    const char* expected;
  };
  const Case cases[] = {
      {2001, 3, 16, 1, 12, 7, 39, "Mon Apr 16 12:07:39 2001"},
      {1999, 11, 31, 5, 23, 59, 59, "Fri Dec 31 23:59:59 1999"},
      {2000, 0, 1, 6, 0, 0, 0, "Sat Jan  1 00:00:00 2000"},
  };
  for (const Case& c : cases) {
    std::tm time{};
    time.tm_year = c.year - 1900;
    time.tm_mon = c.month;
    time.tm_mday = c.day;
    time.tm_wday = c.weekday;
    time.tm_hour = c.hour;
    time.tm_min = c.minute;
    time.tm_sec = c.second;
    EXPECT_EQ(FormatClassicTime(time), c.expected);
    EXPECT_EQ(FormatClassicTime(time).size(), 24u);
  }
}

TEST(DebugTraceTest, PassesTextUnchangedToStandardError) {
  TraceCapture capture;
  DebugTrace("--- D3D8.DLL loaded successfully.\n");
  DebugTrace("no line end");
  DebugTrace(nullptr);
  EXPECT_EQ(capture.Take(), "--- D3D8.DLL loaded successfully.\nno line end");
}

}  // namespace
