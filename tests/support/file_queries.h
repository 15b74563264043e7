// Short forms of the file calls for tests of the file systems (local, UNC
// through either server backend): the names a pattern finds, the error of an
// open.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/last_error.h"

namespace dxl::testing {

// The names FindFirstFileA/FindNextFileA give for `pattern`; `error` gets the
// last error when nothing is found.
inline std::set<std::string> Names(std::string_view pattern, w95::DWORD* error = nullptr) {
  std::set<std::string> names;
  w95::FindData data;
  w95::SetLastError(w95::ERROR_SUCCESS);
  w95::FindHandle find = w95::FindFirstFileA(pattern, data);
  if (error) *error = find ? w95::ERROR_SUCCESS : w95::GetLastError();
  if (!find) return names;
  do names.insert(data.fileName);
  while (w95::FindNextFileA(find, data));
  w95::FindClose(find);
  return names;
}

// ERROR_SUCCESS when CreateFileA opens `path`, else its error.
inline w95::DWORD OpenError(std::string_view path, w95::DWORD access = w95::GENERIC_READ,
                            w95::DWORD disposition = w95::OPEN_EXISTING) {
  w95::SetLastError(w95::ERROR_SUCCESS);
  w95::FileHandle file = w95::CreateFileA(path, access, w95::FILE_SHARE_READ, disposition, w95::FILE_ATTRIBUTE_NORMAL);
  return file ? w95::ERROR_SUCCESS : w95::GetLastError();
}

}  // namespace dxl::testing
