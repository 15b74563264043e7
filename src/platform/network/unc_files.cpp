// Files on network servers (\\SERVER\SHARE\...), served by the server's
// backend. Shares are read only: writing or creating gives ERROR_ACCESS_DENIED.
#include "platform/network/unc_files.h"

#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/network/server_backend.h"

namespace w95 {

namespace {

bool Creates(DWORD creationDisposition) {
  return creationDisposition == CREATE_NEW || creationDisposition == CREATE_ALWAYS ||
         creationDisposition == TRUNCATE_EXISTING;
}

}  // namespace

std::unique_ptr<FileObject> OpenUncFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess,
                                        DWORD creationDisposition) {
  using Result = std::unique_ptr<FileObject>;
  auto server = OpenServer(machine, path.server);
  if (!server) return Result();
  if (!server->Reachable() || path.share.empty()) return Fail(ERROR_BAD_NETPATH, Result());
  if ((desiredAccess & GENERIC_WRITE) || Creates(creationDisposition)) return Fail(ERROR_ACCESS_DENIED, Result());
  if (creationDisposition != OPEN_EXISTING && creationDisposition != OPEN_ALWAYS)
    return Fail(ERROR_INVALID_PARAMETER, Result());
  auto file = server->OpenForReading(path.share, path.components);
  if (!file) {
    // OPEN_ALWAYS would have to create the missing file.
    if (creationDisposition == OPEN_ALWAYS && GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_ACCESS_DENIED);
    return Result();
  }
  SetLastError(creationDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return file;
}

std::optional<std::vector<FindData>> FindUncEntries(Machine& machine, const ParsedPath& directory,
                                                    std::string_view pattern) {
  using Result = std::optional<std::vector<FindData>>;
  auto server = OpenServer(machine, directory.server);
  if (!server) return Result();
  if (!server->Reachable() || directory.share.empty()) return Fail(ERROR_BAD_NETPATH, Result());
  return server->FindEntries(directory.share, directory.components, pattern);
}

}  // namespace w95
