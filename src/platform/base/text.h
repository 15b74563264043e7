// Byte-string helpers of the emulated platform. Text is code page 936: a lead byte
// 0x81..0xFE starts a two-byte character whose trail byte is never case-folded.
#pragma once

#include <string>
#include <string_view>

namespace w95 {

bool IsCp936LeadByte(unsigned char c);

// Case-insensitive equality as Windows compares profile keys, registry key names
// and file names: ASCII letters folded, double-byte characters compared as they are.
bool EqualsNoCase(std::string_view a, std::string_view b);

// ASCII upper case of single-byte characters; double-byte characters unchanged.
std::string ToUpperAscii(std::string_view text);

// Strips the characters of `blanks` from both ends.
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");

}  // namespace w95
