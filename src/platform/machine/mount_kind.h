// What start-up says about the file system that holds a machine directory,
// when it is one known to show a FAT drive wrongly.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace w95 {

// The type of the mount that holds `path` ("vfat", "fuse.fusefat", ...), from
// /proc/self/mountinfo; empty when it cannot be told.
std::string MountType(const std::filesystem::path& path);

// The type of the mount at the longest mount point that is `path` or above it,
// from the text of a mountinfo file.
std::string MountTypeIn(std::string_view mountinfo, const std::string& path);

// A warning for a machine on that file system; empty when none is known.
std::string FileSystemWarning(const std::filesystem::path& root);

}  // namespace w95
