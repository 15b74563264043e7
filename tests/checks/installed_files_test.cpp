// One installed file judged by size, time stamp and version, on real NE, LE
// and PE files; the reading of file-list records.
#include "checks/installed_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "checks/file_list.h"
#include "machine_builder/printing_files.h"
#include "platform/base/cp936.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;
using tools::PrintingFile;

std::string Cp936(std::string_view utf8) { return *w95::Utf8ToCp936(utf8); }

class CheckFile : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Builder().InstallPrintingSystem(); }

  std::string PathOf(std::string_view name) {
    const PrintingFile& file = tools::StandardPrintingFile(name);
    return tools::PrintingFilePath(machine_.Builder(), file.directory, file.name);
  }
  // CheckInstalledFile with the standard requirements of `name`, except those given.
  int Check(std::string_view name, std::string_view version = {}, std::string_view stamp = {},
            std::string_view size = {}) {
    const PrintingFile& file = tools::StandardPrintingFile(name);
    const std::string sizeText = size.empty() ? std::to_string(file.size) : std::string(size);
    return CheckInstalledFile(PathOf(name), sizeText, version.empty() ? file.version : version,
                              stamp.empty() ? file.stamp : stamp, line_);
  }

  TempMachine machine_;
  std::string line_;
};

TEST_F(CheckFile, EveryStandardFileIsRight) {
  for (const PrintingFile& file : tools::StandardPrintingFiles()) {
    SCOPED_TRACE(std::string(file.name));
    line_.clear();
    EXPECT_EQ(Check(file.name), 1);
    const std::string facts = std::string(file.stamp) + " 大小=" + std::to_string(file.size) + "\r\n";
    if (file.version == "0") {
      EXPECT_EQ(line_, Cp936("当前时间标志=" + facts));
    } else {
      EXPECT_EQ(line_, Cp936("当前版本=" + std::string(file.version) + " 时间标志=" + facts));
    }
  }
}

// Size, time stamp and version come from one open of the file; the time
// stamp is still the one its directory entry reports, whatever the spelling.
TEST_F(CheckFile, EverySpellingIsJudgedAsItsDirectoryEntry) {
  const PrintingFile& file = tools::StandardPrintingFile("DXLQ7.DRV");
  ASSERT_EQ(Check("DXLQ7.DRV"), 1);
  const std::string right = line_;
  const std::string hidden = "C:\\WINDOWS\\SYSTEM\\.DXLQ7.DRV";  // a host dot file: not listed
  std::filesystem::copy_file(machine_.Builder().HostPath(PathOf("DXLQ7.DRV")), machine_.Builder().HostPath(hidden));
  machine_.Builder().FileTime(hidden, file.stamp);
  struct Case {
    std::string path;
    int answer;
    bool sameLine;
  } cases[] = {
      {"c:\\windows\\system\\dxlq7.drv", 1, true},
      {"C:\\WINDOWS\\SYSTEM\\DXLQ7.DRV.", 1, true},
      {hidden, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    line_.clear();
    EXPECT_EQ(CheckInstalledFile(c.path, std::to_string(file.size), file.version, file.stamp, line_), c.answer);
    EXPECT_EQ(line_ == right, c.sameLine);
  }
}

TEST_F(CheckFile, VersionIsComparedComponentByComponent) {
  struct Case {
    const char* installed;
    const char* required;
    int answer;
  } cases[] = {
      {"1.0.0.10", "1.0.0.2", 1},        {"2.0.0.0", "1.2.0.0", 0},     {"4.10.0.0", "4.0.0.950", 0},
      {"2.10.0.31", "2.10.0.31", 1},     {"3.11.1.32", "2.10.0.31", 1}, {"2.10.0.30", "2.10.0.31", 0},
      {"2.10.0.31", "2.10.0.070000", 0},  // read as a number, greater than any component
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.installed) + " against " + c.required);
    for (std::string_view name : {"DXLQ7.DRV", "DXLQ7EM.386", "DXLQ7PSM.DLL"}) {
      tools::SetPrintingFileVersion(machine_.Builder(), name, c.installed);
      EXPECT_EQ(Check(name, c.required), c.answer) << name;
      EXPECT_NE(line_.find(Cp936("当前版本=") + c.installed + " "), std::string::npos) << line_;
    }
  }
}

