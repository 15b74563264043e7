#include "platform/machine/host_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <limits>

#include "platform/base/last_error.h"
#include "platform/machine/host_errors.h"

namespace w95 {

namespace {

// Counts the writes of this process to host files, from 1; a kept stat holds
// while the count is the one it was taken at.
std::atomic<std::uint64_t> writeGeneration{1};

}  // namespace

void NoteHostFileWritten() { writeGeneration.fetch_add(1, std::memory_order_relaxed); }

HostFile::HostFile(int fd, DWORD access, const struct stat& opened) : fd_(fd), access_(access), opened_(opened) {
  if (!(access & GENERIC_WRITE)) openedGeneration_ = writeGeneration.load(std::memory_order_relaxed);
}

HostFile::~HostFile() { close(fd_); }

bool HostFile::Stat(struct stat& st) const {
  if (openedGeneration_ != 0 && openedGeneration_ == writeGeneration.load(std::memory_order_relaxed)) {
    st = opened_;
    return true;
  }
  return fstat(fd_, &st) == 0;
}

bool HostFile::Read(std::span<char> buffer, DWORD& bytesRead) {
  bytesRead = 0;
  if (!(access_ & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, false);
  while (bytesRead < buffer.size()) {
    ssize_t n = read(fd_, buffer.data() + bytesRead, buffer.size() - bytesRead);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ERROR_READ_FAULT, false);
    if (n == 0) break;
    bytesRead += static_cast<DWORD>(n);
  }
  return true;
}

bool HostFile::ReadAt(std::uint64_t offset, std::span<char> buffer, DWORD& bytesRead) {
  bytesRead = 0;
  if (!(access_ & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, false);
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
    return Fail(ERROR_INVALID_PARAMETER, false);
  while (bytesRead < buffer.size()) {
    ssize_t n =
        pread(fd_, buffer.data() + bytesRead, buffer.size() - bytesRead, static_cast<off_t>(offset + bytesRead));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ERROR_READ_FAULT, false);
    if (n == 0) break;
    bytesRead += static_cast<DWORD>(n);
  }
  return true;
}

bool HostFile::Write(std::string_view bytes, DWORD& bytesWritten) {
  bytesWritten = 0;
  if (!(access_ & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, false);
  NoteHostFileWritten();
  while (bytesWritten < bytes.size()) {
    ssize_t n = write(fd_, bytes.data() + bytesWritten, bytes.size() - bytesWritten);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ErrorFromErrno(errno) == ERROR_DISK_FULL ? ERROR_DISK_FULL : ERROR_WRITE_FAULT, false);
    bytesWritten += static_cast<DWORD>(n);
  }
  return true;
}

DWORD HostFile::Seek(LONG distance, DWORD method) {
  off_t base = 0;
  if (method == FILE_CURRENT) {
    base = lseek(fd_, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    base = lseek(fd_, 0, SEEK_END);
  } else if (method != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  }
  if (base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
  off_t pos = lseek(fd_, base + distance, SEEK_SET);
  if (pos < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  return static_cast<DWORD>(pos);
}

DWORD HostFile::Size() {
  struct stat st;
  if (!Stat(st)) return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  return static_cast<DWORD>(st.st_size);
}

bool HostFile::LastWriteTime(std::int64_t& fileTime) {
  struct stat st;
  if (!Stat(st)) return Fail(ERROR_INVALID_HANDLE, false);
  fileTime = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  return true;
}

FindData FindDataFromStat(const std::string& name, const struct stat& st) {
  FindData data;
  data.fileName = name;
  data.attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) data.attributes |= FILE_ATTRIBUTE_READONLY;
  data.lastWriteTime = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  data.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  return data;
}

}  // namespace w95
