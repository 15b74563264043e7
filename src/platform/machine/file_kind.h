// What a replaced file keeps of the file it replaces, on whatever file system
// holds the machine: its FAT attributes (read-only, hidden, system, archive)
// where the kernel's FAT driver offers them, its mode elsewhere.
//
// Some file systems refuse calls a POSIX one answers: fusefat answers ENOSYS
// to fchmod and keeps one mode for every file, and some FUSE file systems
// have no fsync. Such a refusal is no failure of the replace: the new file
// then has what the file system gives every file, and its bytes are all
// written. Only a call the file system offers and then fails counts.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace w95 {

// FAT attribute bits, as in the directory entry.
inline constexpr std::uint32_t kFatReadOnly = 0x01;
inline constexpr std::uint32_t kFatHidden = 0x02;
inline constexpr std::uint32_t kFatSystem = 0x04;
inline constexpr std::uint32_t kFatArchive = 0x20;

// Whether errno `error` says the file system does not offer the call at all.
bool CallNotOffered(int error);

// The FAT attributes of the open file `fd`; nullopt where the file system is
// no kernel FAT (the ioctl is not offered).
std::optional<std::uint32_t> FatAttributes(int fd);

// Gives the new file `fd` the kind of the file `old` (whose stat is `oldStat`,
// nullptr when there was none): the old FAT attributes with the archive bit
// set, as Windows sets it on every file written; else the old mode (0644 for
// a new file). False with errno set when the file system offers the call and
// it fails.
bool CarryFileKind(int fd, const std::filesystem::path& old, const struct stat* oldStat);

// fsync(2) of `fd`, true where the file system offers no fsync.
bool SyncIfOffered(int fd);

}  // namespace w95
