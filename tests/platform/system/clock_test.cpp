// The machine's clock, its time zone and Windows' date and time formatting.
#include "platform/system/clock.h"

#include <gtest/gtest.h>

#include "machine_builder/hives.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "support/temp_machine.h"

namespace {

using namespace w95;
using dxl::testing::TempMachine;

std::string Date(const SystemTime* t, std::optional<std::string_view> picture, DWORD flags = 0) {
  std::string out;
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, flags, t, picture, out, 32);
  EXPECT_EQ(n, n ? static_cast<int>(out.size()) + 1 : 0);
  return Cp936ToUtf8(out).value_or("<invalid>");
}

std::string Time(const SystemTime* t, std::optional<std::string_view> picture = std::nullopt) {
  std::string out;
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, t, picture, out, 32);
  return Cp936ToUtf8(out).value_or("<invalid>");
}

TEST(Clock, AFixedClockStandsAtItsLocalTime) {
  TempMachine machine;
  machine.Builder().MachineIni("Clock", "Now", "2026/12/08 09:05:07");
  SystemTime now;
  GetLocalTime(now);
  EXPECT_EQ(now.wYear, 2026);
  EXPECT_EQ(now.wMonth, 12);
  EXPECT_EQ(now.wDay, 8);
  EXPECT_EQ(now.wDayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(now.wHour, 9);
  EXPECT_EQ(now.wSecond, 7);
  EXPECT_EQ(Date(nullptr, std::nullopt, DATE_SHORTDATE), "2026-12-8");
  EXPECT_EQ(Time(nullptr), "9:05:07");
  EXPECT_EQ(Date(nullptr, "yyMMdd"), "261208");

  machine.Builder().MachineIni("Clock", "Bias", "-480");
  SystemTime utc;
  GetSystemTime(utc);
  EXPECT_EQ(utc.wDay, 8);
  EXPECT_EQ(utc.wHour, 1);
}

TEST(Clock, FileTimesTurnIntoLocalTimeByTheBias) {
  TempMachine machine;
  SystemTime noon{1997, 7, 0, 1, 12, 0, 0, 0};
  std::int64_t fileTime = 0;
  ASSERT_TRUE(SystemTimeToFileTime(noon, fileTime));
  std::int64_t local = 0;
  SystemTime back;
  FileTimeToLocalFileTime(fileTime, local);
  FileTimeToSystemTime(local, back);
  EXPECT_EQ(back.wHour, 12);
  machine.Builder().MachineIni("Clock", "Bias", "-480");
  FileTimeToLocalFileTime(fileTime, local);
  FileTimeToSystemTime(local, back);
  EXPECT_EQ(back.wHour, 20);
  EXPECT_EQ(back.wDayOfWeek, 2);
  SystemTime bad{1997, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(bad, fileTime));
}

TEST(DateFormat, FollowsTheUsersSettingsAndPictures) {
  TempMachine machine;
  SystemTime t{1997, 7, 0, 1, 15, 4, 9, 0};
  EXPECT_EQ(Date(&t, std::nullopt, DATE_SHORTDATE), "1997-7-1");
  EXPECT_EQ(Date(&t, *Utf8ToCp936("dddd yyyy'年'MM'月'dd'日' ''")), "星期二 1997年07月01日 '");
  EXPECT_EQ(Date(&t, "MMM d, yy"), "七月 1, 97");
  EXPECT_EQ(Time(&t), "15:04:09");
  EXPECT_EQ(Time(&t, "tt hh:mm"), "下午 03:04");

  dxl::tools::SetRegistryText(machine.Builder(), "HKEY_CURRENT_USER\\Control Panel\\International", "sShortDate",
                              *Utf8ToCp936("yyyy年M月d日"));
  dxl::tools::SetRegistryText(machine.Builder(), "HKEY_CURRENT_USER\\Control Panel\\International", "sTimeFormat",
                              "HH:mm");
  machine.Activate();
  EXPECT_EQ(Date(&t, std::nullopt, DATE_SHORTDATE), "1997年7月1日");
  EXPECT_EQ(Time(&t), "15:04");
}

TEST(TimeFormat, MarkersTakeTheUsersMorningAndAfternoonTexts) {
  TempMachine machine;
  SystemTime morning{1997, 7, 0, 1, 9, 4, 9, 0};
  SystemTime afternoon{1997, 7, 0, 1, 15, 4, 9, 0};
  // Without the values: the Chinese locale's texts; `t` is their first character.
  EXPECT_EQ(Time(&morning, "tt h:mm"), "上午 9:04");
  EXPECT_EQ(Time(&afternoon, "t h"), "下 3");

  const char* key = "HKEY_CURRENT_USER\\Control Panel\\International";
  dxl::tools::SetRegistryText(machine.Builder(), key, "s1159", "AM");
  dxl::tools::SetRegistryText(machine.Builder(), key, "s2359", *Utf8ToCp936("午後"));
  machine.Activate();
  EXPECT_EQ(Time(&morning, "tt h:mm"), "AM 9:04");
  EXPECT_EQ(Time(&morning, "t h"), "A 9");
  EXPECT_EQ(Time(&afternoon, "tt h"), "午後 3");
  EXPECT_EQ(Time(&afternoon, "t h"), "午 3");  // a whole double-byte character

  // An empty text is the user's choice: the marker gives nothing.
  dxl::tools::SetRegistryText(machine.Builder(), key, "s1159", "");
  machine.Activate();
  EXPECT_EQ(Time(&morning, "tt|t|h"), "||9");
}

TEST(DateFormat, SizesAndInvalidInputAsWindowsAnswers) {
  TempMachine machine;
  SystemTime t{1997, 7, 0, 1, 0, 0, 0, 0};
  std::string out = "untouched";
  EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, "yyMMdd", out, 0), 7);
  EXPECT_EQ(out, "untouched");
  EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, "yyMMdd", out, 6), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, "yyMMdd", out, 7), 7);
  EXPECT_EQ(out, "970701");
  SystemTime bad{1997, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &bad, "yyMMdd", out, 32), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, "yy", out, 32), 0);
}

}  // namespace
