// What another writer does to a file, for tests of kept files: a change that
// keeps the inode and the stamp, and whether inotify can be had at all.
#pragma once

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace dxl::testing {

// Gives `path` the modification (and access) time `modified`.
inline bool SetModified(const std::filesystem::path& path, timespec modified) {
  const timespec times[2] = {modified, modified};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

// Writes `bytes` into the file as it is (same inode) and gives it `modified`:
// with the old time, a change within one tick of the file system's clock.
inline bool Overwrite(const std::filesystem::path& path, std::string_view bytes, timespec modified) {
  std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return SetModified(path, modified);
}

// Whether this process can have an inotify descriptor at all (the per-user
// limit of instances is shared with every other process of the user).
inline bool InotifyAvailable() {
  const int fd = inotify_init1(IN_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace dxl::testing
