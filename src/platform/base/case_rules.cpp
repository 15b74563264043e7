#include "platform/base/case_rules.h"

#include <algorithm>

#include "platform/base/cp936_chars.h"

namespace w95 {

namespace {

// Calls `each(byte, foldable)` for every byte of `name`, `foldable` false for
// the trail byte of a double-byte character.
template <typename Each>
void ForEachNameByte(std::string_view name, Each each) {
  for (size_t i = 0; i < name.size(); ++i) {
    const bool doubleByte = Cp936CharSize(name, i) == 2;
    each(static_cast<unsigned char>(name[i]), true);
    if (doubleByte) each(static_cast<unsigned char>(name[++i]), false);
  }
}

unsigned char Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c; }

}  // namespace

char UpperTextByte(char c) { return static_cast<char>(Upper(static_cast<unsigned char>(c))); }

char LowerTextByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return std::nullopt;
  auto found = std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                           [](char a, char b) { return UpperTextByte(a) == UpperTextByte(b); });
  if (found == text.end()) return std::nullopt;
  return static_cast<size_t>(found - text.begin());
}

bool TextStartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && (prefix.empty() || FindTextNoCase(text.substr(0, prefix.size()), prefix));
}

std::string UpperName(std::string_view name) {
  std::string upper;
  upper.reserve(name.size());
  ForEachNameByte(name,
                  [&](unsigned char c, bool foldable) { upper.push_back(static_cast<char>(foldable ? Upper(c) : c)); });
  return upper;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::string upperA = UpperName(a), upperB = UpperName(b);
  return upperA.compare(upperB);  // char_traits<char> compares bytes unsigned
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(static_cast<unsigned char>(a[i])) != Upper(static_cast<unsigned char>(b[i]))) return false;
    // A double-byte character: the trail bytes compared as they are.
    if (Cp936CharSize(a, i) == 1) continue;
    ++i;
    if (a[i] != b[i]) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  // A prefix that ends inside a double-byte character of the name is one.
  return EqualsNoCase(name.substr(0, prefix.size()), prefix);
}

size_t FoldedNameHash(std::string_view name, std::uint64_t seed) {
  std::uint64_t hash = 0xCBF29CE484222325ull ^ (seed * 0x9E3779B97F4A7C15ull);
  ForEachNameByte(
      name, [&](unsigned char c, bool foldable) { hash = (hash ^ (foldable ? Upper(c) : c)) * 0x100000001B3ull; });
  return static_cast<size_t>(hash ^ (hash >> 29));
}

}  // namespace w95
