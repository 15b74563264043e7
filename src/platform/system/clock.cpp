#include "platform/system/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/registry/registry.h"

namespace w95 {

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970

std::int64_t BiasMinutes() {
  auto bias = MachineSetting(Machine::Current(), "Clock", "Bias");
  if (!bias) return 0;
  // A time zone lies within a day of UTC; any other figure is no bias (and
  // would overflow once taken to seconds or file-time ticks).
  constexpr std::int64_t kMaxBiasMinutes = 24 * 60;
  try {
    const std::int64_t minutes = std::stoll(*bias);
    return minutes >= -kMaxBiasMinutes && minutes <= kMaxBiasMinutes ? minutes : 0;
  } catch (...) {
    return 0;
  }
}

// Seconds since 1970 of a broken-down UTC time; nullopt for an invalid one.
std::optional<std::int64_t> UnixSeconds(const SystemTime& t) {
  if (t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 ||
      t.wYear < 1601 || t.wYear > 30827)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = t.wYear - 1900;
  tm.tm_mon = t.wMonth - 1;
  tm.tm_mday = t.wDay;
  tm.tm_hour = t.wHour;
  tm.tm_min = t.wMinute;
  tm.tm_sec = t.wSecond;
  std::int64_t seconds = timegm(&tm);
  if (tm.tm_mday != t.wDay) return std::nullopt;  // 31 April and the like
  return seconds;
}

SystemTime FromUnix(std::int64_t seconds, WORD milliseconds) {
  std::time_t value = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&value, &tm);
  SystemTime t;
  t.wYear = static_cast<WORD>(tm.tm_year + 1900);
  t.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  t.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  t.wDay = static_cast<WORD>(tm.tm_mday);
  t.wHour = static_cast<WORD>(tm.tm_hour);
  t.wMinute = static_cast<WORD>(tm.tm_min);
  t.wSecond = static_cast<WORD>(tm.tm_sec);
  t.wMilliseconds = milliseconds;
  return t;
}

// Local seconds since 1970 of the machine's "now".
std::pair<std::int64_t, WORD> LocalNow() {
  if (auto fixed = MachineSetting(Machine::Current(), "Clock", "Now")) {
    SystemTime t;
    unsigned y, mo, d, h, mi, s;
    if (std::sscanf(fixed->c_str(), "%u/%u/%u %u:%u:%u", &y, &mo, &d, &h, &mi, &s) == 6) {
      t = {static_cast<WORD>(y),  static_cast<WORD>(mo), 0, static_cast<WORD>(d), static_cast<WORD>(h),
           static_cast<WORD>(mi), static_cast<WORD>(s),  0};
      if (auto seconds = UnixSeconds(t)) return {*seconds, 0};
    }
  }
  auto now = std::chrono::system_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return {ms / 1000 - BiasMinutes() * 60, static_cast<WORD>(ms % 1000)};
}

// The user's value; nullopt when it is missing or not a string.
std::optional<std::string> InternationalValue(std::string_view name) {
  RegKey key;
  if (RegOpenKeyExA(RootKey::CurrentUser, "Control Panel\\International", 0, KEY_READ, key) != ERROR_SUCCESS)
    return std::nullopt;
  std::string data;
  DWORD size = 80;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, &type, &data, size) != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return RegText(data);
}

std::string UserInternational(std::string_view name, std::string_view fallback) {
  auto text = InternationalValue(name);
  return text && !text->empty() ? *text : *Utf8ToCp936(fallback);
}

// The morning and afternoon texts in UTF-8: the user's s1159 / s2359 (an
// empty one stays empty), else the Chinese locale's defaults.
struct DayHalfTexts {
  std::string morning;
  std::string afternoon;
};

DayHalfTexts UserDayHalfTexts() {
  auto text = [](std::string_view name, std::string_view fallback) {
    auto value = InternationalValue(name);
    return value ? Cp936ToUtf8Lossy(*value) : std::string(fallback);
  };
  return {text("s1159", "上午"), text("s2359", "下午")};
}

// The first character of UTF-8 text (a double-byte character of code page 936
// is one character).
std::string FirstCharacter(const std::string& utf8) {
  if (utf8.empty()) return {};
  size_t length = 1;
  while (length < utf8.size() && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) ++length;
  return utf8.substr(0, length);
}

