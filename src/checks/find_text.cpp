#include "checks/find_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/base/text.h"

namespace dxl {
namespace {

unsigned char Upper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (Upper(text[at + i]) != Upper(pattern[i])) return false;
  }
  return true;
}

// Eight bytes from `data`, the first in the lowest bits.
std::uint64_t Load(const char* data) {
  std::uint64_t word;
  std::memcpy(&word, data, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// Eight bytes of `text` from `at` on, the first in the lowest bits (fewer at
// its end, the rest zero).
std::uint64_t WordAt(std::string_view text, size_t at) {
  std::uint64_t word = 0;
  if (at + 8 <= text.size()) {
    word = Load(text.data() + at);
  } else if (text.size() >= 8) {  // the text's last eight bytes, the ones before `at` shifted out
    word = Load(text.data() + text.size() - 8) >> 8 * (at + 8 - text.size());
  } else {
    for (size_t i = at; i < text.size(); ++i)
      word |= std::uint64_t{static_cast<unsigned char>(text[i])} << 8 * (i - at);
  }
  return word;
}

}  // namespace

// The pattern's first byte is looked for eight positions at a time; each
// position it may be at is then compared whole.
std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::nullopt;
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  const size_t positions = text.size() - pattern.size() + 1;
  const std::uint64_t first = Upper(pattern[0]) * kOnes;
  for (size_t at = 0; at < positions; at += 8) {
    const std::uint64_t differ = w95::UpperAsciiWord(WordAt(text, at)) ^ first;
    std::uint64_t marked = (differ - kOnes) & ~differ & kHighs;  // every equal byte (and some above one)
    if (positions - at < 8) marked &= (std::uint64_t{1} << 8 * (positions - at)) - 1;
    for (; marked; marked &= marked - 1) {
      const size_t candidate = at + static_cast<size_t>(std::countr_zero(marked) / 8);
      if (MatchesAt(text, candidate, pattern)) return candidate;
    }
  }
  return std::nullopt;
}

}  // namespace dxl
