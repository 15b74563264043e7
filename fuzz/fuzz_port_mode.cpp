// SYSTEM.INI of any bytes and any port list entry under the report header.
// The port mode line is one of its three forms, one line ended by CR LF, the
// ECP form with DMA showing the IRQ and DMA keys as read; the report then
// holds exactly the four header lines, the port mode line last.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/profile/profile.h"
#include "ports/report_header.h"
#include "resources/format.h"
#include "resources/string_table.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kSystemIni = "C:\\WINDOWS\\SYSTEM.INI";
constexpr std::string_view kReport = "C:\\WINDOWS\\TEMP\\tshooter.tmp";

// A field as the start page can show it: no line break.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

std::int64_t Read(const std::string& prefix, std::string_view suffix) {
  return static_cast<std::int32_t>(
      w95::GetPrivateProfileIntA("386Enh", prefix + std::string(suffix), 0, std::string(kSystemIni)));
}

void CheckModeLine(const std::string& entry, const std::string& line) {
  const std::string prefix = entry.substr(0, 4);
  std::string expected;
  switch (Read(prefix, "CECP")) {
    case 1: expected = dxl::LoadMessage(dxl::msg::kEcpWithoutDma); break;
    case 2:
      expected =
          dxl::FormatPrintf(dxl::LoadMessage(dxl::msg::kEcpWithDma), {Read(prefix, "CIRQ"), Read(prefix, "CDMA")});
      break;
    default: expected = dxl::LoadMessage(dxl::msg::kStandardPort);
  }
  Require(line == expected + "\r\n", "the port mode line is the form its keys name");
  Require(line.find_first_of("\r\n") == line.size() - 2, "the port mode line is one line");
}

size_t CountLines(std::string_view text) {
  size_t lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++lines;
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  dxl::ReportHeaderFields fields;
  fields.entryText = OneLine(input.ConsumeRandomLengthString(16));
  fields.diskText = OneLine(input.ConsumeRandomLengthString(20));
  fields.memoryText = OneLine(input.ConsumeRandomLengthString(20));
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kSystemIni, input.ConsumeRemainingBytesAsString());

  const std::string line = dxl::PortModeLine(fields.entryText);
  CheckModeLine(fields.entryText, line);
  machine.Write(kReport, "an older report\r\n");
  dxl::StartReport(std::string(kReport), fields);
  const std::string report = machine.Builder().Read(kReport);
  Require(report.ends_with("\r\n" + line) && CountLines(report) == 4, "the report holds the four header lines");
  Require(std::count(report.begin(), report.end(), '\r') == 4 && std::count(report.begin(), report.end(), '\n') == 4,
          "every header line ends with CR LF, and none holds a line break");
  machine.CheckOutsideUntouched();
  return 0;
}
