// The two case rules, on the bytes that tell them apart: the case bit of
// non-letters, bytes above 0x7F, NUL, and a double-byte character whose trail
// byte lies in the ASCII letter range.
#include "platform/base/case_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace w95 {
namespace {

// "\x81\x41" and "\x81\x61": one double-byte character each, trail bytes 'A' and 'a'.
const std::string kTrailUpper("\x81\x41"), kTrailLower("\x81\x61");

TEST(CaseRules, FindTextNoCaseFoldsAsciiLettersOnlyByteByByte) {
  const struct {
    std::string text, pattern;
    std::optional<size_t> found;
  } cases[] = {
      {"device=*vcomm\r\nDEVICE=dxlbands.386", "DXLBANDS.386", 22},
      {"load=DxlHrc.exe dxlhrc.exe", "dxlhrc.EXE", 5},
      {"xxabcabc", "ABC", 2},
      {"abc", "abc", 0},
      {"text", "", std::nullopt},
      {"", "", std::nullopt},
      {"abc", "abcd", std::nullopt},
      {"DXLQ7EM.38", "dxlq7em.386", std::nullopt},
      // '@' and '`', '[' and '{' differ by the case bit but are no letters.
      {"@evice=x", "`evice", std::nullopt},
      {"[\\]", "{|}", std::nullopt},
      // Bytes above 0x7F as they are; a trail byte in the letter range folds.
      {"x\xB4\xF2\xD3\xA1", "\xB4\xF2\xD3\xA1", 1},
      {"\xC1\xF2", "\xE1\xF2", std::nullopt},
      {"x" + kTrailUpper, kTrailLower, 1},
      {std::string("ab\0cd", 5), std::string("\0C", 2), 2},
  };
  for (const auto& c : cases) EXPECT_EQ(FindTextNoCase(c.text, c.pattern), c.found) << c.text << " / " << c.pattern;
  EXPECT_TRUE(TextStartsWithNoCase("Device=x", "DEVICE"));
  EXPECT_FALSE(TextStartsWithNoCase("Devic", "DEVICE"));
  EXPECT_EQ(UpperTextByte('q'), 'Q');
  EXPECT_EQ(LowerTextByte('Q'), 'q');
  EXPECT_EQ(UpperTextByte('`'), '`');
}

TEST(CaseRules, NamesCompareAsWindows95InCodePage936) {
  const struct {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"WIN.INI", "win.ini", true},
      {"Printer 7", "PRINTER 7", true},
      {"@evice", "`evice", false},
      {"", "", true},
      {"abc", "abcd", false},
      // A double-byte character's trail byte keeps its case ...
      {kTrailUpper, kTrailLower, false},
      {"k" + kTrailUpper + "b", "K" + kTrailUpper + "B", true},
      // ... full-width letters are not folded ...
      {"\xA3\xC1", "\xA3\xE1", false},
      // ... and a lead byte that ends the name stands alone.
      {"a\x81", "A\x81", true},
      // "\x81\x81" is one character: the letter after it folds.
      {"\x81\x81"
       "a",
       "\x81\x81"
       "A",
       true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(CompareNoCase(c.a, c.b) == 0, c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(UpperName(c.a) == UpperName(c.b), c.equal) << c.a << " / " << c.b;
    if (c.equal) {
      EXPECT_EQ(FoldedNameHash(c.a, 3), FoldedNameHash(c.b, 3)) << c.a;
    }
  }
  EXPECT_EQ(UpperName("ab" + kTrailLower + "c"), "AB" + kTrailLower + "C");
  EXPECT_TRUE(StartsWithNoCase("Server_PRINTSRV", "SERVER_"));
  EXPECT_FALSE(StartsWithNoCase(kTrailLower + "x", kTrailUpper));
  EXPECT_LT(CompareNoCase("apple", "BANANA"), 0);
  EXPECT_GT(CompareNoCase("\xB4\xF2", "zebra"), 0);  // bytes unsigned
}

}  // namespace
}  // namespace w95