constexpr const char* kDayNames[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
constexpr const char* kMonthNames[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                       "七月", "八月", "九月", "十月", "十一月", "十二月"};

std::string Number(unsigned value, size_t width) {
  std::string text = std::to_string(value);
  while (text.size() < width) text.insert(text.begin(), '0');
  return text;
}

// Expands a date or time picture: runs of one letter are fields, 'quoted'
// text is literal, everything else stands as it is.
std::string Expand(std::string_view picture, const SystemTime& t, bool date, const DayHalfTexts& halves) {
  std::string out;
  for (size_t i = 0; i < picture.size();) {
    char c = picture[i];
    if (c == '\'') {
      size_t end = picture.find('\'', i + 1);
      if (end == std::string_view::npos) end = picture.size();
      if (end == i + 1 && end < picture.size()) out += '\'';  // '' is a quote
      out.append(picture.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    i += run;
    if (date && c == 'd') {
      out += run <= 2 ? Number(t.wDay, run) : kDayNames[t.wDayOfWeek % 7];
    } else if (date && c == 'M') {
      out += run <= 2 ? Number(t.wMonth, run) : kMonthNames[(t.wMonth + 11) % 12];
    } else if (date && c == 'y') {
      out += run <= 2 ? Number(t.wYear % 100, run == 1 ? 1 : 2) : Number(t.wYear, 4);
    } else if (date && c == 'g') {
      out += "公元";
    } else if (!date && (c == 'h' || c == 'H')) {
      unsigned hour = c == 'h' ? (t.wHour % 12 == 0 ? 12 : t.wHour % 12) : t.wHour;
      out += Number(hour, run >= 2 ? 2 : 1);
    } else if (!date && c == 'm') {
      out += Number(t.wMinute, run >= 2 ? 2 : 1);
    } else if (!date && c == 's') {
      out += Number(t.wSecond, run >= 2 ? 2 : 1);
    } else if (!date && c == 't') {
      const std::string& marker = t.wHour < 12 ? halves.morning : halves.afternoon;
      out += run == 1 ? FirstCharacter(marker) : marker;
    } else {
      out.append(run, c);
    }
  }
  return out;
}

int Deliver(const std::string& utf8Text, std::string& out, int size);

int Format(const SystemTime* when, std::optional<std::string_view> picture, std::string_view setting,
           std::string_view fallback, bool date, std::string& out, int size) {
  SystemTime now;
  if (!when) GetLocalTime(now);
  const SystemTime& t = when ? *when : now;
  SystemTime checked = t;
  if (!date) {
    checked.wYear = 2000, checked.wMonth = 1, checked.wDay = 1;
  }
  auto seconds = UnixSeconds(checked);
  if (!seconds) return Fail(ERROR_INVALID_PARAMETER, 0);
  SystemTime full = FromUnix(*seconds, t.wMilliseconds);  // fills the day of the week
  // Pictures are code page 936 (the user's may hold Chinese); fields expand in UTF-8.
  std::string pattern = Cp936ToUtf8Lossy(picture ? std::string(*picture) : UserInternational(setting, fallback));
  const DayHalfTexts halves = date ? DayHalfTexts{} : UserDayHalfTexts();
  return Deliver(Expand(pattern, full, date, halves), out, size);
}

}  // namespace

void GetLocalTime(SystemTime& time) {
  auto [seconds, ms] = LocalNow();
  time = FromUnix(seconds, ms);
}

void GetSystemTime(SystemTime& time) {
  auto [seconds, ms] = LocalNow();
  time = FromUnix(seconds + BiasMinutes() * 60, ms);
}

bool FileTimeToLocalFileTime(std::int64_t fileTime, std::int64_t& localFileTime) {
  localFileTime = fileTime - BiasMinutes() * 60 * kTicksPerSecond;
  return true;
}

bool FileTimeToSystemTime(std::int64_t fileTime, SystemTime& time) {
  if (fileTime < 0) return Fail(ERROR_INVALID_PARAMETER, false);
  std::int64_t seconds = fileTime / kTicksPerSecond - kEpochDifference;
  time = FromUnix(seconds, static_cast<WORD>(fileTime % kTicksPerSecond / 10000));
  return true;
}

bool SystemTimeToFileTime(const SystemTime& time, std::int64_t& fileTime) {
  auto seconds = UnixSeconds(time);
  if (!seconds) return Fail(ERROR_INVALID_PARAMETER, false);
  fileTime = (*seconds + kEpochDifference) * kTicksPerSecond + time.wMilliseconds * 10000;
  return true;
}

namespace {

int Deliver(const std::string& utf8Text, std::string& out, int size) {
  std::string text = Utf8ToCp936(utf8Text).value_or(std::string());
  int needed = static_cast<int>(text.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  out = std::move(text);
  return needed;
}

}  // namespace

int GetDateFormatA(DWORD, DWORD flags, const SystemTime* date, std::optional<std::string_view> picture,
                   std::string& out, int size) {
  if (picture && (flags & (DATE_SHORTDATE | DATE_LONGDATE))) return Fail(ERROR_INVALID_PARAMETER, 0);
  if (flags & DATE_LONGDATE) return Format(date, picture, "sLongDate", "yyyy'年'M'月'd'日'", true, out, size);
  return Format(date, picture, "sShortDate", "yyyy-M-d", true, out, size);
}

int GetTimeFormatA(DWORD, DWORD, const SystemTime* time, std::optional<std::string_view> picture, std::string& out,
                   int size) {
  return Format(time, picture, "sTimeFormat", "H:mm:ss", false, out, size);
}

}  // namespace w95
