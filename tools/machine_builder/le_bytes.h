// Little-endian numbers in the bytes of the files the builder writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dxl::tools {

// Writes `value` at `at`, growing `bytes` with zeros to reach it.
inline void Put16(std::string& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 2) bytes.resize(at + 2, '\0');
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

inline void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

inline void Append16(std::string& bytes, std::uint32_t value) { Put16(bytes, bytes.size(), value); }
inline void Append32(std::string& bytes, std::uint32_t value) { Put32(bytes, bytes.size(), value); }

}  // namespace dxl::tools
