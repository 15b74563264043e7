#include "platform/machine/file_kind.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/machine/host_open.h"

namespace w95 {

bool CallNotOffered(int error) {
  return error == ENOSYS || error == EOPNOTSUPP || error == ENOTTY || error == EPERM || error == EINVAL;
}

std::optional<std::uint32_t> FatAttributes(int fd) {
  std::uint32_t attributes = 0;
  if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0) return std::nullopt;
  return attributes;
}

namespace {

std::optional<std::uint32_t> FatAttributesOf(const std::filesystem::path& path) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return std::nullopt;
  return FatAttributes(fd.get());
}

}  // namespace

bool CarryFileKind(int fd, const std::filesystem::path& old, const struct stat* oldStat) {
  if (oldStat && S_ISREG(oldStat->st_mode)) {
    if (auto attributes = FatAttributesOf(old)) {
      std::uint32_t wanted = *attributes | kFatArchive;
      // The system bit needs CAP_LINUX_IMMUTABLE; without it the rest is kept.
      if (ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &wanted) == 0) return true;
      wanted &= ~kFatSystem;
      return ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &wanted) == 0 || CallNotOffered(errno);
    }
  }
  const mode_t mode = oldStat ? (oldStat->st_mode & 07777) : 0644;
  return fchmod(fd, mode) == 0 || CallNotOffered(errno);
}

bool SyncIfOffered(int fd) { return fsync(fd) == 0 || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL; }

}  // namespace w95
