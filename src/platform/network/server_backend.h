// A server of the network neighbourhood, as the network layer reaches it: its
// shares, and the files on its disk shares (read only). The embedded backend
// serves a host directory; other backends (SMB) fit behind the same interface.
//
// Every operation answers like the network does: a server that is down gives
// ERROR_BAD_NETPATH, a share it does not have ERROR_BAD_NET_NAME. Failures
// return nullopt / nullptr with the last error set.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/machine/file_object.h"

namespace w95 {

class Machine;

class ServerBackend {
 public:
  virtual ~ServerBackend() = default;

  // The server's name as the network neighbourhood spells it (no backslashes).
  virtual const std::string& Name() const = 0;
  // Whether the server answers at all.
  virtual bool Reachable() = 0;
  // Disk shares and print shares, in the server's order.
  virtual std::optional<std::vector<std::string>> ListShares() = 0;
  virtual std::optional<std::vector<std::string>> ListPrintShares() = 0;
  // Entries of the directory `directory` (components below the share root) of
  // the disk share `share` whose names match `pattern`. The root of a share
  // has no "." and ".." entries; its sub-directories do.
  virtual std::optional<std::vector<FindData>> FindEntries(std::string_view share,
                                                           const std::vector<std::string>& directory,
                                                           std::string_view pattern) = 0;
  // A file of a disk share opened for reading.
  virtual std::unique_ptr<FileObject> OpenForReading(std::string_view share, const std::vector<std::string>& path) = 0;
};

// The server `name` of the machine's network neighbourhood (MACHINE.INI), or
// nullptr with ERROR_BAD_NETPATH when no such server is declared. A declared
// server that is down is returned: it answers ERROR_BAD_NETPATH itself.
std::unique_ptr<ServerBackend> OpenServer(const Machine& machine, std::string_view name);

// The names of the declared servers, in MACHINE.INI order.
std::vector<std::string> DeclaredServers(const Machine& machine);

// Whether `name` can name a server or a share at all: not empty, no path
// separators, wildcards or control characters, not "." or "..".
// Inline: the server backends check names too, and they read this header only.
inline bool IsValidNetName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
  for (unsigned char c : name)
    if (c < 32 || c == '\\' || c == '/' || c == '*' || c == '?' || c == ':' || c == '"' || c == '<' || c == '>' ||
        c == '|')
      return false;
  return true;
}

}  // namespace w95
