// A file object over an open host file: reads, writes and seeks with Windows'
// results and access rights. Local files and files of directory shares are
// both this.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/machine/file_object.h"

namespace w95 {

class HostFile : public FileObject {
 public:
  // Takes ownership of `fd`; `access` is GENERIC_READ and/or GENERIC_WRITE.
  HostFile(int fd, DWORD access) : fd_(fd), access_(access) {}
  // The same with the descriptor's stat as the open made it. A handle without
  // write access answers its size and time from it for as long as no host file
  // was written through any handle (or truncated at its open) since: only
  // another program can change the file meanwhile, as it could just after a
  // new fstat too.
  HostFile(int fd, DWORD access, const struct stat& opened);
  ~HostFile() override;
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  bool Read(std::span<char> buffer, DWORD& bytesRead) override;
  bool Write(std::string_view bytes, DWORD& bytesWritten) override;
  DWORD Seek(LONG distance, DWORD method) override;
  DWORD Size() override;
  bool LastWriteTime(std::int64_t& fileTime) override;
  bool ReadAt(std::uint64_t offset, std::span<char> buffer, DWORD& bytesRead) override;

 private:
  // The file's stat: the one kept from the open while it still holds, else a new fstat.
  bool Stat(struct stat& st) const;

  int fd_;
  DWORD access_;
  struct stat opened_ {};
  std::uint64_t openedGeneration_ = 0;  // 0: nothing kept
};

// Tells the kept stats of every host file handle that a host file's contents
// changed (HostFile::Write does; so must anything else writing through a
// descriptor a handle may share).
void NoteHostFileWritten();

// The find data of a host entry named `name` (code page 936).
FindData FindDataFromStat(const std::string& name, const struct stat& st);

}  // namespace w95
