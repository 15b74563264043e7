// Files of the machine whose content reaches the host only when first used: a
// disk image's files are fetched from the image then (disk_image_machine.h).
// Every use of a machine file passes one of three doors, and each asks
// FetchBeforeUse first: HostPath (paths.h) for a Windows path that names a
// file, FindFirstFile's listing for each file it reports, and OpenHostFile
// (host_open.h) for a host path read directly (MSDOS.SYS, MACHINE.INI).
#pragma once

#include <sys/stat.h>

#include <filesystem>

namespace w95 {

class HostFetcher {
 public:
  virtual ~HostFetcher() = default;
  // Makes the content of the regular file at `path`, whose stat is `st`,
  // present on the host when it is not yet; `st` is then the stat of the file
  // now there. False when it cannot be had.
  virtual bool Fetch(const std::filesystem::path& path, struct stat& st) = 0;
};

// Installs a fetcher for its own lifetime (one at a time).
class ScopedHostFetcher {
 public:
  explicit ScopedHostFetcher(HostFetcher& fetcher);
  ~ScopedHostFetcher();
  ScopedHostFetcher(const ScopedHostFetcher&) = delete;
  ScopedHostFetcher& operator=(const ScopedHostFetcher&) = delete;

 private:
  HostFetcher* previous_;
};

// Before the regular file `path` (stat `st`) is used: true when its content is
// there, fetched now if need be (`st` then follows it); false with the last
// error ERROR_READ_FAULT when it could not be fetched.
bool FetchBeforeUse(const std::filesystem::path& path, struct stat& st);

}  // namespace w95
