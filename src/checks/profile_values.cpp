#include "checks/profile_values.h"

#include <algorithm>

#include "platform/profile/profile.h"

namespace dxl {

namespace {

constexpr w95::DWORD kFirstSize = 1024;
constexpr w95::DWORD kLargestSize = 1u << 30;
// Each try asks for eight times the last: a value of 80 KB is read in four
// tries, not eight.
constexpr w95::DWORD kGrowth = 8;

}  // namespace

// A value fills size - 1 characters when cut, so one of that length is read again.
std::string ReadWinIniValue(std::string_view section, std::string_view key) {
  std::string out;
  for (w95::DWORD size = kFirstSize;; size = std::min(size * kGrowth, kLargestSize)) {
    const w95::DWORD length = w95::GetProfileStringA(section, key, "", out, size);
    if (length < size - 1 || size >= kLargestSize) return out;
  }
}

}  // namespace dxl
