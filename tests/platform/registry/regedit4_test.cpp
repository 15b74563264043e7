#include "platform/registry/regedit4.h"

#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "support/hive_names.h"

namespace w95 {
namespace {

using dxl::testing::Dword;

constexpr RegRootName kRoots[] = {{"HKEY_CURRENT_USER", ""}};
constexpr RegRootName kMachineRoots[] = {{"HKEY_LOCAL_MACHINE", ""}, {"HKEY_CLASSES_ROOT", "SOFTWARE\\Classes"}};

struct Parsed {
  RegHive hive{"HKEY_CURRENT_USER"};
  std::optional<RegParseError> error;
};

Parsed Parse(std::string_view text) {
  Parsed parsed;
  parsed.error = ParseRegedit4(text, kRoots, parsed.hive);
  return parsed;
}

const RegValue* ValueAt(RegHive& hive, std::string_view key, std::string_view name) {
  RegNode* node = hive.Find(SplitKeyPath(key));
  return node ? node->Value(name) : nullptr;
}

TEST(Regedit4Read, ValueFormsAsRegeditImportsThem) {
  auto parsed = Parse(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n"
      "\"TestValue\"=\"AValue\"\n"
      "\"TestDword\"=dword:00000017\n"
      "\"Short\"=dword:1 ; a comment\n"
      "\"TestBinary\"=hex:aa,bb,cc,11\n"
      "\"With=Equals\"=\"asdf\"\n"
      "\"double\\\"quote\"=\"valid \\\"or\\\" not\"\n"
      "\"Multi\"=hex(7):4c,69,6e,65,20,\\\n"
      "  63,6f,6e,00,00\n"
      "\"Empty\"=hex:\n"
      "@=\"Test\"\n"
      "\"Gone\"=\"x\"\n"
      "\"Gone\"=  - ;removed\n"
      "\"Eof\"=\"No newline\"");
  ASSERT_FALSE(parsed.error) << parsed.error->reason;
  auto& hive = parsed.hive;
  EXPECT_EQ(ValueAt(hive, "K", "TestValue")->data, std::string("AValue\0", 7));
  EXPECT_EQ(ValueAt(hive, "K", "TestValue")->type, REG_SZ);
  EXPECT_EQ(ValueAt(hive, "K", "TestDword")->data, std::string("\x17\0\0\0", 4));
  EXPECT_EQ(ValueAt(hive, "K", "Short")->data, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(ValueAt(hive, "K", "TestBinary")->data, "\xaa\xbb\xcc\x11");
  EXPECT_EQ(ValueAt(hive, "K", "TestBinary")->type, REG_BINARY);
  EXPECT_NE(ValueAt(hive, "K", "With=Equals"), nullptr);
  EXPECT_EQ(ValueAt(hive, "K", "double\"quote")->data, std::string("valid \"or\" not\0", 15));
  EXPECT_EQ(ValueAt(hive, "K", "Multi")->type, REG_MULTI_SZ);
  EXPECT_EQ(ValueAt(hive, "K", "Multi")->data, std::string("Line con\0\0", 10));
  EXPECT_EQ(ValueAt(hive, "K", "Empty")->data, "");
  EXPECT_EQ(ValueAt(hive, "K", "")->data, std::string("Test\0", 5));
  EXPECT_EQ(ValueAt(hive, "K", "Gone"), nullptr);
  EXPECT_EQ(ValueAt(hive, "K", "Eof")->data, std::string("No newline\0", 11));
}

TEST(Regedit4Read, LineEndsKeysAndDeletions) {
  auto parsed = Parse(
      "REGEDIT4\r\r[HKEY_CURRENT_USER\\A\\B]\r\"v\"=\"1\"\r[hkey_current_user\\a\\C ]\r"
      "[-HKEY_CURRENT_USER\\A\\B]\r");
  ASSERT_FALSE(parsed.error) << parsed.error->reason;
  EXPECT_EQ(parsed.hive.Find({"A", "B"}), nullptr);
  ASSERT_NE(parsed.hive.Find({"a", "c "}), nullptr);
  EXPECT_EQ(parsed.hive.Find({"A"})->Children().size(), 1u);
}

// Keys parse their values from their own lines when first asked: what they
// find must be what reading the whole file in order gives, and asking must not
// change what the file is written back as.
TEST(Regedit4Read, ValuesParsedWhenFirstAskedAreTheFilesInOrder) {
  struct Case {
    const char* what;
    std::string text;
    std::string key;
    std::vector<RegValue> values;  // in order
    // Else the key's lines are written together, and deletion lines not at all.
    bool writtenAsRead = true;
  };
  const Case cases[] = {
      {"a key whose header appears twice: later lines set again in place, or add",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\"y\"=dword:2\r\n\r\n"
       "[HKEY_CURRENT_USER\\B]\r\n\"b\"=\"b\"\r\n\r\n"
       "[hkey_current_user\\a]\r\n\"X\"=\"2\"\r\n\"z\"=hex:01\r\n\r\n",
       "A",
       {{"x", REG_SZ, std::string("2\0", 2)}, {"y", REG_DWORD, Dword(2)}, {"z", REG_BINARY, "\x01"}},
       false},
      {"a value removed by the key's second header",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n\r\n"
       "[HKEY_CURRENT_USER\\B]\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=-\r\n",
       "A",
       {{"y", REG_SZ, std::string("2\0", 2)}},
       false},
      {"a key deleted and written again keeps only its later lines",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"old\"=\"1\"\r\n\r\n[-HKEY_CURRENT_USER\\A]\r\n\r\n"
       "[HKEY_CURRENT_USER\\A]\r\n\"new\"=\"2\"\r\n",
       "A",
       {{"new", REG_SZ, std::string("2\0", 2)}},
       false},
      {"hex continued over lines with comments and blanks, CR line ends",
       "REGEDIT4\r\r[HKEY_CURRENT_USER\\A]\r; note\r\"bin\"=hex(7):61,\\ ; more\r   62,00 ;end\r@=dword:1f ; c\r",
       "A",
       {{"bin", REG_MULTI_SZ, std::string("ab\0", 3)}, {"", REG_DWORD, Dword(0x1f)}}},
      {"quoted names and data that look like key lines",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"[HKEY_CURRENT_USER\\\\B]\"=\"[x]\"\n  \"q\\\"\"=\"\\\\\"\n",
       "A",
       {{"[HKEY_CURRENT_USER\\B]", REG_SZ, std::string("[x]\0", 4)}, {"q\"", REG_SZ, std::string("\\\0", 2)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegHive hive("HKEY_CURRENT_USER");
    ASSERT_FALSE(ParseRegedit4(c.text, kRoots, hive));
    RegNode* node = hive.Find(SplitKeyPath(c.key));
    ASSERT_NE(node, nullptr);
    EXPECT_FALSE(node->ValuesParsed());
    const std::vector<RegValue>& values = node->Values();
    ASSERT_EQ(values.size(), c.values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(values[i].name, c.values[i].name);
      EXPECT_EQ(values[i].type, c.values[i].type);
      EXPECT_EQ(values[i].data, c.values[i].data);
    }
    EXPECT_FALSE(node->Changed());
    if (c.writtenAsRead) {
      EXPECT_EQ(RenderRegedit4(hive), c.text);
    }
    // A change of the key writes the values it parsed, once, where the key first appeared.
    node->SetValue("added", REG_SZ, std::string("n\0", 2));
    RegHive back("HKEY_CURRENT_USER");
    ASSERT_FALSE(ParseRegedit4(RenderRegedit4(hive), kRoots, back));
    const RegNode* again = back.Find(SplitKeyPath(c.key));
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->Values().size(), c.values.size() + 1);
    for (size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(again->Values()[i].data, c.values[i].data);
  }
}

// A file is checked whole when it is read, though its values are parsed later:
// a wrong value line of a key nobody asks about still fails the read, at its line.
TEST(Regedit4Read, AWrongValueOfAKeyNobodyAsksAboutFailsTheRead) {
  struct Case {
    std::string text;
    size_t line;
  };
  const Case cases[] = {
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\n[HKEY_CURRENT_USER\\B]\n\"y\"=dword:123456789\n", 7},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"bin\"=hex:01,\\\n  02,\\\n  zz\n", 6},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\n[HKEY_CURRENT_USER\\A]\n\"open=\"x\"\n", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto parsed = Parse(c.text);
    ASSERT_TRUE(parsed.error);
    EXPECT_EQ(parsed.error->line, c.line);
  }
}

TEST(Regedit4Read, ClassesRootLinesLandInTheMachineHive) {
  RegHive hive("HKEY_LOCAL_MACHINE");
  auto error = ParseRegedit4("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\DXL]\n@=\"x\"\n", kMachineRoots, hive);
  ASSERT_FALSE(error);
  EXPECT_NE(hive.Find({"SOFTWARE", "Classes", "DXL"}), nullptr);
}

TEST(Regedit4Read, DoubleByteNamesPassThroughAndDoNotSplitAtTrailBackslash) {
  // 0xD5 0x5C is one character whose second byte is a backslash.
  std::string text =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\A\xD5\x5C"
      "B]\n\"\xC4\xFA\"=\"\xBA\xC3\"\n";
  auto parsed = Parse(text);
  ASSERT_FALSE(parsed.error) << parsed.error->reason;
  RegNode* node =
      parsed.hive.Find({"A\xD5\x5C"
                        "B"});
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Value("\xC4\xFA")->data, std::string("\xBA\xC3\0", 3));
}

struct BadFile {
  const char* text;
  size_t line;
};

TEST(Regedit4Read, RefusesWhatItCannotInterpretAndNamesTheLine) {
  const BadFile cases[] = {
      {"REGEDIT 4\n", 1},
      {"[HKEY_CURRENT_USER\\K]\n", 1},
      {"REGEDIT4\n\"v\"=\"before any key\"\n", 2},
      {"REGEDIT4\n\n[HKEY_CURRENT_USERS\\K]\n", 3},
      {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"open\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"C:\\WINDOWS\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex(2):4c,69,6e,65\\\n\"w\"=\"Value 2\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:4c,\\\n\"w\"=\"Value 2\"\n", 4},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:4c,\\\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=-\"Test\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"v\"=str:x\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\K]\nvalue=1\n", 3},
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\K]\n\"v\"=\"1\"\n", 3},
  };
  for (const auto& bad : cases) {
    auto parsed = Parse(bad.text);
    ASSERT_TRUE(parsed.error) << bad.text;
    EXPECT_EQ(parsed.error->line, bad.line) << bad.text;
    EXPECT_FALSE(parsed.error->reason.empty());
  }
}

