// SYSTEM.INI of any bytes: the device= check of the virtual device drivers and
// its two editors. An insertion adds only its lines, after which the check
// finds them; a removal takes out one whole device= line naming the driver and
// keeps every other byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "checks/ini_checks.h"
#include "fuzz_lines.h"
#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/base/case_rules.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\SYSTEM.INI";

bool IsDeviceLineOf(std::string_view line, std::string_view fileName) {
  size_t at = line.find_first_not_of(' ');
  if (at == std::string_view::npos || !w95::FindTextNoCase(line.substr(at, 6), "device")) return false;
  return w95::FindTextNoCase(line, fileName).has_value();
}

// `marked` is `line` with the "d" of its "device" made "@": a line that a
// control character before the key hides from the profile functions keeps
// that mark instead of being deleted (a key Windows ignores).
bool MarkedLine(std::string_view line, std::string_view marked, std::string_view fileName) {
  if (line.size() != marked.size() || !w95::FindTextNoCase(line, fileName)) return false;
  size_t at = 0;
  while (at < line.size() && line[at] == marked[at]) ++at;
  return at < line.size() && marked[at] == '@' && line.substr(at + 1) == marked.substr(at + 1) &&
         w95::FindTextNoCase(line.substr(at, 6), "device") == 0u;
}

// `after` is `before` less one whole device= line that names `fileName`, or
// with that line marked.
bool OneDeviceLineLess(std::string_view before, std::string_view after, std::string_view fileName) {
  const auto changed = dxl::fuzz::Difference(before, after);
  if (changed.removed.size() != 1) return false;
  if (changed.added.size() == 1) return MarkedLine(changed.removed[0], changed.added[0], fileName);
  return changed.added.empty() && IsDeviceLineOf(changed.removed[0], fileName);
}

// Where the line of the [386Enh] header ends (before its line end); npos
// without a header. The header: the first "[386Enh]" with only blanks before
// it on its line.
size_t HeaderLineEnd(std::string_view bytes) {
  for (size_t from = 0; from < bytes.size();) {
    auto hit = w95::FindTextNoCase(bytes.substr(from), "[386Enh]");
    if (!hit) return std::string_view::npos;
    const size_t at = from + *hit;
    size_t before = at;
    while (before > 0 && (bytes[before - 1] == ' ' || bytes[before - 1] == '\t')) --before;
    if (before == 0 || bytes[before - 1] == '\n' || bytes[before - 1] == '\r')
      return std::min(bytes.find_first_of("\r\n", at), bytes.size());
    from = at + 1;
  }
  return std::string_view::npos;
}

// SYSTEM.INI with the device= lines of `mask` as the lines right under the
// header, or in a [386Enh] section appended after a blank line.
std::string WithDeviceLines(const std::string& before, std::uint8_t mask) {
  std::string lines;
  for (const auto& driver : dxl::kVirtualDeviceDrivers)
    if (mask & driver.bit) lines.append("\r\ndevice=").append(driver.fileName);
  if (lines.empty()) return before;
  const size_t at = HeaderLineEnd(before);
  if (at != std::string::npos) return before.substr(0, at) + lines + before.substr(at);
  std::string appended = before;
  if (!appended.empty()) appended += (appended.back() == '\n' || appended.back() == '\r') ? "\r\n" : "\r\n\r\n";
  return appended + "[386Enh]" + lines + "\r\n";
}

void CheckInsertion(dxl::fuzz::FuzzMachine& machine, const std::string& before, std::uint8_t mask) {
  Require(dxl::AddSystemIniDevices(mask) == 1, "a writable SYSTEM.INI takes the device= lines");
  Require(machine.Builder().Read(kPath) == WithDeviceLines(before, mask),
          "an insertion adds whole device= lines under the header and keeps every other byte");
  Require((dxl::CheckSystemIniDevices() & mask) == 0, "the check finds the device= lines just inserted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto mask = input.ConsumeIntegralInRange<std::uint8_t>(0, 7);
  const auto driver = dxl::kVirtualDeviceDrivers[input.ConsumeIntegralInRange<size_t>(0, 2)];
  const bool insert = input.ConsumeBool();
  const std::string before = input.ConsumeRemainingBytesAsString();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, before);

  const std::uint8_t missing = dxl::CheckSystemIniDevices();
  Require(missing <= 7, "the check answers a mask of the three drivers");
  if (insert) {
    CheckInsertion(machine, before, mask);
  } else {
    Require(dxl::RemoveDeviceLine(driver.fileName) == 1, "a writable SYSTEM.INI lets a line be removed");
    const std::string after = machine.Builder().Read(kPath);
    Require(after == before || OneDeviceLineLess(before, after, driver.fileName),
            "a removal takes out one device= line of the driver and nothing else");
  }
  machine.CheckOutsideUntouched();
  return 0;
}
