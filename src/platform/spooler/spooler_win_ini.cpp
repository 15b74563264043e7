#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler_internal.h"

namespace w95 {

namespace {

constexpr DWORD kLineSize = 260;
constexpr std::string_view kDefaultTimeouts = "15,45";

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    fields.emplace_back(Trim(std::string_view(text).substr(start, comma - start)));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string text;
  for (size_t i = 0; i < fields.size(); ++i) text += (i == 0 ? "" : ",") + fields[i];
  return text;
}

std::string ProfileText(std::string_view section, std::string_view key) {
  std::string value;
  GetProfileStringA(section, key, "", value, kLineSize);
  return value;
}

// The 16-bit driver name of the printer: as its existing lines give it, else
// the spooler's driver name.
std::string DriverOf(std::string_view printerName, std::string_view driverName) {
  for (std::string_view section : {"Devices", "PrinterPorts"}) {
    auto fields = SplitFields(ProfileText(section, printerName));
    if (!fields.front().empty()) return fields.front();
  }
  return std::string(driverName);
}

bool Write(std::string_view section, std::string_view key, const std::string& value) {
  return WriteProfileStringA(section, key, value) != kFalse;
}

}  // namespace

bool UpdateWinIniPort(std::string_view printerName, std::string_view portName, std::string_view driverName) {
  std::string driver = DriverOf(printerName, driverName);
  std::string port(portName);
  if (!Write("Devices", printerName, driver + "," + port)) return false;

  auto fields = SplitFields(ProfileText("PrinterPorts", printerName));
  if (fields.size() < 4) {
    fields = {driver, port};
    fields.emplace_back(kDefaultTimeouts);
  } else {
    fields[1] = port;
  }
  if (!Write("PrinterPorts", printerName, JoinFields(fields))) return false;

  auto device = SplitFields(ProfileText("windows", "device"));
  if (device.size() >= 3 && EqualsNoCase(device[0], printerName)) {
    device[2] = port;
    if (!Write("windows", "device", JoinFields(device))) return false;
  }
  return true;
}

}  // namespace w95
