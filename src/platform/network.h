// The Windows network layer (WNet) of the emulated machine: connections of
// LPT ports to print shares, persistent connections, and the browsing of
// servers. Results are Windows' error codes, as the WNet calls return them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

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
constexpr DWORD RESOURCEDISPLAYTYPE_SERVER = 2;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 3;
constexpr DWORD CONNECT_UPDATE_PROFILE = 1;

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

}  // namespace w95
