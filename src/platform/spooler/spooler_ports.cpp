#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/network/port_redirections.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler_internal.h"

namespace w95 {

namespace {

constexpr DWORD kPortInfo2Size = 20;  // 3 pointers and 2 DWORDs
constexpr DWORD kListBufferSize = 32767;
constexpr std::string_view kLocalMonitor = "Local Port";

std::vector<std::string> WinIniPortNames() {
  std::string list;
  GetProfileStringA("Ports", std::nullopt, "", list, kListBufferSize);
  std::vector<std::string> names;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\0', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

PortInfo2 LocalPort(std::string name) {
  DWORD type = PORT_TYPE_WRITE;
  if (StartsWithNoCase(name, "LPT") || StartsWithNoCase(name, "COM")) type |= PORT_TYPE_READ;
  return PortInfo2{std::move(name), std::string(kLocalMonitor), std::string(kLocalMonitor), type};
}

DWORD RecordsSize(const std::vector<PortInfo2>& ports) {
  DWORD size = 0;
  for (const auto& port : ports) {
    size += kPortInfo2Size;
    for (const std::string* text : {&port.pPortName, &port.pMonitorName, &port.pDescription})
      size += static_cast<DWORD>(text->size() + 1);
  }
  return size;
}

}  // namespace

std::vector<PortInfo2> SpoolerPorts() {
  std::vector<PortInfo2> ports;
  for (auto& name : WinIniPortNames()) ports.push_back(LocalPort(std::move(name)));
  for (const auto& redirection : RedirectedLptPorts()) {
    PortInfo2* port = nullptr;
    for (auto& candidate : ports) {
      if (EqualsNoCase(candidate.pPortName, redirection.portName)) port = &candidate;
    }
    if (!port) port = &ports.emplace_back(PortInfo2{redirection.portName, std::string(kLocalMonitor), {}, 0});
    port->pDescription = redirection.remoteName;
    port->fPortType = PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED;
  }
  return ports;
}

BOOL EnumPortsA(std::string_view serverName, DWORD level, std::vector<PortInfo2>* ports, DWORD bufferSize,
                DWORD& needed, DWORD& returned) {
  returned = 0;
  if (!serverName.empty()) return Fail(ERROR_INVALID_NAME, kFalse);
  if (level != 2) return Fail(ERROR_INVALID_LEVEL, kFalse);
  std::vector<PortInfo2> all = SpoolerPorts();
  needed = RecordsSize(all);
  if (!ports || bufferSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, kFalse);
  returned = static_cast<DWORD>(all.size());
  *ports = std::move(all);
  return kTrue;
}

}  // namespace w95
