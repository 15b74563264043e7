// File calls of the emulated Windows 95: CreateFileA and friends over the
// machine directory, with Windows' dispositions, share modes and error codes.
// Handles close themselves (RAII); CloseHandle closes early.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/machine/file_object.h"
#include "platform/machine/paths.h"

namespace w95 {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(std::unique_ptr<FileObject> object) : object_(std::move(object)) {}
  FileHandle(FileHandle&&) noexcept = default;
  FileHandle& operator=(FileHandle&&) noexcept = default;

  bool Valid() const { return object_ != nullptr; }
  explicit operator bool() const { return Valid(); }
  FileObject* Object() const { return object_.get(); }
  void Close() { object_.reset(); }

 private:
  std::unique_ptr<FileObject> object_;
};

// An invalid handle with the last error set on failure. `flagsAndAttributes`
// may carry FILE_FLAG_OVERLAPPED, which changes nothing here.
FileHandle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes);
bool ReadFile(FileHandle& file, std::span<char> buffer, DWORD& bytesRead);
bool WriteFile(FileHandle& file, std::string_view bytes, DWORD& bytesWritten);
DWORD SetFilePointer(FileHandle& file, LONG distance, DWORD moveMethod);
DWORD GetFileSize(FileHandle& file);
// The file's last-write time (FILETIME), as FindFirstFileA reports it.
bool GetFileTime(FileHandle& file, std::int64_t& lastWriteTime);
bool CloseHandle(FileHandle& file);

class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(std::vector<FindData> entries) : entries_(std::move(entries)), valid_(true) {}
  bool Valid() const { return valid_; }
  explicit operator bool() const { return valid_; }

 private:
  friend bool FindNextFileA(FindHandle&, FindData&);
  friend bool FindClose(FindHandle&);
  std::vector<FindData> entries_;
  size_t next_ = 1;
  bool valid_ = false;
};

// A pattern whose last component may hold '*' and '?'. Without wildcards it
// finds the one named entry. A directory listing has "." and ".." first,
// except at the root of a drive or share. Invalid with ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND or ERROR_NO_MORE_FILES when nothing matches.
FindHandle FindFirstFileA(std::string_view pattern, FindData& data);
bool FindNextFileA(FindHandle& find, FindData& data);
bool FindClose(FindHandle& find);

bool DeleteFileA(std::string_view fileName);
// Fails with ERROR_ALREADY_EXISTS when the new name exists.
bool MoveFileA(std::string_view existingName, std::string_view newName);
// FILE_ATTRIBUTE_* of an entry, or 0xFFFFFFFF.
DWORD GetFileAttributesA(std::string_view fileName);

// Directories of the current machine, in Windows form.
std::string GetWindowsDirectoryA();
std::string GetSystemDirectoryA();
std::string GetTempPathA();  // ends in a backslash

// Conveniences built on the calls above.
// The whole file, or nullopt with the last error set (ERROR_INVALID_DATA, the
// file unread, when it is larger than `maxSize`).
std::optional<std::string> ReadWholeFile(std::string_view fileName, DWORD maxSize = INVALID_FILE_SIZE);
// Replaces (or creates) the file atomically: a reader, or a crash, sees the old
// bytes or the new ones, never a mix. False with the last error set on failure,
// the old file then being untouched. A read-only file fails with
// ERROR_ACCESS_DENIED unless `readOnly` says to replace it too (its mode kept).
bool ReplaceFileAtomically(std::string_view fileName, std::string_view bytes,
                           ReadOnlyFile readOnly = ReadOnlyFile::Refuse);

}  // namespace w95
