#include "ports/port_list.h"

#include <algorithm>
#include <cctype>

#include "platform/registry/registry.h"
#include "ports/printer_lists.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

constexpr w95::DWORD kPortBufferSize = 16384;
constexpr std::string_view kParallel = "LPT";

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool SpoolerKnows(const std::vector<w95::PortInfo2>& ports, std::string_view portName) {
  return std::any_of(ports.begin(), ports.end(),
                     [&](const w95::PortInfo2& port) { return port.pPortName == portName; });
}

}  // namespace

std::vector<w95::PortInfo2> SpoolerPortRecords() {
  std::vector<w95::PortInfo2> ports;
  w95::DWORD needed = 0, returned = 0;
  if (!w95::EnumPortsA("", 2, &ports, kPortBufferSize, needed, returned)) return {};
  ports.resize(std::min<std::size_t>(ports.size(), returned));
  return ports;
}

std::vector<std::string> SpoolerPortEntries(const std::vector<w95::PortInfo2>& ports) {
  std::vector<std::string> entries;
  for (const auto& port : ports) {
    if (port.pPortName.find(kParallel) == std::string::npos) continue;
    if (port.fPortType & w95::PORT_TYPE_REDIRECTED)
      entries.push_back(FormatPrintf("%s[%s]", {port.pPortName, port.pDescription}));
    else
      entries.push_back(port.pPortName + LoadMessage(msg::kLocal));
  }
  return entries;
}

bool CanReadClassesRoot() {
  w95::RegKey root;
  return w95::RegOpenKeyExA(w95::RootKey::ClassesRoot, "", 0, w95::KEY_READ, root) == w95::ERROR_SUCCESS;
}

std::vector<std::string> MissingRemotePortEntries(const std::vector<w95::PortInfo2>& ports) {
  std::vector<std::string> entries;
  for (const auto& name : DriverPrinterKeys(kRemotePrinters)) {
    auto port = PrinterPortPart(name);
    if (!port || SpoolerKnows(ports, *port)) continue;
    std::string entry = *port + LoadMessage(msg::kNotPresent);
    if (std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.push_back(std::move(entry));
  }
  return entries;
}

void ReadPortListSources() {
  const auto ports = SpoolerPortRecords();
  if (CanReadClassesRoot()) MissingRemotePortEntries(ports);
}

PortChoice ChoosePort(std::string_view entryText, const std::vector<w95::PortInfo2>& ports) {
  PortChoice choice;
  size_t at = entryText.find(kParallel);
  size_t digit = at + kParallel.size();
  if (at == std::string_view::npos || digit >= entryText.size() || !IsDigit(entryText[digit])) return choice;
  // LPT10 and beyond are no ports of Windows 95; the checks take one digit.
  if (digit + 1 < entryText.size() && IsDigit(entryText[digit + 1])) return choice;

  choice.checkable = true;
  choice.portNumber = entryText[digit] - '0';
  if (entryText.find('\\') != std::string_view::npos) return choice;  // redirected: notLocal stays 1
  std::string_view shortened = entryText.substr(0, digit + 1);
  bool listed = std::any_of(ports.begin(), ports.end(), [&](const w95::PortInfo2& port) {
    return port.pPortName.find(shortened) != std::string::npos;
  });
  choice.portNotLocal = !listed;
  return choice;
}

}  // namespace dxl
