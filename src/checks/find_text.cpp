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

}  // namespace

// The pattern's first byte is looked for eight positions at a time; each
// position it may be at is then compared whole.
std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::nullopt;
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  const size_t positions = text.size() - pattern.size() + 1;
  const std::uint64_t first = Upper(pattern[0]) * kOnes;
  size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 8 <= positions; at += 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + at, sizeof word);
      const std::uint64_t differ = w95::UpperAsciiWord(word) ^ first;
      // Every byte that equals is marked (and some above one that does).
      for (std::uint64_t marked = (differ - kOnes) & ~differ & kHighs; marked; marked &= marked - 1) {
        const size_t candidate = at + static_cast<size_t>(std::countr_zero(marked) / 8);
        if (MatchesAt(text, candidate, pattern)) return candidate;
      }
    }
  }
  for (; at < positions; ++at) {
    if (MatchesAt(text, at, pattern)) return at;
  }
  return std::nullopt;
}

}  // namespace dxl
