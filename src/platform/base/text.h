// Byte-string helpers of the emulated platform. Text is code page 936: a lead byte
// 0x81..0xFE starts a two-byte character whose trail byte is never case-folded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

namespace detail {
[[gnu::always_inline]] inline std::uint64_t MixWord(std::uint64_t hash, std::uint64_t word) {
  hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
  return hash ^ (hash >> 32);
}
}  // namespace detail

// A hash of the name with every ASCII letter in upper case, eight bytes at a
// time, seeded by `seed`: names EqualsNoCase finds equal (which keeps a
// double-byte character's trail byte) fold to the same words, so they hash
// alike. Every bit of every word reaches the low bits a table takes.
[[gnu::always_inline]] inline size_t FoldedNameHash(std::string_view name, std::uint64_t seed = 0) {
  using detail::MixWord;
  std::uint64_t hash = MixWord(seed * 0xC2B2AE3D27D4EB4Full, name.size());
  const char* at = name.data();
  size_t left = name.size();
  for (; left >= 8; at += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    hash = MixWord(hash, UpperAsciiWord(word));
  }
  // The last bytes as overlapping loads: which bytes are taken depends on the
  // length alone (and the length is in the hash).
  std::uint64_t word = 0;
  if (name.size() >= 8) {
    if (left) std::memcpy(&word, name.data() + name.size() - 8, 8);
  } else if (left >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, at, 4);
    std::memcpy(&last, at + left - 4, 4);
    word = first | static_cast<std::uint64_t>(last) << 32;
  } else if (left >= 2) {
    std::uint16_t first, last;
    std::memcpy(&first, at, 2);
    std::memcpy(&last, at + left - 2, 2);
    word = first | static_cast<std::uint64_t>(last) << 16;
  } else if (left == 1) {
    word = static_cast<unsigned char>(*at);
  }
  if (left) hash = MixWord(hash, UpperAsciiWord(word));
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDull;
  hash ^= hash >> 33;
  hash *= 0xC4CEB9FE1A85EC53ull;
  return static_cast<size_t>(hash ^ (hash >> 33));
}

// The first '\r' or '\n' of `text` from `pos` on (or its size), eight bytes
// at a time: where a line of an INI or REGEDIT4 text ends.
size_t FindLineEnd(std::string_view text, size_t pos);

// Strips the characters of `blanks` from both ends.
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");

}  // namespace w95
