#include "platform/ui/qt/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace w95::ui::qt {

namespace {

// A real directory (not a link) owned by this user, readable, writable and
// searchable by it alone: what Qt accepts without a warning.
bool IsPrivateDirectory(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 07777) == 0700;
}

std::string TempRoot() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp == '/' ? tmp : "/tmp";
}

}  // namespace

bool RuntimeDirectorySet() {
  const char* set = std::getenv("XDG_RUNTIME_DIR");
  return set && *set;
}

void EnsureRuntimeDirectory() {
  if (RuntimeDirectorySet()) return;
  std::string shared = TempRoot() + "/runtime-" + std::to_string(geteuid());
  mkdir(shared.c_str(), 0700);
  if (IsPrivateDirectory(shared)) {
    setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
    return;
  }
  // Someone else's, or a link: a directory of our own instead.
  std::string own = TempRoot() + "/dxlq7trs-runtime-XXXXXX";
  if (mkdtemp(own.data())) setenv("XDG_RUNTIME_DIR", own.c_str(), 1);
}

}  // namespace w95::ui::qt
