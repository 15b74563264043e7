// The device= lines of the printing system's virtual device drivers in
// SYSTEM.INI [386Enh]: checked, inserted and removed on the file's text.
#include <algorithm>
#include <optional>

#include "checks/ini_checks.h"
#include "checks/system_ini_text.h"
#include "platform/base/case_rules.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"
#include "platform/profile/profile.h"

namespace dxl {

namespace {

constexpr std::string_view kDeviceKey = "DEVICE";
// The key a line is given so that the profile functions can delete that one line.
constexpr std::string_view kMarkedKey = "@evice";

// Positions past the end read as the end of the text: a control character.
char At(std::string_view text, size_t at) { return at < text.size() ? text[at] : '\0'; }
std::string_view From(std::string_view text, size_t at) { return text.substr(std::min(at, text.size())); }

size_t SkipSpaces(std::string_view text, size_t at) {
  while (At(text, at) == ' ') ++at;
  return at;
}

// "\r\ndevice=<name>" for each driver of the mask, in table order.
std::string InsertionText(std::uint8_t mask) {
  std::string text;
  for (const auto& driver : kVirtualDeviceDrivers)
    if (mask & driver.bit) text.append("\r\ndevice=").append(driver.fileName);
  return text;
}

// The file with a [386Enh] section holding the inserted lines appended, set off
// by a blank line as Windows 95 writes new sections.
std::string WithNewSection(std::string bytes, std::string_view insertion) {
  if (!bytes.empty()) {
    if (bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
    bytes += "\r\n";
  }
  return bytes.append("[386Enh]").append(insertion).append("\r\n");
}

// `bytes` without the line from `at` to its line end, that included.
std::string WithoutLine(std::string bytes, size_t at) {
  size_t end = w95::FindLineEnd(bytes, at);
  if (end < bytes.size()) end += bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
  return bytes.erase(at, end - at);
}

}  // namespace

std::uint8_t CheckDeviceLine(std::string_view sectionText, std::string_view fileName, std::uint8_t bit) {
  auto found = w95::FindTextNoCase(sectionText, fileName);
  if (!found) return bit;
  bool wrong = false;
  size_t at = SkipSpaces(sectionText, LineStart(sectionText, *found));
  if (!w95::TextStartsWithNoCase(From(sectionText, at), kDeviceKey)) wrong = true;
  at = SkipSpaces(sectionText, at + kDeviceKey.size());
  if (At(sectionText, at) != '=') wrong = true;
  at = SkipSpaces(sectionText, at + 1);
  if (!w95::TextStartsWithNoCase(From(sectionText, at), fileName)) wrong = true;
  at = SkipSpaces(sectionText, at + fileName.size());
  if (!IsControlCharacter(At(sectionText, at))) wrong = true;
  return wrong ? bit : 0;
}

std::uint8_t CheckSystemIniDevices() {
  auto text = ReadSystemIniText(w95::GENERIC_READ);
  if (!text) return 0;
  std::uint8_t missing = 0;
  for (const auto& driver : kVirtualDeviceDrivers)
    missing |= text->sectionOffset ? CheckDeviceLine(text->Section(), driver.fileName, driver.bit) : driver.bit;
  return missing;
}

int AddSystemIniDevices(std::uint8_t mask) {
  std::string insertion = InsertionText(mask);
  auto text = ReadSystemIniText(w95::GENERIC_READ | w95::GENERIC_WRITE);
  if (!text) return 0;
  if (insertion.empty()) return 1;
  std::string bytes = std::move(text->bytes);
  if (text->sectionOffset) {
    bytes.insert(*text->sectionOffset, insertion);
  } else {
    bytes = WithNewSection(std::move(bytes), insertion);
  }
  return ReplaceSystemIni(bytes) ? 1 : 0;
}

int RemoveDeviceLine(std::string_view fileName) {
  auto text = ReadSystemIniText(w95::GENERIC_READ | w95::GENERIC_WRITE);
  if (!text) return 0;
  std::string_view section = text->Section();
  auto found = w95::FindTextNoCase(section, fileName);
  if (!found) return 1;
  size_t lineStart = LineStart(section, *found);
  if (!w95::TextStartsWithNoCase(From(section, lineStart), kDeviceKey)) return 1;
  // The key must be "device" itself: the marked name of a longer key ("devicex")
  // would be no key the profile functions can delete, and the line would stay marked.
  if (At(section, SkipSpaces(section, lineStart + kDeviceKey.size())) != '=') return 1;
  const size_t at = *text->sectionOffset + lineStart;
  // An "@evice" key already in the section is the one the profile functions
  // would delete: the line then goes from the text itself.
  if (w95::IniText(text->bytes).Value("386Enh", kMarkedKey))
    return ReplaceSystemIni(WithoutLine(text->bytes, at)) ? 1 : 0;
  text->bytes[at] = kMarkedKey.front();
  if (!ReplaceSystemIni(text->bytes)) return 0;
  w95::WritePrivateProfileStringA("386Enh", kMarkedKey, std::nullopt, "SYSTEM.INI");
  return 1;
}

}  // namespace dxl
