// What another writer does to a file, for tests of kept files: a change that
// keeps the inode and the stamp, and the wait until a read of it is kept.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace dxl::testing {

inline constexpr timespec kMillisecond{0, 1000000};

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

// Waits until the clock that stamps files has passed the change time of
// `path`: from then on the profile cache keeps what it reads of the file.
inline void WaitPastChangeTime(const std::filesystem::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  for (timespec now{};; nanosleep(&kMillisecond, nullptr)) {
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    if (now.tv_sec > st.st_ctim.tv_sec || (now.tv_sec == st.st_ctim.tv_sec && now.tv_nsec > st.st_ctim.tv_nsec)) return;
  }
}

}  // namespace dxl::testing
