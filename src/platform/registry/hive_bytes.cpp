#include "platform/registry/hive_bytes.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include "platform/base/last_error.h"
#include "platform/machine/host_open.h"

namespace w95 {

HiveBytes::~HiveBytes() {
  if (mapped_) munmap(const_cast<char*>(view_.data()), view_.size());
}

std::shared_ptr<const HiveBytes> HiveBytes::Map(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastError(ERROR_READ_FAULT);
    return nullptr;
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > kMaxWholeFileBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (size == 0) return std::make_shared<const HiveBytes>(std::string());
  void* at = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (at == MAP_FAILED) {
    SetLastError(ERROR_READ_FAULT);
    return nullptr;
  }
  return std::shared_ptr<const HiveBytes>(new HiveBytes(Mapped{}, static_cast<const char*>(at), size));
}

}  // namespace w95
