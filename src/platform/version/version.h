// Version information of executable files (GetFileVersionInfoA & co.): the
// version resource of 16-bit NE files, Windows 95 virtual device drivers (LE)
// and 32-bit PE files, read from the file itself.
//
// A file that is not an executable, has no version resource, or whose
// headers or resource are truncated or garbled has no version information:
// the calls fail cleanly and never read beyond the file or the block given.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"
#include "platform/files/files.h"

namespace w95 {

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BDu;

struct VS_FIXEDFILEINFO {
  DWORD dwSignature = 0;
  DWORD dwStrucVersion = 0;
  DWORD dwFileVersionMS = 0;
  DWORD dwFileVersionLS = 0;
  DWORD dwProductVersionMS = 0;
  DWORD dwProductVersionLS = 0;
  DWORD dwFileFlagsMask = 0;
  DWORD dwFileFlags = 0;
  DWORD dwFileOS = 0;
  DWORD dwFileType = 0;
  DWORD dwFileSubtype = 0;
  DWORD dwFileDateMS = 0;
  DWORD dwFileDateLS = 0;
};

// The size in bytes of the file's version information (the VS_VERSIONINFO
// block as stored); `handle` is set to 0. 0 when there is none: the last error
// is the open error when the file cannot be opened, ERROR_FILE_NOT_FOUND (as
// Windows 95 reports it) when it holds no usable version resource.
DWORD GetFileVersionInfoSizeA(std::string_view fileName, DWORD& handle);

// Copies the version information into `data`, as much as fits (a block longer
// than the buffer is cut); bytes beyond the block are zeroed. False with the
// last error set as above.
bool GetFileVersionInfoA(std::string_view fileName, DWORD handle, std::span<char> data);

// The whole version information of a file already open for reading, as the
// two calls above read it by name; nullopt with ERROR_FILE_NOT_FOUND when it
// has none. One open then serves a caller that also wants the file's size and
// time.
std::optional<std::string> FileVersionBlock(FileHandle& file);

// The value of `subBlock` in a block that GetFileVersionInfoA returned:
// "\" (or "") the root value, the VS_FIXEDFILEINFO bytes; a path such as
// "\StringFileInfo\080403A8\FileVersion" (keys compared without regard to
// case) a text in code page 936 without its terminating NUL; other values as
// stored ("\VarFileInfo\Translation"). False with ERROR_RESOURCE_TYPE_NOT_FOUND
// when there is no such value. Nothing outside `block` is read.
bool VerQueryValueA(std::span<const char> block, std::string_view subBlock, std::string& value);

// The fixed version information of the root ("\"): false with
// ERROR_RESOURCE_TYPE_NOT_FOUND when `subBlock` names anything else, or when
// the root value is shorter than VS_FIXEDFILEINFO or lacks its signature.
bool VerQueryValueA(std::span<const char> block, std::string_view subBlock, VS_FIXEDFILEINFO& info);

}  // namespace w95
