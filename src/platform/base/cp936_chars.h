// Characters, not bytes, of code page 936 text, the one definition the system
// reads its text and names by: a lead byte 0x81..0xFE and a trail byte
// 0x40..0xFE (but 0x7F) make one double-byte character, and a trail byte may
// be 0x5C or 0x7C without being a '\\' or a '|'. A lead byte without a trail
// byte after it is a character of its own.
#pragma once

#include <cstddef>
#include <string_view>

namespace w95 {

constexpr bool IsCp936LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
constexpr bool IsCp936TrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// The bytes of the character at `at`: 2 for a lead byte followed by a trail byte, else 1.
std::size_t Cp936CharSize(std::string_view text, std::size_t at);

// The last single-byte character of `text` that is one of `chars` (npos when
// none), trail bytes of double-byte characters never taken for one.
std::size_t FindLastOfCp936(std::string_view text, std::string_view chars);

}  // namespace w95
