// The clock of the emulated machine, its time zone, and Windows' date and time
// formatting (GetDateFormatA / GetTimeFormatA).
//
// Local time is UTC minus the bias in minutes (MACHINE.INI [Clock] Bias, as
// Windows keeps it: China is -480; default 0, so that local time is UTC; a
// bias beyond a day either way is ignored as 0).
// MACHINE.INI [Clock] Now="YYYY/MM/DD HH:MM:SS" stops the clock at that local
// time (for tests and demonstrations); otherwise it is the host's clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

using WORD = std::uint16_t;

struct SystemTime {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

constexpr DWORD LOCALE_USER_DEFAULT = 0x0400;
constexpr DWORD DATE_SHORTDATE = 0x1;
constexpr DWORD DATE_LONGDATE = 0x2;

void GetLocalTime(SystemTime& time);
void GetSystemTime(SystemTime& time);

// FILETIME (100 ns ticks since 1601 UTC) conversions.
bool FileTimeToLocalFileTime(std::int64_t fileTime, std::int64_t& localFileTime);
bool FileTimeToSystemTime(std::int64_t fileTime, SystemTime& time);
bool SystemTimeToFileTime(const SystemTime& time, std::int64_t& fileTime);

// Formats `date` (null: today, local time) with `picture`, or with the user's
// short date (HKCU\Control Panel\International sShortDate, default "yyyy-M-d")
// when the picture is null. `out` gets the text; the result counts it with its
// NUL, as Windows does; 0 with ERROR_INSUFFICIENT_BUFFER when `size` (NUL
// included) is too small, 0 with ERROR_INVALID_PARAMETER for a bad date.
int GetDateFormatA(DWORD locale, DWORD flags, const SystemTime* date, std::optional<std::string_view> picture,
                   std::string& out, int size);
// The same for times: picture or sTimeFormat (default "H:mm:ss").
int GetTimeFormatA(DWORD locale, DWORD flags, const SystemTime* time, std::optional<std::string_view> picture,
                   std::string& out, int size);

}  // namespace w95
