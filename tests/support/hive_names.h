// What the registry tests name often: the binary hives' Windows paths and a
// REG_DWORD's bytes.
#pragma once

#include <cstdint>
#include <string>

namespace dxl::testing {

inline constexpr const char* kSystemDat = "C:\\WINDOWS\\SYSTEM.DAT";
inline constexpr const char* kUserDat = "C:\\WINDOWS\\USER.DAT";

// The four little-endian bytes of a REG_DWORD value.
inline std::string Dword(std::uint32_t v) {
  return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

}  // namespace dxl::testing
