#include "platform/base/text.h"

#include <bit>
#include <cstring>

namespace w95 {

bool IsCp936LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

namespace {
unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the common case: spelt alike
  for (size_t i = 0; i < a.size(); ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (IsCp936LeadByte(ca)) {
      if (ca != cb || i + 1 >= a.size()) return ca == cb;
      ++i;
      if (a[i] != b[i]) return false;
      continue;
    }
    if (FoldAscii(ca) != FoldAscii(cb)) return false;
  }
  return true;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (IsCp936LeadByte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - ('a' - 'A'));
    }
  }
  return out;
}

size_t FindLineEnd(std::string_view text, size_t pos) {
  const char* data = text.data();
  const size_t size = text.size();
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    for (; pos + 8 <= size; pos += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + pos, sizeof word);
      const std::uint64_t cr = word ^ ('\r' * kOnes), lf = word ^ ('\n' * kOnes);
      // The lowest byte found is exact (a false one appears only above a true one).
      const std::uint64_t found = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
      if (found) return pos + static_cast<size_t>(std::countr_zero(found) / 8);
    }
  }
  while (pos < size && data[pos] != '\r' && data[pos] != '\n') ++pos;
  return pos;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace w95
