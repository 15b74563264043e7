// A disk image file as the machine: the FAT drive in it (disk_image.h) is read
// and written with mtools, never with a FAT implementation of ours.
//
// Open() reads only the drive's directories (one recursive listing of names, one
// of attributes) and lays the tree out in a private staging directory that the
// run uses as its machine directory: each directory made, each file an empty
// placeholder. A file's content is fetched from the image (mcopy of that one
// file, with its last-write time) the first time the run uses it: names it in a
// Windows call, lists it, or opens it on the host (host_fetch.h), so the run
// reads no more of the image than it needs. The read-only attribute becomes the
// file's mode, the hidden, system and archive attributes are kept aside.
// WriteBack() then writes into the image only what the run changed: each changed
// or new file is copied in under a temporary name, read back and compared, given
// its attributes (those it had, with archive set, as Windows sets it on a file
// written; read-only as its mode says), and renamed over the old one; a file the
// run deleted is deleted. Files the run did not change, fetched or not, keep their
// directory entries as they were.
//
// While the run lasts, the image is locked (flock) against a second copy of
// the program. An image that cannot be written (a read-only file, a file
// another program holds open, such as a virtual machine or a mount of it) is
// refused by Open(), before anything is shown.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/machine/host_fetch.h"

namespace w95 {

class DiskImageMachine : private HostFetcher {
 public:
  // nullptr with `problem` set (one sentence, no file name) when the image
  // cannot be used.
  static std::unique_ptr<DiskImageMachine> Open(const std::filesystem::path& image, std::string& problem);
  ~DiskImageMachine() override;
  DiskImageMachine(const DiskImageMachine&) = delete;
  DiskImageMachine& operator=(const DiskImageMachine&) = delete;

  // The staging directory: the machine directory of the run.
  const std::filesystem::path& Root() const { return staging_; }
  std::uint64_t Offset() const { return offset_; }

  // Writes what the run changed into the image. The problems, one line each:
  // none when everything landed (the staging directory is then removed),
  // else the staging directory is kept and named in the last line, so that
  // nothing is lost.
  std::vector<std::string> WriteBack();

  // The image's files as the staging directory has them before the run
  // changes them, paths relative to the root ("WINDOWS/SYSTEM.DAT"): the
  // placeholder until the file is fetched, then the file fetched.
  struct Entry {
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // ns since 1970
    bool readOnly = false;
    std::string attributes;  // of H, S, A: what mattrib showed
  };

 private:
  DiskImageMachine(std::filesystem::path image, std::uint64_t offset, int lockFd);
  bool ListDrive(std::string& problem);
  std::optional<std::map<std::string, std::string>> ReadAttributes(std::string& problem) const;
  void MakePlaceholder(const std::string& relative, const std::string& flags);
  bool Fetch(const std::filesystem::path& path, struct stat& st) override;
  std::string Drive() const;  // "IMAGE@@OFFSET"
  bool PutFile(const std::string& relative, const Entry* old, std::vector<std::string>& problems);

  std::filesystem::path image_;
  std::uint64_t offset_;
  int lockFd_;
  std::filesystem::path staging_;
  bool keepStaging_ = false;
  std::map<std::string, Entry> files_;
  std::set<std::string> directories_;
  std::map<std::uint64_t, std::string> placeholders_;  // inode: the file not fetched yet
  unsigned temporaryNumber_ = 0;
  std::unique_ptr<ScopedHostFetcher> fetching_;
};

}  // namespace w95
