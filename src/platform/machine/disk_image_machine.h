// A disk image file as the machine: the FAT drive in it (disk_image.h) is read
// and written with mtools, never with a FAT implementation of ours.
//
// Open() copies the drive's whole tree at once (every file with its last-write
// time; one mcopy, not a fetch per file opened) into a private staging directory that the run uses as its machine
// directory; the read-only attribute becomes the files' mode there, the hidden, system and archive attributes are kept
// aside. WriteBack() then writes into the image only what the run changed: each changed or new file is copied in under
// a temporary name, read back and compared, given its attributes (those it had, with archive set, as Windows sets it on
// a file written; read-only as its mode says), and renamed over the old one; a file the run deleted is deleted. Files
// the run did not change keep their directory entries as they were.
//
// While the run lasts, the image is locked (flock) against a second copy of
// the program. An image that cannot be written (a read-only file, a file
// another program holds open, such as a virtual machine or a mount of it) is
// refused by Open(), before anything is shown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace w95 {

class DiskImageMachine {
 public:
  // nullptr with `problem` set (one sentence, no file name) when the image
  // cannot be used.
  static std::unique_ptr<DiskImageMachine> Open(const std::filesystem::path& image, std::string& problem);
  ~DiskImageMachine();
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

  // The image's files as Open() found them, paths relative to the root ("WINDOWS/SYSTEM.DAT").
  struct Entry {
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // ns since 1970
    bool readOnly = false;
    std::string attributes;  // of H, S, A: what mattrib showed
  };

 private:
  DiskImageMachine(std::filesystem::path image, std::uint64_t offset, int lockFd);
  bool CopyOut(std::string& problem);
  bool ReadAttributes(std::string& problem);
  std::string Drive() const;  // "IMAGE@@OFFSET"
  bool PutFile(const std::string& relative, const Entry* old, std::vector<std::string>& problems);

  std::filesystem::path image_;
  std::uint64_t offset_;
  int lockFd_;
  std::filesystem::path staging_;
  bool keepStaging_ = false;
  std::map<std::string, Entry> files_;
  std::set<std::string> directories_;
  unsigned temporaryNumber_ = 0;
};

}  // namespace w95
