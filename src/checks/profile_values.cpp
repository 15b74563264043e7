#include "checks/profile_values.h"

#include <algorithm>
#include <optional>

#include "platform/profile/profile.h"

namespace dxl {

namespace {

constexpr w95::DWORD kFirstSize = 1024;
constexpr w95::DWORD kLargestSize = 1u << 30;
// Each try asks for eight times the last: a list of thousands of names (a
// [Devices] of 4,000 printers is 80 KB) is read in four tries, not eight.
constexpr w95::DWORD kGrowth = 8;

// Calls `read(out, size)` with growing sizes while the answer may be cut:
// a value fills size - 1 characters when cut; a list answers size - 2 when
// cut (a whole list may answer up to size, so near the edge it is read again).
template <typename Read>
std::string ReadUncut(w95::DWORD cutLength, Read read) {
  std::string out;
  for (w95::DWORD size = kFirstSize;; size = std::min(size * kGrowth, kLargestSize)) {
    w95::DWORD length = read(out, size);
    if (length < size - cutLength || size >= kLargestSize) return out;
  }
}

}  // namespace

std::string ReadWinIniValue(std::string_view section, std::string_view key) {
  return ReadUncut(
      1, [&](std::string& out, w95::DWORD size) { return w95::GetProfileStringA(section, key, "", out, size); });
}

std::vector<std::string> ReadWinIniKeys(std::string_view section) {
  const std::string list = ReadUncut(2, [&](std::string& out, w95::DWORD size) {
    return w95::GetProfileStringA(section, std::nullopt, "", out, size);
  });
  std::vector<std::string> names;
  for (size_t at = 0, end; at < list.size(); at = end + 1) {
    end = std::min(list.find('\0', at), list.size());
    if (end > at) names.emplace_back(list, at, end - at);
  }
  return names;
}

}  // namespace dxl
