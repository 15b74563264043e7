// Byte-string helpers of the emulated platform. Text is code page 936
// (cp936_chars.h: its characters; case_rules.h: how names and text compare
// without regard to case).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace w95 {

// The first '\r' or '\n' of `text` from `pos` on (or its size): where a line
// of an INI or REGEDIT4 text ends.
size_t FindLineEnd(std::string_view text, size_t pos);

// Strips the characters of `blanks` from both ends.
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");

}  // namespace w95