TEST(Regedit4Write, KeysAndValuesAsRegeditExportsThem) {
  RegHive hive("HKEY_CURRENT_USER");
  RegNode& test = hive.Create({"Software", "Test"});
  test.SetValue("DWORD", REG_DWORD, std::string("\x00\x01\x00\x00", 4));
  test.SetValue("String", REG_SZ, std::string("Your text here...\0", 18));
  RegNode& sub = hive.Create({"Software", "Test", "Subkey1"});
  sub.SetValue("Binary", REG_BINARY, "\x11\x22\x33\x44");
  sub.SetValue("Undefined hex", 0x100, std::string("%PATH%\0", 7));
  EXPECT_EQ(RenderRegedit4(hive),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
            "\"DWORD\"=dword:00000100\r\n"
            "\"String\"=\"Your text here...\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Test\\Subkey1]\r\n"
            "\"Binary\"=hex:11,22,33,44\r\n"
            "\"Undefined hex\"=hex(100):25,50,41,54,48,25,00\r\n\r\n");
}

TEST(Regedit4Write, EscapesAndFormsThatOnlyHexKeepsExact) {
  EXPECT_EQ(RenderRegValue({"Backslash", REG_SZ, std::string("Use \\ to \"escape\"\0", 18)}),
            "\"Backslash\"=\"Use \\\\ to \\\"escape\\\"\"");
  EXPECT_EQ(RenderRegValue({"", REG_SZ, std::string("d\0", 2)}), "@=\"d\"");
  EXPECT_EQ(RenderRegValue({"Wine1d", REG_BINARY, ""}), "\"Wine1d\"=hex:");
  EXPECT_EQ(RenderRegValue({"Wine3d", REG_DWORD, "\x80\x70\x60\x50\x40\x30\x20\x10"}),
            "\"Wine3d\"=hex(4):80,70,60,50,40,30,20,10");
  // Texts that "..." would not give back: no NUL, inner NUL, a line break.
  EXPECT_EQ(RenderRegValue({"a", REG_SZ, "ab"}), "\"a\"=hex(1):61,62");
  EXPECT_EQ(RenderRegValue({"b", REG_SZ, std::string("a\0b\0", 4)}), "\"b\"=hex(1):61,00,62,00");
  EXPECT_EQ(RenderRegValue({"c", REG_SZ, std::string("a\r\n\0", 4)}), "\"c\"=hex(1):61,0d,0a,00");
}

