#include "checks/find_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace dxl {
namespace {

TEST(FindTextNoCase, FindsFirstOccurrenceIgnoringAsciiCase) {
  EXPECT_EQ(FindTextNoCase("device=*vcomm\r\nDEVICE=dxlbands.386", "DXLBANDS.386"), 22u);
  EXPECT_EQ(FindTextNoCase("load=DxlHrc.exe dxlhrc.exe", "dxlhrc.EXE"), 5u);
  EXPECT_EQ(FindTextNoCase("abc", "abc"), 0u);
  EXPECT_EQ(FindTextNoCase("xxabcabc", "ABC"), 2u);
}

TEST(FindTextNoCase, NoneForEmptyMissingOrLongerPattern) {
  EXPECT_EQ(FindTextNoCase("text", ""), std::nullopt);
  EXPECT_EQ(FindTextNoCase("", ""), std::nullopt);
  EXPECT_EQ(FindTextNoCase("", "a"), std::nullopt);
  EXPECT_EQ(FindTextNoCase("abc", "abcd"), std::nullopt);
  EXPECT_EQ(FindTextNoCase("DXLQ7EM.38", "dxlq7em.386"), std::nullopt);
}

TEST(FindTextNoCase, OnlyAsciiLettersAreFolded) {
  // '@' (0x40) and '`' (0x60) differ by the case bit but are not letters.
  EXPECT_EQ(FindTextNoCase("@evice=x", "`evice"), std::nullopt);
  EXPECT_EQ(FindTextNoCase("[\\]", "{|}"), std::nullopt);
  // Bytes above 0x7F are compared as they are.
  const std::string gbk = "\xB4\xF2\xD3\xA1\xBB\xFA";  // printer, in CP936
  EXPECT_EQ(FindTextNoCase("x" + gbk, gbk), 1u);
  EXPECT_EQ(FindTextNoCase("\xC1\xF2", "\xE1\xF2"), std::nullopt);
}

// The search looks eight positions at a time: against a plain position by
// position search, on texts of up to three words made of the bytes most
// easily confused (the case bit, the high bit, NUL).
TEST(FindTextNoCase, SameAsAPlainSearchAcrossWordEdges) {
  auto plain = [](std::string_view text, std::string_view pattern) -> std::optional<size_t> {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (size_t at = 0; !pattern.empty() && at + pattern.size() <= text.size(); ++at) {
      size_t i = 0;
      while (i < pattern.size() && upper(text[at + i]) == upper(pattern[i])) ++i;
      if (i == pattern.size()) return at;
    }
    return std::nullopt;
  };
  const std::string bytes("lLp`@\xCC\xEC\0-", 9);
  std::mt19937 random(7);
  for (std::string pattern : {"l", "Lp", "lPl", "pLLl`", "l@lLpPl-l"}) {
    for (int round = 0; round < 2000; ++round) {
      std::string text(random() % 25, '-');
      for (auto& c : text) c = bytes[random() % bytes.size()];
      EXPECT_EQ(FindTextNoCase(text, pattern), plain(text, pattern)) << pattern << " in " << text;
    }
  }
}

TEST(FindTextNoCase, EmbeddedZeroBytesAreOrdinaryBytes) {
  const std::string text("ab\0cd", 5);
  EXPECT_EQ(FindTextNoCase(text, std::string_view("\0C", 2)), 2u);
}

}  // namespace
}  // namespace dxl
