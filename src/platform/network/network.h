// The Windows network layer (WNet) of the emulated machine: connections of
// LPT ports to print shares, persistent connections, and the browsing of
// servers. Results are Windows' error codes, as the WNet calls return them;
// each call also leaves its result in the last error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace w95 {

// NETRESOURCE.
constexpr DWORD RESOURCE_CONNECTED = 1;
constexpr DWORD RESOURCE_GLOBALNET = 2;
constexpr DWORD RESOURCE_REMEMBERED = 3;
constexpr DWORD RESOURCETYPE_ANY = 0;
constexpr DWORD RESOURCETYPE_DISK = 1;
constexpr DWORD RESOURCETYPE_PRINT = 2;
constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 1;
constexpr DWORD RESOURCEUSAGE_CONTAINER = 2;
constexpr DWORD RESOURCEDISPLAYTYPE_GENERIC = 0;
constexpr DWORD RESOURCEDISPLAYTYPE_DOMAIN = 1;
constexpr DWORD RESOURCEDISPLAYTYPE_SERVER = 2;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 3;
constexpr DWORD CONNECT_UPDATE_PROFILE = 1;

// Network errors that only the WNet calls give.
constexpr DWORD ERROR_BAD_DEV_TYPE = 66;
constexpr DWORD ERROR_ALREADY_ASSIGNED = 85;

struct NetResource {
  DWORD dwScope = 0;
  DWORD dwType = 0;
  DWORD dwDisplayType = 0;
  DWORD dwUsage = 0;
  std::string localName;
  std::string remoteName;
  std::string comment;
  std::string provider;
};

// The name the network layer gives as lpProvider.
inline constexpr std::string_view kNetworkProvider = "Microsoft Network";

// Bytes one entry takes in a WNetEnumResourceA buffer: the 32-byte record and
// its strings with their NULs, as Windows lays them out.
DWORD NetResourceBufferSize(const NetResource& resource);

// The remote name that the local device `localName` ("LPT1:" or "LPT1") is
// redirected to. `length` is the size of the caller's buffer in bytes, NUL
// included. NO_ERROR: connected. ERROR_CONNECTION_UNAVAIL: a persistent
// connection that is remembered but not connected; `remoteName` still holds
// it. ERROR_NOT_CONNECTED: not redirected. ERROR_MORE_DATA: the name (NUL
// included) needs `length` bytes. ERROR_BAD_DEVICE: not a redirectable device.
DWORD WNetGetConnectionA(std::string_view localName, std::string& remoteName, DWORD& length);

// Connects resource.localName (an LPT port, or empty for no local device) to
// resource.remoteName (\\server\share). CONNECT_UPDATE_PROFILE also stores the
// connection as persistent. Password and user name are passed on to servers
// that ask for them.
DWORD WNetAddConnection2A(const NetResource& resource, std::optional<std::string_view> password,
                          std::optional<std::string_view> userName, DWORD flags);

// Drops the connection of the local device `name`; CONNECT_UPDATE_PROFILE also
// forgets it as persistent. A connection in use is dropped only with `force`
// (else ERROR_OPEN_FILES).
DWORD WNetCancelConnection2A(std::string_view name, DWORD flags, BOOL force);

// What a restart of Windows does to the network of the current machine: the
// connections that are not persistent end, the persistent ones are restored
// (connected when their server answers, else remembered).
struct NetworkRestart {
  int ended = 0;     // connections that were not persistent
  int restored = 0;  // persistent connections restored
};
NetworkRestart RestartNetwork();

// An open enumeration (HANDLE of WNetOpenEnumA). Closes itself.
class NetEnumHandle {
 public:
  NetEnumHandle() = default;
  explicit NetEnumHandle(std::vector<NetResource> entries) : valid_(true), entries_(std::move(entries)) {}

  bool Valid() const { return valid_; }
  explicit operator bool() const { return valid_; }

 private:
  friend DWORD WNetEnumResourceA(NetEnumHandle&, DWORD&, std::vector<NetResource>&, DWORD&);
  friend DWORD WNetCloseEnum(NetEnumHandle&);

  bool valid_ = false;
  std::vector<NetResource> entries_;
  std::size_t next_ = 0;
};

// Starts an enumeration. RESOURCE_GLOBALNET with `container` null (or without a
// remote name): the servers of the network neighbourhood; with "\\SERVER":
// its shares (RESOURCETYPE_ANY), disk shares (RESOURCETYPE_DISK) or print
// shares (RESOURCETYPE_PRINT). RESOURCE_CONNECTED: the current connections;
// RESOURCE_REMEMBERED: the persistent ones. ERROR_BAD_NETPATH for a server
// that is unknown or does not answer.
DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, const NetResource* container, NetEnumHandle& handle);

// The next entries: at most `count` (0xFFFFFFFF: as many as fit) of those that
// fit into `bufferSize` bytes. On success `count` is the number returned.
// ERROR_NO_MORE_ITEMS when none are left; ERROR_MORE_DATA with `bufferSize`
// set to the size needed when not even the next one fits.
DWORD WNetEnumResourceA(NetEnumHandle& handle, DWORD& count, std::vector<NetResource>& entries, DWORD& bufferSize);
DWORD WNetCloseEnum(NetEnumHandle& handle);

}  // namespace w95
