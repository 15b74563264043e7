// The selected local port: whether it opens, and whether other printers use it.
#include "checks/ini_checks.h"
#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"

namespace dxl {

namespace {

constexpr unsigned kHighestPort = 3;
// A [Devices] value: the driver name and the ports, separated by commas.
constexpr w95::DWORD kDeviceValueSize = 128;

}  // namespace

int TestPortOpen(unsigned portNumber) {
  if (portNumber > kHighestPort) return 0;
  std::string name = "LPT" + std::to_string(portNumber) + ":";
  w95::FileHandle port =
      w95::CreateFileA(name, 0, 0, w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL | w95::FILE_FLAG_OVERLAPPED);
  if (port) {
    w95::CloseHandle(port);
    return 1;
  }
  // Another program holds the port: it exists.
  return w95::GetLastError() == w95::ERROR_ACCESS_DENIED ? 1 : 0;
}

int FindOtherPrintersOnPort(std::string_view portName, std::vector<std::string>& names) {
  names.clear();
  // Each printer's value as a call with a buffer of kDeviceValueSize bytes
  // answers it; the section is read once, not once per printer.
  w95::VisitProfileValues("Devices", [&](std::string_view printer, std::string_view value) {
    if (w95::FindTextNoCase(printer, kPrinterName)) return;
    if (w95::FindTextNoCase(value.substr(0, kDeviceValueSize - 1), portName)) names.emplace_back(printer);
  });
  return names.empty() ? 1 : 0;
}

}  // namespace dxl
