#include "platform/machine/host_open.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/base/last_error.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_fetch.h"

namespace w95 {

namespace {

// Something is at `path` and it is not a regular file.
bool NotAFile(const std::filesystem::path& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

// A buffer of megabytes (a registry hive) is backed by huge pages where the
// system allows it: filling it then costs a few page faults instead of one per 4 KiB.
void AdviseHugePages(char* buffer, std::size_t size) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  if (size < 2 * kHuge) return;
  const auto start = (reinterpret_cast<std::uintptr_t>(buffer) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(buffer) + size) & ~(kHuge - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

bool WriteAllToFd(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

int OpenHostFile(const std::filesystem::path& path, int flags, mode_t mode) {
  // Checked before opening too: opening some devices has effects of its own.
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, -1);
    if (!FetchBeforeUse(path, st)) return -1;
  }
  return OpenStatedHostFile(path, flags, mode, st);
}

int OpenStatedHostFile(const std::filesystem::path& path, int flags, mode_t mode, struct stat& st) {
  int fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  if (fd < 0) {
    int error = errno;
    return Fail(NotAFile(path) ? ERROR_ACCESS_DENIED : ErrorFromErrno(error), -1);
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return Fail(ERROR_ACCESS_DENIED, -1);
  }
  // F_SETFL takes only the status flags (append, direct, no-atime) from its
  // argument: those of the open, without O_NONBLOCK.
  fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::optional<std::string> ReadOpenHostFile(int fd, std::size_t limit) {
  using Result = std::optional<std::string>;
  struct stat st;
  if (fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) > limit)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, Result());
  // Read up to the size found, and no further even if the file grows meanwhile.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  AdviseHugePages(bytes.data(), bytes.capacity());
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ERROR_READ_FAULT, Result());
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

std::optional<std::string> ReadRegularHostFile(const std::filesystem::path& path, std::size_t limit) {
  UniqueFd fd(OpenHostFile(path, O_RDONLY));
  if (fd.get() < 0) return std::nullopt;
  return ReadOpenHostFile(fd.get(), limit);
}

void IgnoreFileSizeSignal() { signal(SIGXFSZ, SIG_IGN); }

}  // namespace w95
