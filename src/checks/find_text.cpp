#include "checks/find_text.h"

namespace dxl {
namespace {

unsigned char FoldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (FoldAscii(text[at + i]) != FoldAscii(pattern[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::nullopt;
  const size_t last = text.size() - pattern.size();
  for (size_t at = 0; at <= last; ++at) {
    if (MatchesAt(text, at, pattern)) return at;
  }
  return std::nullopt;
}

}  // namespace dxl