TEST_F(CheckFile, TimeStampMustMatchToTheSecondAndInForm) {
  EXPECT_EQ(Check("DXLQ7.DRV", {}, "1997/07/01 12:00:01"), 0);
  EXPECT_EQ(Check("DXLQ7.DRV", {}, "1997/7/1 12:00:00"), 0);
  EXPECT_EQ(line_, Cp936("当前版本=2.10.0.31 时间标志=1997/07/01 12:00:00 大小=181248\r\n"));
  tools::SetPrintingFileTime(machine_.Builder(), "DXLHRC.BIN", "1997/07/01 11:59:59");
  EXPECT_EQ(Check("DXLHRC.BIN"), 0);
  EXPECT_EQ(line_, Cp936("当前时间标志=1997/07/01 11:59:59 大小=4096\r\n"));
}

TEST_F(CheckFile, TimeStampIsTheMachinesLocalTime) {
  machine_.Builder().MachineIni("Clock", "Bias", "-480");
  machine_.Activate();
  EXPECT_EQ(Check("DXLQ7.DRV"), 0) << "written for UTC, seen eight hours later";
  EXPECT_NE(line_.find("1997/07/01 20:00:00"), std::string::npos) << line_;
  tools::SetPrintingFileTime(machine_.Builder(), "DXLQ7.DRV", "1997/07/01 12:00:00");
  EXPECT_EQ(Check("DXLQ7.DRV"), 1);
}

TEST_F(CheckFile, SizeIsReadAsASignedNumber) {
  EXPECT_EQ(Check("DXLQ7PSM.DLL", {}, {}, "45057"), 0);
  EXPECT_EQ(Check("DXLQ7PSM.DLL", {}, {}, " 45056 bytes"), 1);
  EXPECT_EQ(Check("DXLQ7PSM.DLL", {}, {}, "-45056"), 0);
  tools::SetPrintingFileSize(machine_.Builder(), "DXLQ7PSM.DLL", 50000);
  EXPECT_EQ(Check("DXLQ7PSM.DLL"), 0);
  EXPECT_EQ(line_, Cp936("当前版本=2.10.0.31 时间标志=1997/07/01 12:00:00 大小=50000\r\n"));
}

TEST_F(CheckFile, VersionZeroJudgesSizeAndTimeOnly) {
  EXPECT_EQ(Check("DXLQ7.DRV", "0"), 1);
  EXPECT_EQ(line_, Cp936("当前时间标志=1997/07/01 12:00:00 大小=181248\r\n"));
}

TEST_F(CheckFile, UnreadableVersionMakesTheFileWrongAndLeavesTheLine) {
  line_ = "untouched";
  EXPECT_EQ(Check("DXLQ7APD.APD", "1.0.0.0"), 0);
  EXPECT_EQ(Check("DXLQ7APD.APD", "0.0"), 0) << "only \"0\" means no version";
  EXPECT_EQ(line_, "untouched");
  std::string bytes = machine_.Read(PathOf("DXLCPEPY.386"));
  bytes.resize(0x210);  // the VxD's version resource cut short
  machine_.Builder().File(PathOf("DXLCPEPY.386"), bytes);
  EXPECT_EQ(Check("DXLCPEPY.386", {}, {}, "528"), 0);
  EXPECT_EQ(line_, "untouched");
}

TEST_F(CheckFile, RequiredVersionThatIsNotFourNumbersCountsAsMet) {
  for (const char* text : {"2.10", "2.10.0.31.5", "a.b.c.d", "2.10.0.", "2..0.31", "99999999999.0.0.0",
                           "0000000000000000000000000002.10"}) {
    EXPECT_EQ(Check("DXLQ7.DRV", text), 1) << text;
  }
  EXPECT_EQ(Check("DXLQ7.DRV", "3.0.0.0"), 0);
}

TEST_F(CheckFile, MissingFilesAndFileExists) {
  const std::string path = PathOf("DXLQ7.DRV");
  EXPECT_EQ(FileExists(path), 1);
  tools::RemovePrintingFile(machine_.Builder(), "DXLQ7.DRV");
  EXPECT_EQ(Check("DXLQ7.DRV"), -1);
  EXPECT_EQ(FileExists(path), 0);
  EXPECT_EQ(FileExists("C:\\NOWHERE\\DXLQ7.DRV"), 0);
  EXPECT_EQ(CheckInstalledFile("C:\\WINDOWS\\SYSTEM", "0", "0", "", line_), -1) << "a directory is no file";
}

std::vector<FileRecord> ReadAll(std::string_view text) {
  std::vector<FileRecord> records;
  FileListReader reader(text);
  while (auto record = reader.Next()) records.push_back(*record);
  return records;
}

