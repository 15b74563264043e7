// The printing system's resident program on WIN.INI [Windows] load=.
#include <algorithm>

#include "checks/find_text.h"
#include "checks/ini_checks.h"
#include "checks/profile_values.h"
#include "platform/profile/profile.h"

namespace dxl {

namespace {

// The removal looks for the name without its extension, then takes out as many
// characters as the full name has (fewer when the value ends sooner).
constexpr std::string_view kResidentProgramStem = "DXLHRC";

bool IsBlankOrComma(char c) { return c == ' ' || c == ','; }

}  // namespace

std::uint8_t CheckLoadLine() { return FindTextNoCase(ReadWinIniValue("Windows", "load"), kResidentProgram) ? 0 : 1; }

int AddLoadEntry() {
  std::string value = ReadWinIniValue("Windows", "Load");
  value.append(" ").append(kResidentProgram);
  w95::WriteProfileStringA("Windows", "Load", value);
  return 1;
}

int RemoveLoadEntry() {
  std::string value = ReadWinIniValue("Windows", "Load");
  if (!value.empty() && IsBlankOrComma(value.back())) value.pop_back();
  auto match = FindTextNoCase(value, kResidentProgramStem);
  if (!match) return 1;
  size_t rest = std::min(*match + kResidentProgram.size(), value.size());
  while (rest < value.size() && IsBlankOrComma(value[rest])) ++rest;
  value.erase(*match, rest - *match);
  w95::WriteProfileStringA("Windows", "Load", value);
  return 1;
}

}  // namespace dxl
