#include "ports/printer_discovery.h"

#include <vector>

#include "platform/network/network.h"
#include "ports/printer_lists.h"

namespace dxl {

namespace {

constexpr w95::DWORD kRemoteNameSize = 260;

// Appends `port` and its separator to `list` when the list, with its
// terminating NUL, still fits `size` bytes.
bool AppendIfFits(std::string& list, std::string_view port, std::size_t size) {
  std::size_t needed = list.size() + (list.empty() ? 0 : 1) + port.size() + 1;
  if (needed > size) return false;
  if (!list.empty()) list += ',';
  list += port;
  return true;
}

// Whether a connection to `remoteName` can be made now: a connection
// without a local device, which redirects nothing and is dropped again.
bool CanConnect(const std::string& remoteName) {
  w95::NetResource probe;
  probe.dwType = w95::RESOURCETYPE_PRINT;
  probe.remoteName = remoteName;
  if (w95::WNetAddConnection2A(probe, "", std::nullopt, 0) != w95::ERROR_SUCCESS) return false;
  w95::WNetCancelConnection2A(remoteName, 0, 0);
  return true;
}

}  // namespace

int FindDriverPorts(std::int32_t /*portNotLocal*/, std::int32_t portNumber, std::string& out, std::size_t size) {
  std::vector<std::string> names = DriverPrinterKeys(kLocalPrinters);
  for (auto& name : DriverPrinterKeys(kRemotePrinters)) names.push_back(std::move(name));
  if (names.empty()) return -1;

  const std::string selected = "LPT" + std::to_string(portNumber) + ":";
  std::string list;
  bool anyPort = false;
  bool listFull = false;
  int answer = 0;
  for (const auto& name : names) {
    auto port = PrinterPortPart(name);
    if (!port) continue;
    anyPort = true;
    if (*port == selected) answer = 1;
    if (!listFull) listFull = !AppendIfFits(list, *port, size);
  }
  out = list;
  return anyPort ? answer : -1;
}

int ReconnectPort(std::string_view localName) {
  std::string remoteName;
  w95::DWORD length = kRemoteNameSize;
  w95::DWORD query = w95::WNetGetConnectionA(localName, remoteName, length);
  if (query != w95::ERROR_SUCCESS && query != w95::ERROR_CONNECTION_UNAVAIL) return 0;
  if (query == w95::ERROR_SUCCESS) {
    // Dropping a connection that cannot be made again would lose the port's redirection.
    if (!CanConnect(remoteName)) return 0;
    w95::WNetCancelConnection2A(localName, w95::CONNECT_UPDATE_PROFILE, 1);
  }
  w95::NetResource resource;
  resource.dwType = w95::RESOURCETYPE_PRINT;
  resource.localName = std::string(localName);
  resource.remoteName = remoteName;
  if (w95::WNetAddConnection2A(resource, "", std::nullopt, w95::CONNECT_UPDATE_PROFILE) == w95::ERROR_SUCCESS) return 1;
  // The profile could not be written: give the port its passing connection back.
  if (query == w95::ERROR_SUCCESS) w95::WNetAddConnection2A(resource, "", std::nullopt, 0);
  return 0;
}

}  // namespace dxl
