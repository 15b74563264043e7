// The printing system's resident program on WIN.INI [Windows] load=.
#include <optional>
#include <utility>

#include "checks/ini_checks.h"
#include "checks/profile_values.h"
#include "platform/base/case_rules.h"
#include "platform/profile/profile.h"

namespace dxl {

namespace {

bool IsBlankOrComma(char c) { return c == ' ' || c == ','; }
bool StartsEntryPart(char c) { return IsBlankOrComma(c) || c == '\\' || c == '/'; }

// Where the first entry naming the resident program starts in `value`, with
// the path written before the name, and the position just after the name.
// The name must stand whole: after the start, a blank, a comma or a path
// separator, and before the end, a blank or a comma.
std::optional<std::pair<size_t, size_t>> FindResidentEntry(std::string_view value) {
  for (size_t from = 0; from < value.size();) {
    auto hit = w95::FindTextNoCase(value.substr(from), kResidentProgram);
    if (!hit) return std::nullopt;
    size_t at = from + *hit;
    size_t end = at + kResidentProgram.size();
    if ((at == 0 || StartsEntryPart(value[at - 1])) && (end == value.size() || IsBlankOrComma(value[end]))) {
      size_t start = at;
      while (start > 0 && !IsBlankOrComma(value[start - 1])) --start;
      return std::pair{start, end};
    }
    from = at + 1;
  }
  return std::nullopt;
}

}  // namespace

std::uint8_t CheckLoadLine() {
  return w95::FindTextNoCase(ReadWinIniValue("Windows", "load"), kResidentProgram) ? 0 : 1;
}

int AddLoadEntry() {
  std::string value = ReadWinIniValue("Windows", "Load");
  value.append(" ").append(kResidentProgram);
  return w95::WriteProfileStringA("Windows", "Load", value) ? 1 : 0;
}

int RemoveLoadEntry() {
  std::string value = ReadWinIniValue("Windows", "Load");
  if (!value.empty() && IsBlankOrComma(value.back())) value.pop_back();
  auto entry = FindResidentEntry(value);
  if (!entry) return 1;
  auto [start, rest] = *entry;
  while (rest < value.size() && IsBlankOrComma(value[rest])) ++rest;
  value.erase(start, rest - start);
  w95::WriteProfileStringA("Windows", "Load", value);
  return 1;
}

}  // namespace dxl
