// Profile files, case by case, on real files of a machine directory.
#include "platform/profile/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "support/temp_machine.h"

namespace {

using namespace w95;
using dxl::testing::TempMachine;

constexpr const char* kIni = "TEST.INI";
constexpr const char* kIniPath = "C:\\WINDOWS\\TEST.INI";

class ProfileTest : public ::testing::Test {
 protected:
  void Write(std::string_view bytes) { machine.Builder().File(kIniPath, bytes); }
  std::string Read() { return machine.Read(kIniPath); }
  std::string Get(OptionalText section, OptionalText key, OptionalText def = "", DWORD size = 256,
                  DWORD* count = nullptr) {
    std::string out = "untouched";
    DWORD n = GetPrivateProfileStringA(section, key, def, out, size, kIni);
    if (count) *count = n;
    return out;
  }
  ino_t Inode() {
    struct stat st;
    stat(machine.Builder().HostPath(kIniPath).c_str(), &st);
    return st.st_ino;
  }
  TempMachine machine;
};

// Each file, then what each look-up in it gives.
TEST_F(ProfileTest, ValuesAreFoundAsWindows95FindsThem) {
  const struct {
    const char* why;
    const char* file;
    std::vector<std::array<const char*, 4>> lookups;  // section, key, default, value
  } cases[] = {
      {"sections and keys without regard to case, after trimming",
       "[Boot]\r\n  Shell =  Explorer.exe  \r\n[386Enh]\r\nPaging=off\r\n",
       {{"boot", "SHELL", "", "Explorer.exe"}, {"  386ENH ", " paging ", "", "off"}}},
      {"one pair of matching quotes removed, no more",
       "[s]\na=\"quoted value\"\nb='single'\nc=\"mismatched'\nd=\"\"\"x\"\"\"\ne=\"\n",
       {{"s", "a", "", "quoted value"},
        {"s", "b", "", "single"},
        {"s", "c", "", "\"mismatched'"},
        {"s", "d", "", "\"\"x\"\""},
        {"s", "e", "", "\""}}},
      {"the first section and the first key of a name win (only the first [s] is searched)",
       "[s]\nk=first\nk=second\n[S]\nk=other\nonly=later\n",
       {{"s", "k", "", "first"}, {"s", "only", "dflt", "dflt"}}},
      {"a header ends at the first bracket or the line end",
       "[a] trailing text\nx=1\n[ b \ny=2\n",
       {{"a", "x", "", "1"}, {"b", "y", "", "2"}}},
      {"CR LF, LF and bare CR line ends",
       "[s]\rone=1\rtwo=2\r\nthree=3\n",
       {{"s", "one", "", "1"}, {"s", "two", "", "2"}, {"s", "three", "", "3"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Write(c.file);
    for (const auto& [section, key, def, value] : c.lookups) EXPECT_EQ(Get(section, key, def), value) << key;
  }
}

TEST_F(ProfileTest, CommentsLinesWithoutEqualsAndLinesBeforeTheFirstHeader) {
  Write("orphan=1\n[s]\n;k=commented\n  ; also=comment\nnoequals\nk=v;not a comment\n");
  EXPECT_EQ(Get("s", "k"), "v;not a comment");
  EXPECT_EQ(Get("s", "noequals", "dflt"), "dflt");
  EXPECT_EQ(Get("s", "also", "dflt"), "dflt");
  DWORD n = 0;
  EXPECT_EQ(Get("s", std::nullopt, "", 256, &n), std::string("k\0", 2));
  EXPECT_EQ(n, 3u);  // Windows 95 counts the list's final NUL
  EXPECT_EQ(Get(std::nullopt, std::nullopt), std::string("s\0", 2));
}

TEST_F(ProfileTest, DefaultLosesTrailingSpacesAndStandsForAMissingFileSectionOrKey) {
  Write("[s]\nk=v\n");
  EXPECT_EQ(Get("s", "missing", "  dflt  "), "  dflt");
  EXPECT_EQ(Get("none", "k", "d"), "d");
  EXPECT_EQ(Get("s", "k", std::nullopt), "v");
  EXPECT_EQ(Get("s", "nokey", std::nullopt), "");
  std::string out;
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", out, 256, "NOFILE.INI"), 1u);
  EXPECT_EQ(out, "d");
}

TEST_F(ProfileTest, TruncatesToTheBufferAsWindowsDoes) {
  Write("[section1]\nkey=value1234\n[section2]\nk2=x\n");
  DWORD n = 0;
  EXPECT_EQ(Get("section1", "key", "", 6, &n), "value");
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(Get("section1", "key", "", 1, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(Get("section1", "key", "", 0, &n), "untouched");
  EXPECT_EQ(n, 0u);
  // Lists as Windows 95 gives them: whole names only, the count including the
  // final NUL; one that does not fit answers size - 2.
  EXPECT_EQ(Get(std::nullopt, std::nullopt, "", 14, &n), std::string("section1\0", 9));
  EXPECT_EQ(n, 12u);
  EXPECT_EQ(Get(std::nullopt, std::nullopt, "", 18, &n), std::string("section1\0", 9));
  EXPECT_EQ(n, 16u);
  EXPECT_EQ(Get(std::nullopt, std::nullopt, "", 19, &n), std::string("section1\0section2\0", 18));
  EXPECT_EQ(n, 19u);
  EXPECT_EQ(Get(std::nullopt, std::nullopt, "", 9, &n), "");
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(Get(std::nullopt, std::nullopt, "", 1, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(Get("nosection", std::nullopt, "", 2, &n), "");
  EXPECT_EQ(n, 1u);  // an empty list is its final NUL
}

// Windows 95 cuts a list of keys that does not fit inside a name, and keeps
// whole names only in a list of sections; both answer size - 2.
TEST_F(ProfileTest, ListsThatDoNotFitAreCutAsWindows95CutsThem) {
  Write("[section1]\nname1=1\nname2=2\nname4=4\n[section2]\nk=x\n[section3]\n");
  const struct {
    bool keys;  // else sections
    DWORD size;
    std::string out;
    DWORD count;
  } cases[] = {
      {true, 16, std::string("name1\0name2\0n\0", 14), 14},
      {true, 13, std::string("name1\0name\0", 11), 11},
      {true, 12, std::string("name1\0nam\0", 10), 10},
      {true, 19, std::string("name1\0name2\0name4\0", 18), 19},
      {true, 18, std::string("name1\0name2\0nam\0", 16), 16},
      {true, 3, std::string("\0", 1), 1},
      {true, 2, "", 0},
      {false, 16, std::string("section1\0", 9), 14},
      {false, 27, std::string("section1\0section2\0", 18), 25},
      {false, 28, std::string("section1\0section2\0section3\0", 27), 28},
      {false, 2, "", 0},
  };
  for (const auto& c : cases) {
    DWORD n = 0;
    const OptionalText section = c.keys ? OptionalText("section1") : std::nullopt;
    EXPECT_EQ(Get(section, std::nullopt, "", c.size, &n), c.out) << c.keys << " " << c.size;
    EXPECT_EQ(n, c.count) << c.keys << " " << c.size;
  }
}

// One look at the file answers as the key list and a call per key do.
TEST_F(ProfileTest, VisitedValuesAreWhatTheListAndACallPerKeyGive) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  const struct {
    const char* why;
    std::string file;
    Pairs visits;
  } cases[] = {
      {"file order, values trimmed and unquoted", "[s]\nb = \"2\" \na=1\n", {{"b", "2"}, {"a", "1"}}},
      {"a repeated key is visited again with the first value",
       "[s]\nk=first\nK=second\n[S]\nk=other\n",
       {{"k", "first"}, {"K", "first"}}},
      {"comments, lines without '=' and empty names are left out", "[s]\n;c=1\nbare\n=empty\nk=v\n", {{"k", "v"}}},
      {"a name is cut at a NUL, as in the list",
       std::string("[s]\na\0b=v\nb=w\n", 14),
       {{"a", ""}, {"b", "w"}, {"b", "w"}}},
      {"no such section", "[t]\nk=v\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Write(c.file);
    Pairs visits;
    VisitPrivateProfileValues(" s ", kIni, [&](std::string_view k, std::string_view v) { visits.emplace_back(k, v); });
    EXPECT_EQ(visits, c.visits);
    Pairs called;
    const std::string list = Get("s", std::nullopt);
    for (size_t at = 0, end; at < list.size(); at = end + 1) {
      end = list.find('\0', at);
      if (end > at) called.emplace_back(list.substr(at, end - at), Get("s", list.substr(at, end - at)));
    }
    EXPECT_EQ(visits, called);
  }
  size_t count = 0;
  VisitPrivateProfileValues("s", "NOFILE.INI", [&](std::string_view, std::string_view) { ++count; });
  EXPECT_EQ(count, 0u);
}

TEST_F(ProfileTest, BareFileNameMeansTheWindowsDirectory) {
  EXPECT_EQ(ProfileFilePath("SYSTEM.INI"), "C:\\WINDOWS\\SYSTEM.INI");
  EXPECT_EQ(ProfileFilePath("C:\\OTHER\\A.INI"), "C:\\OTHER\\A.INI");
  machine.Builder().File("C:\\OTHER\\A.INI", "[s]\nk=elsewhere\n");
  std::string out;
  GetPrivateProfileStringA("s", "k", "", out, 64, "C:\\OTHER\\A.INI");
  EXPECT_EQ(out, "elsewhere");
}

TEST_F(ProfileTest, ReadsNumbersTheWayWindows95Does) {
  Write("[n]\nplain=42\nneg=-1\nplus=+1\ntext=abc\nmixed=12abc\nempty=\n");
  EXPECT_EQ(GetPrivateProfileIntA("n", "plain", 7, kIni), 42u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "neg", 7, kIni), 0xFFFFFFFFu);
  EXPECT_EQ(GetPrivateProfileIntA("n", "plus", 7, kIni), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "text", 7, kIni), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "mixed", 7, kIni), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "missing", 7, kIni), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("n", "empty", 7, kIni), 7u);
}

// Each file, the values written to it, then the whole file: only the lines
// written change.
TEST_F(ProfileTest, WritesTouchOnlyTheLinesTheyChange) {
  const struct {
    const char* why;
    const char* file;
    std::vector<std::array<const char*, 3>> writes;  // section, key, value
    const char* after;
  } cases[] = {
      {"a value written keeps every other byte",
       "; head\r\n[s]\r\nA = 1  \r\n; keep me\r\nb=2\r\n\r\n[t]\r\nc=3\r\n",
       {{"S", "a", "new"}},
       "; head\r\n[s]\r\nA=new\r\n; keep me\r\nb=2\r\n\r\n[t]\r\nc=3\r\n"},
      {"a new key follows the last entry of its section",
       "[s]\r\na=1\r\n; comment\r\n\r\n[t]\r\n",
       {{"s", "new", "x"}, {"t", "k", "y"}},
       "[s]\r\na=1\r\nnew=x\r\n; comment\r\n\r\n[t]\r\nk=y\r\n"},
      {"a new section is preceded by a blank line",
       "[s]\r\na=1\r\n",
       {{" new ", " key ", "v"}},
       "[s]\r\na=1\r\n\r\n[new]\r\nkey=v\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Write(c.file);
    for (const auto& [section, key, value] : c.writes)
      EXPECT_TRUE(WritePrivateProfileStringA(section, key, value, kIni));
    EXPECT_EQ(Read(), c.after);
  }
}

TEST_F(ProfileTest, NewSectionAfterAnOpenLastLineEndsWithoutALineBreakAsWindows95Writes) {
  Write(std::string("Data \0 before \0 first \0 section", 31));
  EXPECT_TRUE(WritePrivateProfileStringA("section1", "key1", "string1", kIni));
  EXPECT_EQ(Read(), std::string("Data \0 before \0 first \0 section\r\n\r\n[section1]\r\nkey1=string1", 59));
  EXPECT_TRUE(WritePrivateProfileStringA("section1", "key2", "x", kIni));
  EXPECT_EQ(Get("section1", "key1"), "string1");
  EXPECT_TRUE(Read().ends_with("key1=string1\r\nkey2=x"));
}

TEST_F(ProfileTest, AReadOnlyFileIsNotReplaced) {
  Write("[s]\r\nk=old\r\n");
  ASSERT_EQ(chmod(machine.Builder().HostPath(kIniPath).c_str(), 0444), 0);
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", kIni));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WritePrivateProfileStringA("s", std::nullopt, std::nullopt, kIni));
  EXPECT_EQ(Read(), "[s]\r\nk=old\r\n");
  EXPECT_EQ(Get("s", "k"), "old");
}

TEST_F(ProfileTest, WritingToAMissingFileCreatesItWithoutABlankLine) {
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", "NEW.INI"));
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\NEW.INI"), "[s]\r\nk=v\r\n");
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", "C:\\NODIR\\X.INI"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(ProfileTest, NullValueDeletesTheKeyNullKeyTheSectionButNotItsComments) {
  Write("[s]\r\na=1\r\nb=2\r\n[t]\r\n; note\r\nc=3\r\n[u]\r\nd=4\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("s", "a", std::nullopt, kIni));
  EXPECT_TRUE(WritePrivateProfileStringA("t", std::nullopt, "ignored", kIni));
  EXPECT_EQ(Read(), "[s]\r\nb=2\r\n; note\r\n[u]\r\nd=4\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("s", "b", std::nullopt, kIni));
  EXPECT_EQ(Read(), "[s]\r\n; note\r\n[u]\r\nd=4\r\n");  // an emptied section stays
}

TEST_F(ProfileTest, DeletingWhatIsNotThereSucceedsAndChangesNothing) {
  Write("[s]\r\na=1\r\n");
  ino_t before = Inode();
  EXPECT_TRUE(WritePrivateProfileStringA("s", "zz", std::nullopt, kIni));
  EXPECT_TRUE(WritePrivateProfileStringA("none", std::nullopt, std::nullopt, kIni));
  EXPECT_TRUE(WritePrivateProfileStringA("s", "a", "1", kIni));  // same value: no rewrite
  EXPECT_EQ(Inode(), before);
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", std::nullopt, "GONE.INI"));
  EXPECT_FALSE(machine.Exists("C:\\WINDOWS\\GONE.INI"));
}

TEST_F(ProfileTest, AllNullFlushesAndAnswersFalse) {
  Write("[s]\r\na=1\r\n");
  EXPECT_FALSE(WritePrivateProfileStringA(std::nullopt, std::nullopt, std::nullopt, kIni));
  EXPECT_FALSE(WritePrivateProfileStringA(std::nullopt, "k", "v", kIni));
  EXPECT_EQ(Read(), "[s]\r\na=1\r\n");
}

TEST_F(ProfileTest, WritesReplaceTheFileAtomicallyAndLeaveNoTemporaryFile) {
  Write("[s]\r\na=1\r\n");
  ino_t before = Inode();
  EXPECT_TRUE(WritePrivateProfileStringA("s", "a", "2", kIni));
  EXPECT_NE(Inode(), before);
  int temporaries = 0;
  for (auto& entry : std::filesystem::directory_iterator(machine.Builder().HostPath("C:\\WINDOWS")))
    temporaries += entry.path().filename().string().starts_with(".");
  EXPECT_EQ(temporaries, 0);
}

TEST_F(ProfileTest, Cp936BytesPassThroughUnchanged) {
  std::string printer = *Utf8ToCp936("激光打印机");
  Write("[Devices]\r\n" + printer + "=DRV,LPT1:\r\n");
  EXPECT_EQ(Get("devices", printer), "DRV,LPT1:");
  std::string value = *Utf8ToCp936("端口 LPT2:");
  EXPECT_TRUE(WritePrivateProfileStringA("Devices", printer, value, kIni));
  EXPECT_EQ(Read(), "[Devices]\r\n" + printer + "=" + value + "\r\n");
}

TEST_F(ProfileTest, NulBytesInsideTheFileSurviveARewrite) {
  Write(std::string("[s]\r\nbin=a\0b\r\nk=1\r\n", 19));
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", kIni));
  EXPECT_EQ(Read(), std::string("[s]\r\nbin=a\0b\r\nk=2\r\n", 19));
}

TEST_F(ProfileTest, WinIniCallsUseTheUsersWinIni) {
  machine.Builder().WinIni("[windows]\r\nload=A.EXE\r\n");
  std::string out;
  EXPECT_EQ(GetProfileStringA("Windows", "Load", "", out, 256), 5u);
  EXPECT_EQ(out, "A.EXE");
  EXPECT_TRUE(WriteProfileStringA("windows", "load", "A.EXE B.EXE"));
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\WIN.INI"), "[windows]\r\nload=A.EXE B.EXE\r\n");
}

}  // namespace
