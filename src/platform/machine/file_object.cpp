#include "platform/machine/file_object.h"

#include <limits>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"

namespace w95 {

std::int64_t FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  constexpr std::int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970
  return (seconds + kEpochDifference) * 10000000 + nanoseconds / 100;
}

bool FileObject::LastWriteTime(std::int64_t&) { return Fail(ERROR_INVALID_FUNCTION, false); }

bool FileObject::ReadAt(std::uint64_t offset, std::span<char> buffer, DWORD& bytesRead) {
  bytesRead = 0;
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<LONG>::max()))
    return Fail(ERROR_INVALID_PARAMETER, false);
  if (Seek(static_cast<LONG>(offset), FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  return Read(buffer, bytesRead);
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  auto same = [](char a, char b) { return EqualsNoCase(std::string_view(&a, 1), std::string_view(&b, 1)); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++, starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1, n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '.')) ++p;
  return p == pattern.size();
}

}  // namespace w95
