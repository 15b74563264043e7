// WIN.INI of any bytes and the editors of [windows] load=. Adding leaves the
// value read before with " DXLHRC.EXE" after it, which the check then finds;
// removing takes out the first whole entry naming DXLHRC.EXE and keeps every
// other entry byte for byte. Either changes at most the one load= line.
#include <fuzzer/FuzzedDataProvider.h>

#include "checks/ini_checks.h"
#include "checks/profile_values.h"
#include "fuzz_lines.h"
#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/base/case_rules.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\WIN.INI";

bool IsSeparator(char c) { return c == ' ' || c == ','; }

std::vector<std::string> Entries(std::string_view value) {
  std::vector<std::string> entries;
  for (size_t at = 0; at < value.size();) {
    while (at < value.size() && IsSeparator(value[at])) ++at;
    size_t end = at;
    while (end < value.size() && !IsSeparator(value[end])) ++end;
    if (end > at) entries.emplace_back(value.substr(at, end - at));
    at = end;
  }
  return entries;
}

// An entry naming the resident program: its last path component is the name.
bool NamesResidentProgram(std::string_view entry) {
  const size_t slash = entry.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? entry : entry.substr(slash + 1);
  return name.size() == dxl::kResidentProgram.size() && w95::FindTextNoCase(name, dxl::kResidentProgram) == 0u;
}

// Blanks as the profile functions trim them around keys and values.
std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\v\f\x1a";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// At most the load= line changed (or was added, with its section).
void CheckOtherLinesKept(const std::string& before, const std::string& after) {
  const auto changed = dxl::fuzz::Difference(before, after);
  Require(changed.removed.size() <= 1, "an edit of load= changes no other line");
  if (changed.removed.empty()) return;
  // A last line without line end is ended before a new line is written after it.
  const std::string_view last = changed.removed[0];
  if (!changed.added.empty() && changed.added[0].starts_with(last) &&
      changed.added[0].find_first_not_of("\r\n", last.size()) == std::string_view::npos)
    return;
  const std::string_view line = Trimmed(changed.removed[0]);
  Require(line.size() >= 4 && w95::FindTextNoCase(line.substr(0, 4), "load") == 0u,
          "the line an edit of load= changes is the load= line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool add = input.ConsumeBool();
  const std::string before = input.ConsumeRemainingBytesAsString();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, before);

  const std::string value = dxl::ReadWinIniValue("windows", "load");
  const std::uint8_t lacking = dxl::CheckLoadLine();
  Require(lacking <= 1, "the check answers 0 or 1");
  if (add) {
    Require(dxl::AddLoadEntry() == 1, "a writable WIN.INI takes the entry");
    Require(dxl::ReadWinIniValue("windows", "load") == Trimmed(value + " " + std::string(dxl::kResidentProgram)),
            "the entry is added after the value that was there");
    Require(dxl::CheckLoadLine() == 0, "the check finds the entry just added");
  } else {
    Require(dxl::RemoveLoadEntry() == 1, "a removal answers 1");
    auto expected = Entries(value);
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      if (!NamesResidentProgram(*it)) continue;
      expected.erase(it);
      break;
    }
    Require(Entries(dxl::ReadWinIniValue("windows", "load")) == expected,
            "a removal takes out the first entry of the program and keeps the others");
  }
  CheckOtherLinesKept(before, machine.Builder().Read(kPath));
  machine.CheckOutsideUntouched();
  return 0;
}
