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
  ~HostFile() override;
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  bool Read(std::span<char> buffer, DWORD& bytesRead) override;
  bool Write(std::string_view bytes, DWORD& bytesWritten) override;
  DWORD Seek(LONG distance, DWORD method) override;
  DWORD Size() override;
  bool LastWriteTime(std::int64_t& fileTime) override;

 private:
  int fd_;
  DWORD access_;
};

// The find data of a host entry named `name` (code page 936).
FindData FindDataFromStat(const std::string& name, const struct stat& st);

}  // namespace w95
