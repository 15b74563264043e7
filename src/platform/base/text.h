// Byte-string helpers of the emulated platform. Text is code page 936: a lead byte
// 0x81..0xFE starts a two-byte character whose trail byte is never case-folded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace w95 {

bool IsCp936LeadByte(unsigned char c);

// Case-insensitive equality as Windows compares profile keys, registry key names
// and file names: ASCII letters folded, double-byte characters compared as they are.
bool EqualsNoCase(std::string_view a, std::string_view b);

// ASCII upper case of single-byte characters; double-byte characters unchanged.
std::string ToUpperAscii(std::string_view text);

// Eight bytes (as loaded from memory, any order) with every ASCII lower-case
// letter in upper case and every other byte as it is.
[[gnu::always_inline]] inline std::uint64_t UpperAsciiWord(std::uint64_t bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t low = bytes & (0x7F * kOnes);
  const std::uint64_t atLeastA = low + (0x80 - 'a') * kOnes;   // bit 7 where low >= 'a'
  const std::uint64_t pastZ = low + (0x80 - 'z' - 1) * kOnes;  // bit 7 where low > 'z'
  const std::uint64_t lower = atLeastA & ~pastZ & ~bytes & (0x80 * kOnes);
  return bytes - (lower >> 2);  // 0x80 >> 2: 'a' - 'A'
}

// Strips the characters of `blanks` from both ends.
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");

}  // namespace w95