TEST(Regedit4Write, LongHexWrapsAfterColumn77AndReadsBack) {
  RegHive hive("HKEY_CURRENT_USER");
  std::string bytes;
  for (int i = 0; i < 60; ++i) bytes.push_back(static_cast<char>(i * 7));
  hive.Create({"K"}).SetValue("Multiple strings", REG_BINARY, bytes);
  std::string text = RenderRegedit4(hive);
  size_t start = text.find("\"Multiple");
  size_t firstEnd = text.find("\r\n", start);
  std::string firstLine = text.substr(start, firstEnd - start);
  EXPECT_EQ(firstLine.substr(0, 29), "\"Multiple strings\"=hex:00,07,");
  EXPECT_EQ(firstLine.back(), '\\');
  EXPECT_GE(firstLine.size() - 1, 77u);
  EXPECT_LT(firstLine.size() - 1, 80u);
  EXPECT_EQ(text.substr(firstEnd, 4), "\r\n  ");

  RegHive back("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4(text, kRoots, back));
  EXPECT_EQ(back.Find({"K"})->Value("Multiple strings")->data, bytes);
}

TEST(Regedit4RoundTrip, UnchangedKeysKeepTheirBytesWhenAnotherChanges) {
  const std::string original =
      "REGEDIT4\n; written by hand\n\n"
      "[HKEY_CURRENT_USER\\A]\n\"x\" = \"1\"   ; keep me\n\"bin\"=hex:01,\\\n    02\n\n"
      "[HKEY_CURRENT_USER\\A\\B]\n\"y\"=dword:2\n\n"
      "[HKEY_CURRENT_USER\\C]\n\"z\"=\"3\"\n";
  RegHive hive("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4(original, kRoots, hive));
  EXPECT_EQ(RenderRegedit4(hive), original);

  hive.Find({"A", "B"})->SetValue("y", REG_DWORD, std::string("\x05\0\0\0", 4));
  std::string changed = RenderRegedit4(hive);
  EXPECT_EQ(changed,
            "REGEDIT4\n; written by hand\n\n"
            "[HKEY_CURRENT_USER\\A]\n\"x\" = \"1\"   ; keep me\n\"bin\"=hex:01,\\\n    02\n\n"
            "[HKEY_CURRENT_USER\\A\\B]\r\n\"y\"=dword:00000005\r\n\r\n"
            "[HKEY_CURRENT_USER\\C]\n\"z\"=\"3\"\n");
}

TEST(Regedit4RoundTrip, NewKeysFollowTheirParentAndAFileWithoutFinalLineEndStaysValid) {
  RegHive hive("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"", kRoots, hive));
  hive.Create({"A", "New"}).SetValue("n", REG_SZ, std::string("v\0", 2));
  std::string text = RenderRegedit4(hive);
  EXPECT_EQ(text,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n"
            "[HKEY_CURRENT_USER\\A\\New]\r\n\"n\"=\"v\"\r\n\r\n");
  RegHive back("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4(text, kRoots, back));
  EXPECT_NE(back.Find({"A", "New"}), nullptr);
}

TEST(Regedit4RoundTrip, RemovingTheLastSubkeyOfAnImpliedKeyKeepsTheKey) {
  RegHive hive("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Implied\\Only]\r\n\r\n", kRoots, hive));
  ASSERT_TRUE(hive.Remove({"Implied", "Only"}));
  RegHive back("HKEY_CURRENT_USER");
  ASSERT_FALSE(ParseRegedit4(RenderRegedit4(hive), kRoots, back));
  ASSERT_NE(back.Find({"Implied"}), nullptr);
  EXPECT_EQ(back.Find({"Implied", "Only"}), nullptr);
}

}  // namespace
}  // namespace w95
