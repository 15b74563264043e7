// Short forms of the file calls for tests of the file systems (local, UNC
// through either server backend): the names a pattern finds, the error of an
// open.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <string_view>

#include "platform/base/last_error.h"
#include "platform/files/files.h"

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

// Reads the share file `path`, whose bytes are `bytes` (at least three), as
// either server backend must serve it: whole, from a position taken from the
// end, and never written. Leaves the handle's file pointer at the end.
inline void ExpectReadOnlyShareFile(std::string_view path, std::string_view bytes) {
  auto whole = w95::ReadWholeFile(path);
  ASSERT_TRUE(whole);
  EXPECT_EQ(*whole, bytes);
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ, 0, w95::OPEN_EXISTING, 0);
  ASSERT_TRUE(file);
  EXPECT_EQ(w95::GetFileSize(file), bytes.size());
  EXPECT_EQ(w95::SetFilePointer(file, -3, w95::FILE_END), bytes.size() - 3);
  char buffer[8] = {};
  w95::DWORD read = 0;
  ASSERT_TRUE(w95::ReadFile(file, std::span<char>(buffer, sizeof buffer), read));
  EXPECT_EQ(std::string(buffer, read), bytes.substr(bytes.size() - 3));
  w95::DWORD written = 0;
  EXPECT_FALSE(w95::WriteFile(file, "x", written));
  EXPECT_EQ(w95::GetLastError(), w95::ERROR_ACCESS_DENIED);
}

}  // namespace dxl::testing
