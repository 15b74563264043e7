// The case rules of the emulated system, one per use. docs/architecture.md,
// "Case rules", says where each applies.
//
// Text (FindTextNoCase: configuration text searched for a word; accelerator
// letters, console commands): byte by byte, 'A'-'Z' and 'a'-'z' are the same
// letter and every other byte is compared as it is. A byte is taken alone: a
// double-byte character's trail byte in the letter range is folded as that
// letter.
//
// Names (profile sections and keys, registry keys and values, file, device,
// share, printer and port names), as Windows 95 compares them in code page
// 936: a name is read as characters (cp936_chars.h). A double-byte character
// is compared as its two bytes are: its trail byte is never folded, even in
// 'A'-'Z' or 'a'-'z', and full-width letters are not folded either. A lead
// byte without a trail byte after it stands alone. A single-byte character
// folds 'a'-'z' to 'A'-'Z'; every other byte is compared as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace w95 {

// Text.
char UpperTextByte(char c);
char LowerTextByte(char c);
// The first position of `pattern` in `text`; none when the pattern is empty
// or does not occur.
std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern);
bool TextStartsWithNoCase(std::string_view text, std::string_view prefix);

// Names.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view name, std::string_view prefix);
// Less than, equal to or greater than zero as `a` sorts before, with or after
// `b`, letters in upper case, bytes unsigned.
int CompareNoCase(std::string_view a, std::string_view b);
std::string UpperName(std::string_view name);
// A hash of the name, seeded by `seed`: names EqualsNoCase finds equal hash
// alike.
size_t FoldedNameHash(std::string_view name, std::uint64_t seed = 0);

}  // namespace w95