TEST(FileListReader, DropsTheHeaderAndSplitsAtRunsOfSeparators) {
  auto records = ReadAll(
      "Win4System]\r\n1, A.DRV, 1997/07/01, 12:00:00, 100, SYSTEM, 1.0.0.1\r\n"
      "2,,B.386\t1997/07/02 08:00:00 ,200,WINDOWS,0");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].fileNameField, "A.DRV");
  EXPECT_EQ(records[0].dateField, "1997/07/01");
  EXPECT_EQ(records[0].timeField, "12:00:00");
  EXPECT_EQ(records[0].sizeField, "100");
  EXPECT_EQ(records[0].directoryField, "SYSTEM");
  EXPECT_EQ(records[0].versionField, "1.0.0.1");
  EXPECT_EQ(records[1].fileNameField, "B.386");
  EXPECT_EQ(records[1].versionField, "0");
  EXPECT_TRUE(ReadAll("").empty());
  EXPECT_TRUE(ReadAll("pcl]").empty());
}

TEST(FileListReader, CommentSkipsOnlyTheRestOfItsLine) {
  const std::string record = "1 A.DRV 1997/07/01 12:00:00 100 SYSTEM 1.0.0.1\r\n";
  for (const char* comment : {";one\r\n", "; several words, here\r\n", ";x\n", "  ;\r\n"}) {
    auto records = ReadAll(std::string("x]\r\n") + comment + record + comment);
    ASSERT_EQ(records.size(), 1u) << comment;
    EXPECT_EQ(records[0].fileNameField, "A.DRV");
  }
  EXPECT_TRUE(ReadAll("x]\r\n;comment 1 A.DRV 1997/07/01 12:00:00 100 SYSTEM 1.0.0.1").empty());
}

TEST(FileListReader, QuotedVersionOrMissingFieldsEndTheList) {
  EXPECT_TRUE(ReadAll("x]\r\n1 A.DRV 1997/07/01 12:00:00 100 SYSTEM \"end\"\r\n1 B 1 2 3 SYSTEM 0").empty());
  auto records = ReadAll("x]\r\n1 A.DRV 1997/07/01 12:00:00 100 SYSTEM 0\r\n1 B.DRV 1997/07/01 12:00:00 100 SYSTEM");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fileNameField, "A.DRV");
}

TEST(FileListNames, VersionTextsPlainNamesAndBackupNames) {
  EXPECT_EQ(ParseVersionText("4.0.0.950"), (std::array<std::uint32_t, 4>{4, 0, 0, 950}));
  EXPECT_EQ(ParseVersionText("0.0.0.4294967295"), (std::array<std::uint32_t, 4>{0, 0, 0, 4294967295u}));
  for (const char* bad : {"", "0", "1.2.3", "1.2.3.4.", ".1.2.3", "1.2.3.4294967296", "1.2.3.x", "1 .2.3.4",
                          "00000000001.2.3.4", "0000000001.0000000002.0000000003.4"})
    EXPECT_FALSE(ParseVersionText(bad)) << bad;

  for (const char* good : {"DXLQ7.DRV", "README.TXT", "long name.dll", "DXLHRC", "LPT1X.DRV"})
    EXPECT_TRUE(IsPlainFileName(good)) << good;
  for (const char* bad :
       {"", ".", "..", "..\\SYSTEM.INI", "SYSTEM\\DXLQ7.DRV", "C:DXLQ7.DRV", "\\\\SERVER\\DXL\\X", "a/b", "*.386",
        "DXLQ7.D?V", "LPT1", "lpt1.drv", "NUL", "CON.TXT", "a\"b", "a|b", "tab\tname"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  // Code page 936 characters whose second byte is 0x5C or 0x7C are letters of
  // the name; a real separator after a whole character is still refused.
  for (const char* good : {"\x81\x5C.DRV", "DXL\xD8\x7C.HLP", "\xB1\x5C\xB1\x7C"})
    EXPECT_TRUE(IsPlainFileName(good)) << good;
  for (const char* bad : {"\x81\x5C\\X.DRV", "\xD8\x7C|.HLP", "\xB1\x41:X", "A\xB1/B"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;

  EXPECT_EQ(BackupName("DXLQ7EM.386", 2), "DXLQ7EM.002");
  EXPECT_EQ(BackupName("DXLQ7EM.386", 47), "DXLQ7EM.047");
  EXPECT_EQ(BackupName("DXLQ7EM.386", 999), "DXLQ7EM.999");
  EXPECT_EQ(BackupName("A.B.C", 0), "A.000");
  EXPECT_EQ(BackupName("DXLHRC", 5), "DXLHRC.005");
}

}  // namespace
}  // namespace dxl
