// What an open file handle refers to: a host file, a device, a file on a
// network server. CreateFileA picks the kind; ReadFile & co. only see this.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace w95 {

class FileObject {
 public:
  virtual ~FileObject() = default;
  // Each returns false with the last error set on failure.
  virtual bool Read(std::span<char> buffer, DWORD& bytesRead) = 0;
  virtual bool Write(std::string_view bytes, DWORD& bytesWritten) = 0;
  // New position, or INVALID_SET_FILE_POINTER.
  virtual DWORD Seek(LONG distance, DWORD method) = 0;
  // Size, or INVALID_FILE_SIZE.
  virtual DWORD Size() = 0;
  // The last-write time as FILETIME; objects without one fail with
  // ERROR_INVALID_FUNCTION.
  virtual bool LastWriteTime(std::int64_t& fileTime);
  // Reads up to buffer.size() bytes from `offset` (fewer at the end of the
  // file); where the file pointer is afterwards is not defined. This one seeks
  // and reads; a host file reads in place and leaves the pointer.
  virtual bool ReadAt(std::uint64_t offset, std::span<char> buffer, DWORD& bytesRead);
};

// One entry found by FindFirstFileA / FindNextFileA.
struct FindData {
  DWORD attributes = 0;
  std::int64_t lastWriteTime = 0;  // FILETIME: 100 ns ticks since 1601-01-01 UTC
  std::uint64_t size = 0;
  std::string fileName;  // code page 936
};

// FILETIME ticks of a host time in seconds and nanoseconds since 1970 (UTC).
std::int64_t FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

// Windows' wildcard match of one name: '*' any run, '?' one character, case
// ignored; "*.*" and "*" match every name.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace w95
