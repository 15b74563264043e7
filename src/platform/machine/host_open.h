// Opening host files that must be files. A Windows 95 disk holds only files and
// directories: a FIFO, a device node or a socket at a file's name is no file.
// Opening never blocks (a FIFO without a writer would wait forever) and never
// hands out a descriptor of anything but a regular file, so no read can go on
// without end.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

// A descriptor closed when it goes out of scope.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Writes all of `bytes` (through short writes and EINTR); false with errno set.
bool WriteAllToFd(int fd, std::string_view bytes);

// open(2) of `path` with `flags` (O_CLOEXEC and O_NONBLOCK are added; the
// descriptor returned blocks again as usual). Anything at the name that is not
// a regular file gives ERROR_ACCESS_DENIED, a directory included. -1 with the
// last error set on failure.
int OpenHostFile(const std::filesystem::path& path, int flags, mode_t mode = 0644);

// The same for a caller whose stat of `path` just found a regular file or
// nothing there; `st` is the descriptor's own stat.
int OpenStatedHostFile(const std::filesystem::path& path, int flags, mode_t mode, struct stat& st);

// The largest file read whole: far beyond any INI file, hive or report.
inline constexpr std::size_t kMaxWholeFileBytes = 64u << 20;

// The bytes of the regular file `path`, at most `limit` of them (a longer file
// is not read: nullopt, ERROR_NOT_ENOUGH_MEMORY). nullopt with the last error set.
std::optional<std::string> ReadRegularHostFile(const std::filesystem::path& path,
                                               std::size_t limit = kMaxWholeFileBytes);

// The same for a descriptor that OpenHostFile gave, read from its start.
std::optional<std::string> ReadOpenHostFile(int fd, std::size_t limit = kMaxWholeFileBytes);

// A write beyond the file-size limit (RLIMIT_FSIZE) fails with ERROR_DISK_FULL
// instead of ending the process with SIGXFSZ. Called once at start-up.
void IgnoreFileSizeSignal();

}  // namespace w95
