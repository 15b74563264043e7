// WNetGetConnectionA, WNetAddConnection2A, WNetCancelConnection2A over the
// machine's NetworkState.
#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/network/network.h"
#include "platform/network/network_state.h"
#include "platform/network/persistent_connections.h"
#include "platform/network/server_backend.h"

namespace w95 {

namespace {

DWORD Result(DWORD code) {
  SetLastError(code);
  return code;
}

// The server and share of "\\server\share"; nullopt for any other form.
struct ShareName {
  std::string server;
  std::string share;
};

std::optional<ShareName> SplitShareName(std::string_view remoteName) {
  if (!remoteName.starts_with("\\\\")) return std::nullopt;
  std::string_view rest = remoteName.substr(2);
  size_t cut = rest.find('\\');
  if (cut == std::string_view::npos) return std::nullopt;
  ShareName name{std::string(rest.substr(0, cut)), std::string(rest.substr(cut + 1))};
  if (!IsValidNetName(name.server) || !IsValidNetName(name.share)) return std::nullopt;
  return name;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  for (const auto& n : names)
    if (EqualsNoCase(n, name)) return true;
  return false;
}

// ERROR_SUCCESS when the server answers and has the share of the wanted type.
DWORD CheckShare(const Machine& machine, const ShareName& name, DWORD type) {
  auto server = OpenServer(machine, name.server);
  if (!server || !server->Reachable()) return ERROR_BAD_NETPATH;
  auto printShares = server->ListPrintShares();
  auto diskShares = server->ListShares();
  if (!printShares || !diskShares) return ERROR_BAD_NETPATH;
  bool isPrint = Contains(*printShares, name.share);
  bool isDisk = Contains(*diskShares, name.share);
  if (!isPrint && !isDisk) return ERROR_BAD_NET_NAME;
  if (type == RESOURCETYPE_PRINT && !isPrint) return ERROR_BAD_DEV_TYPE;
  if (type == RESOURCETYPE_DISK && !isDisk) return ERROR_BAD_DEV_TYPE;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD NetResourceBufferSize(const NetResource& resource) {
  DWORD size = 32;
  for (const std::string* text : {&resource.localName, &resource.remoteName, &resource.comment, &resource.provider})
    if (!text->empty()) size += static_cast<DWORD>(text->size() + 1);
  return size;
}

NetworkRestart RestartNetwork() { return Machine::Current().Service<NetworkState>().Restart(); }

DWORD WNetGetConnectionA(std::string_view localName, std::string& remoteName, DWORD& length) {
  std::string device = RedirectableDevice(localName);
  if (device.empty()) return Result(ERROR_BAD_DEVICE);
  const Connection* connection = Machine::Current().Service<NetworkState>().Find(device);
  if (!connection) return Result(ERROR_NOT_CONNECTED);
  DWORD needed = static_cast<DWORD>(connection->remoteName.size() + 1);
  if (length < needed) {
    length = needed;
    return Result(ERROR_MORE_DATA);
  }
  remoteName = connection->remoteName;
  return Result(connection->connected ? ERROR_SUCCESS : ERROR_CONNECTION_UNAVAIL);
}

DWORD WNetAddConnection2A(const NetResource& resource, std::optional<std::string_view>, std::optional<std::string_view>,
                          DWORD flags) {
  if (resource.dwType != RESOURCETYPE_ANY && resource.dwType != RESOURCETYPE_DISK &&
      resource.dwType != RESOURCETYPE_PRINT)
    return Result(ERROR_INVALID_PARAMETER);
  auto share = SplitShareName(resource.remoteName);
  if (!share) return Result(ERROR_BAD_NET_NAME);
  Machine& machine = Machine::Current();
  std::string device;
  if (!resource.localName.empty()) {
    device = RedirectableDevice(resource.localName);
    if (device.empty()) return Result(ERROR_BAD_DEVICE);
    if (resource.dwType == RESOURCETYPE_DISK) return Result(ERROR_BAD_DEV_TYPE);
  }
  DWORD type = device.empty() ? resource.dwType : RESOURCETYPE_PRINT;
  if (DWORD error = CheckShare(machine, *share, type); error != ERROR_SUCCESS) return Result(error);
  if (device.empty()) return Result(ERROR_SUCCESS);  // a connection without a device keeps nothing here

  NetworkState& state = machine.Service<NetworkState>();
  // A remembered connection that is unavailable is replaced: the port gets its connection back.
  const Connection* existing = state.Find(device);
  if (existing && existing->connected) return Result(ERROR_ALREADY_ASSIGNED);
  bool persistent = flags & CONNECT_UPDATE_PROFILE;
  if (persistent) {
    if (LONG error = WritePersistentConnection(device, resource.remoteName); error != ERROR_SUCCESS)
      return Result(static_cast<DWORD>(error));
  }
  state.Connect(device, resource.remoteName, persistent || (existing && existing->persistent));
  return Result(ERROR_SUCCESS);
}

DWORD WNetCancelConnection2A(std::string_view name, DWORD flags, BOOL force) {
  std::string device = RedirectableDevice(name);
  if (device.empty()) return Result(name.starts_with("\\\\") ? ERROR_NOT_CONNECTED : ERROR_BAD_DEVICE);
  NetworkState& state = Machine::Current().Service<NetworkState>();
  const Connection* connection = state.Find(device);
  if (!connection) return Result(ERROR_NOT_CONNECTED);
  if (connection->InUse() && !force) return Result(ERROR_OPEN_FILES);
  if (flags & CONNECT_UPDATE_PROFILE) {
    if (LONG error = RemovePersistentConnection(device); error != ERROR_SUCCESS)
      return Result(static_cast<DWORD>(error));
  }
  state.Disconnect(device);
  return Result(ERROR_SUCCESS);
}

}  // namespace w95
