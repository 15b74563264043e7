// The names CreateFileA and FindFirstFileA hand on to other parts of the
// platform: devices (LPT1:, ...) and UNC paths on network servers.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/machine/file_object.h"
#include "platform/machine/paths.h"

namespace w95 {

class Machine;

// nullptr with the last error set when the device cannot be opened.
std::unique_ptr<FileObject> OpenDeviceFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess);

// nullptr with the last error set on failure.
std::unique_ptr<FileObject> OpenUncFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess,
                                        DWORD creationDisposition);

// Entries of the UNC directory `directory` whose names match `pattern`
// (FindFirstFileA's rules); nullopt with the last error set on failure.
std::optional<std::vector<FindData>> FindUncEntries(Machine& machine, const ParsedPath& directory,
                                                    std::string_view pattern);

}  // namespace w95
