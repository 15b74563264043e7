// UNC paths (\\SERVER\SHARE\...) as CreateFileA and FindFirstFileA hand them to
// the network: files on the disk shares of the network neighbourhood's servers.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/machine/file_object.h"
#include "platform/machine/paths.h"

namespace w95 {

class Machine;

// nullptr with the last error set on failure.
std::unique_ptr<FileObject> OpenUncFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess,
                                        DWORD creationDisposition);

// Entries of the UNC directory `directory` whose names match `pattern`
// (FindFirstFileA's rules); nullopt with the last error set on failure.
std::optional<std::vector<FindData>> FindUncEntries(Machine& machine, const ParsedPath& directory,
                                                    std::string_view pattern);

}  // namespace w95
