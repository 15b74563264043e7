// MACHINE.INI [Clock] Bias figures beyond a day either way, as the fuzz
// harness of MACHINE.INI's readers was given them: no bias (a figure of a
// billion years overflowed when taken to seconds), while a real one holds.
#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

TEST(ClockRobustness, ABiasBeyondADayIsNoBias) {
  struct Case {
    const char* bias;
    int utcHour;  // of local 1998/02/28 23:59:59
    int utcDay;
  };
  const Case cases[] = {
      {"999999999999999999", 23, 28},
      {"99999999999", 23, 28},
      {"-1441", 23, 28},
      {"1441", 23, 28},
      {"1440", 23, 1},
      {"-480", 15, 28},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bias);
    dxl::testing::TempMachine machine;
    machine.Builder().MachineIni("Clock", "Now", "1998/02/28 23:59:59");
    machine.Builder().MachineIni("Clock", "Bias", c.bias);
    SystemTime local, utc;
    GetLocalTime(local);
    GetSystemTime(utc);
    EXPECT_EQ(local.wDay, 28);
    EXPECT_EQ(utc.wHour, c.utcHour);
    EXPECT_EQ(utc.wDay, c.utcDay);
    std::int64_t fileTime = 0, localFileTime = 0;
    ASSERT_TRUE(SystemTimeToFileTime(utc, fileTime));
    ASSERT_TRUE(FileTimeToLocalFileTime(fileTime, localFileTime));
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(localFileTime, back));
    EXPECT_EQ(back.wHour, 23);
  }
}

}  // namespace
}  // namespace w95
