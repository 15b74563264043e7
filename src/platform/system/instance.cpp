#include "platform/system/instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "platform/base/last_error.h"
#include "platform/machine/machine.h"

namespace w95 {

namespace {

int currentListenFd = -1;

// A name for the marker that is the same in every process on this host: the
// machine is its root directory as a file system object (device and inode), so
// another path to it, a link or a bind mount, names the same machine.
std::string MarkerKey(std::string_view name) {
  struct stat st {};
  std::string root;
  if (stat(Machine::Current().Root().c_str(), &st) == 0)
    root = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  else
    root = std::filesystem::absolute(Machine::Current().Root()).lexically_normal().string();
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : root + '\n' + std::string(name)) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("dxlq7trs-") + std::to_string(getuid()) + "-" + text;
}

// A directory that is the user's own, not a link, and writable by no one else.
bool OwnPrivateDirectory(const std::filesystem::path& dir) {
  struct stat st;
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 022) == 0;
}

// Where the lock files live: $XDG_RUNTIME_DIR, else a directory of the user's
// own in /tmp. Anything else another user may have planted is not used.
std::optional<std::filesystem::path> LockDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime && OwnPrivateDirectory(runtime)) return std::filesystem::path(runtime);
  std::filesystem::path dir = "/tmp/dxlq7trs-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  if (!OwnPrivateDirectory(dir)) return std::nullopt;
  return dir;
}

// The lock file, never through a link and only a regular file of the user's.
int OpenLockFile(const std::string& key) {
  auto dir = LockDirectory();
  if (!dir) return -1;
  int fd = open((*dir / (key + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
    close(fd);
    return -1;
  }
  return fd;
}

// An abstract socket address: nothing on disk to clean up.
socklen_t SocketAddress(const std::string& key, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::string name = key + ".raise";
  std::memcpy(address.sun_path + 1, name.data(), std::min(name.size(), sizeof address.sun_path - 2));
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

int Listen(const std::string& key) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_un address;
  socklen_t length = SocketAddress(key, address);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

InstanceMarker::~InstanceMarker() {
  if (listenFd_ >= 0) {
    if (currentListenFd == listenFd_) currentListenFd = -1;
    close(listenFd_);
  }
  if (lockFd_ >= 0) close(lockFd_);
}

InstanceMarker::InstanceMarker(InstanceMarker&& other) noexcept
    : lockFd_(std::exchange(other.lockFd_, -1)), listenFd_(std::exchange(other.listenFd_, -1)) {}

InstanceMarker& InstanceMarker::operator=(InstanceMarker&& other) noexcept {
  if (this != &other) {
    this->~InstanceMarker();
    lockFd_ = std::exchange(other.lockFd_, -1);
    listenFd_ = std::exchange(other.listenFd_, -1);
  }
  return *this;
}

InstanceMarker CreateInstanceMarker(std::string_view name) {
  std::string key = MarkerKey(name);
  int lockFd = OpenLockFile(key);
  if (lockFd < 0) return Fail(ERROR_ACCESS_DENIED, InstanceMarker());
  if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
    close(lockFd);
    return Fail(ERROR_ALREADY_EXISTS, InstanceMarker());
  }
  int listenFd = Listen(key);
  currentListenFd = listenFd;
  SetLastError(ERROR_SUCCESS);
  return InstanceMarker(lockFd, listenFd);
}

bool RequestForeground(std::string_view name) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address;
  socklen_t length = SocketAddress(MarkerKey(name), address);
  // MSG_NOSIGNAL: the first copy may close its end before this is written.
  bool sent =
      connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && send(fd, "raise\n", 6, MSG_NOSIGNAL) == 6;
  close(fd);
  return sent;
}

int ForegroundRequestFd() { return currentListenFd; }

bool TakeForegroundRequests() {
  if (currentListenFd < 0) return false;
  bool any = false;
  for (;;) {
    int client = accept4(currentListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) break;
    any = true;
    close(client);
  }
  return any;
}

}  // namespace w95
