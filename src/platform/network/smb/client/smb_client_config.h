// The private configuration of this process's SMB client: a temporary
// directory with its own smb.conf, lock, state and cache directories, so that
// nothing the client remembers (names, connections) lands in the host's
// shared Samba state or outlives the process. Made on first use, removed when
// the process ends.
#pragma once

#include <filesystem>
#include <optional>

namespace w95 {

// The absolute path of the client's smb.conf, or nullopt when the directory
// could not be made.
std::optional<std::filesystem::path> SmbClientConfiguration();

}  // namespace w95
