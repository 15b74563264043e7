// WNetOpenEnumA, WNetEnumResourceA, WNetCloseEnum. An enumeration takes its
// entries when it is opened; reading hands them out in buffer-sized portions.
#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/network/network.h"
#include "platform/network/network_state.h"
#include "platform/network/persistent_connections.h"
#include "platform/network/server_backend.h"

namespace w95 {

namespace {

using Entries = std::vector<NetResource>;

DWORD Result(DWORD code) {
  SetLastError(code);
  return code;
}

bool UsageMatches(DWORD wanted, DWORD usage) { return wanted == 0 || (wanted & usage) != 0; }

NetResource Entry(DWORD scope, DWORD type, DWORD displayType, DWORD usage, std::string localName,
                  std::string remoteName) {
  return NetResource{
      scope, type, displayType, usage, std::move(localName), std::move(remoteName), "", std::string(kNetworkProvider)};
}

Entries ServerEntries(const Machine& machine, DWORD usage) {
  Entries entries;
  if (!UsageMatches(usage, RESOURCEUSAGE_CONTAINER)) return entries;
  for (const auto& name : DeclaredServers(machine)) {
    auto server = OpenServer(machine, name);
    if (server && server->Reachable())
      entries.push_back(Entry(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER,
                              "", "\\\\" + server->Name()));
  }
  return entries;
}

// The shares of "\\server"; the error code when it cannot be listed.
DWORD ShareEntries(const Machine& machine, const std::string& remoteName, DWORD type, DWORD usage, Entries& entries) {
  std::string_view rest = std::string_view(remoteName).substr(2);
  if (rest.ends_with('\\')) rest.remove_suffix(1);
  bool isServer = rest.find('\\') == std::string_view::npos;
  auto server = OpenServer(machine, rest.substr(0, rest.find('\\')));
  if (!server || !server->Reachable()) return ERROR_BAD_NETPATH;
  if (!isServer) return ERROR_NOT_CONTAINER;
  auto diskShares = server->ListShares();
  auto printShares = server->ListPrintShares();
  if (!diskShares || !printShares) return ERROR_BAD_NETPATH;
  if (!UsageMatches(usage, RESOURCEUSAGE_CONNECTABLE)) return ERROR_SUCCESS;
  std::string prefix = "\\\\" + server->Name() + "\\";
  if (type == RESOURCETYPE_ANY || type == RESOURCETYPE_DISK)
    for (const auto& share : *diskShares)
      entries.push_back(Entry(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SHARE,
                              RESOURCEUSAGE_CONNECTABLE, "", prefix + share));
  if (type == RESOURCETYPE_ANY || type == RESOURCETYPE_PRINT)
    for (const auto& share : *printShares)
      entries.push_back(Entry(RESOURCE_GLOBALNET, RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE,
                              RESOURCEUSAGE_CONNECTABLE, "", prefix + share));
  return ERROR_SUCCESS;
}

// The port connections: every one (remembered) or those that are connected.
Entries ConnectionEntries(Machine& machine, DWORD scope, DWORD type) {
  Entries entries;
  if (type == RESOURCETYPE_DISK) return entries;
  if (scope == RESOURCE_REMEMBERED) {
    for (const auto& [device, remote] : ReadPersistentConnections())
      entries.push_back(
          Entry(scope, RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, device, remote));
    return entries;
  }
  for (const auto& [device, connection] : machine.Service<NetworkState>().Connections())
    if (connection.connected)
      entries.push_back(Entry(scope, RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, device,
                              connection.remoteName));
  return entries;
}

}  // namespace

DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, const NetResource* container, NetEnumHandle& handle) {
  handle = NetEnumHandle();
  if (type > RESOURCETYPE_PRINT) return Result(ERROR_INVALID_PARAMETER);
  Machine& machine = Machine::Current();
  Entries entries;
  if (scope == RESOURCE_CONNECTED || scope == RESOURCE_REMEMBERED) {
    entries = ConnectionEntries(machine, scope, type);
  } else if (scope != RESOURCE_GLOBALNET) {
    return Result(ERROR_INVALID_PARAMETER);
  } else if (!container || container->remoteName.empty()) {
    entries = ServerEntries(machine, usage);
  } else if (!container->remoteName.starts_with("\\\\")) {
    return Result(ERROR_BAD_NETPATH);
  } else if (DWORD error = ShareEntries(machine, container->remoteName, type, usage, entries); error != ERROR_SUCCESS) {
    return Result(error);
  }
  handle = NetEnumHandle(std::move(entries));
  return Result(ERROR_SUCCESS);
}

DWORD WNetEnumResourceA(NetEnumHandle& handle, DWORD& count, std::vector<NetResource>& entries, DWORD& bufferSize) {
  entries.clear();
  if (!handle.valid_) return Result(ERROR_INVALID_HANDLE);
  if (count == 0) return Result(ERROR_INVALID_PARAMETER);
  if (handle.next_ >= handle.entries_.size()) {
    count = 0;
    return Result(ERROR_NO_MORE_ITEMS);
  }
  DWORD used = 0;
  while (handle.next_ < handle.entries_.size() && entries.size() < count) {
    const NetResource& entry = handle.entries_[handle.next_];
    DWORD size = NetResourceBufferSize(entry);
    if (used + size > bufferSize) break;
    used += size;
    entries.push_back(entry);
    ++handle.next_;
  }
  if (entries.empty()) {
    bufferSize = NetResourceBufferSize(handle.entries_[handle.next_]);
    return Result(ERROR_MORE_DATA);
  }
  count = static_cast<DWORD>(entries.size());
  return Result(ERROR_SUCCESS);
}

DWORD WNetCloseEnum(NetEnumHandle& handle) {
  if (!handle.valid_) return Result(ERROR_INVALID_HANDLE);
  handle = NetEnumHandle();
  return Result(ERROR_SUCCESS);
}

}  // namespace w95
