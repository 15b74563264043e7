// VerifyFileList on a built installation: missing and wrong files, the
// delete-file page answered through the scripted backend, the renames
// scheduled in WININIT.INI and the report lines, byte for byte.
#include <gtest/gtest.h>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/printing_files.h"
#include "outcome/step_outcome.h"
#include "platform/base/cp936.h"
#include "platform/ui/scripted_backend.h"
#include "resources/dialog_templates.h"
#include "support/program_test.h"

namespace dxl {
namespace {

using w95::ui::ScriptedBackend;

constexpr const char* kWininit = "C:\\WINDOWS\\WININIT.INI";

std::string Cp936(std::string_view utf8) { return *w95::Utf8ToCp936(utf8); }

class FileList : public testing::ProgramTest {
 protected:
  // The [Win4System] list of the standard installation, as VerifyFileList gets it.
  static std::string StandardList() {
    std::string text = "Win4System]\r\n";
    for (const auto& file : tools::StandardPrintingFiles())
      if (file.section == "Win4System") text += tools::SetupRecord(file);
    return text;
  }
  std::string Report() const { return ReportBytes(); }
  std::vector<int> Pages() const {
    std::vector<int> pages;
    for (const auto& shown : script_->Shown()) pages.push_back(shown.templateId);
    return pages;
  }
  // The three lines of a wrong file.
  static std::string WrongFileLines(std::string_view path, std::string_view suffix, std::string_view current,
                                    std::string_view required) {
    return Cp936("错误: " + std::string(path) + std::string(suffix) + "\r\n" + std::string(current) +
                 std::string(required));
  }
};

TEST_F(FileList, RightFilesWriteNothing) {
  theApp().VerifyFileList(StandardList());
  EXPECT_TRUE(Pages().empty());
  EXPECT_FALSE(machine_.Exists(kReport));
  EXPECT_EQ(theApp().statusFlags, RunCompleted);
  EXPECT_TRUE(theApp().allFilesCorrect);
  EXPECT_FALSE(theApp().someFileMissing);
  EXPECT_EQ(theApp().apdRequirement.fileName, "DXLQ7APD.APD");
  EXPECT_EQ(theApp().apdRequirement.date, "1997/07/01");
  EXPECT_EQ(theApp().apdRequirement.time, "12:00:00");
  EXPECT_EQ(theApp().apdRequirement.size, "8192");
  EXPECT_EQ(theApp().apdRequirement.version, "0");
}

TEST_F(FileList, MissingFileIsRecordedWithoutAPage) {
  tools::RemovePrintingFile(Builder(), "DXLQ7PSM.DLL");
  tools::RemovePrintingFile(Builder(), "DXLQ7APD.APD");
  theApp().VerifyFileList(StandardList());
  EXPECT_TRUE(Pages().empty());
  EXPECT_EQ(Report(), Cp936("错误: C:\\WINDOWS\\SYSTEM\\DXLQ7PSM.DLL 未找到。\r\n"
                            "错误: C:\\WINDOWS\\Dxl\\DXLQ7APD.APD 未找到。\r\n"));
  EXPECT_TRUE(theApp().someFileMissing);
  EXPECT_FALSE(theApp().allFilesCorrect);
  EXPECT_EQ(theApp().statusFlags, RunCompleted | ErrorRecorded | RerunSetup);
  EXPECT_EQ(theApp().apdRequirement.fileName, "DXLQ7APD.APD") << "filled before the file is examined";
}

TEST_F(FileList, YesRenamesAWrongDriverToTheNextFreeBackupName) {
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "2.10.0.29");
  Builder().File("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.000", "old").File("C:\\WINDOWS\\SYSTEM\\dxlq7em.001", "older");
  script_->Press(ctl::kYes);
  theApp().VerifyFileList(StandardList());

  ASSERT_EQ(Pages(), std::vector<int>{140});
  EXPECT_EQ(script_->Shown()[0].texts.at(1020), Cp936("DXLQ7EM.386 的版本不对。"));
  EXPECT_EQ(currentFileName, "DXLQ7EM.386");
  EXPECT_EQ(machine_.Read(kWininit),
            "[Rename]\r\nC:\\WINDOWS\\SYSTEM\\DXLQ7EM.002=C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386\r\n");
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI").find("DXLQ7EM.386"), std::string::npos);
  EXPECT_NE(machine_.Read("C:\\WINDOWS\\SYSTEM.INI").find("device=DXLBANDS.386\r\n"), std::string::npos);
  EXPECT_EQ(Report(), WrongFileLines("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386", " - 将被重命名为 DXLQ7EM.002",
                                     "当前版本=2.10.0.29 时间标志=1997/06/28 17:40:02 大小=28672\r\n",
                                     "所需版本=2.10.0.30 时间标志=1997/06/28 17:40:02 大小=28672\r\n"));
  EXPECT_TRUE(theApp().restartNeeded);
  EXPECT_FALSE(theApp().allFilesCorrect);
  EXPECT_FALSE(theApp().someFileMissing);
  EXPECT_EQ(theApp().statusFlags, RunCompleted | ErrorRecorded | RerunSetup);
  EXPECT_TRUE(machine_.Exists("C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386")) << "renamed only when Windows starts";
}

TEST_F(FileList, YesOnTheResidentProgramTakesItOutOfTheLoadLine) {
  tools::SetPrintingFileTime(Builder(), "DXLHRC.EXE", "1997/06/28 17:42:11");
  script_->Press(ctl::kYes);
  theApp().VerifyFileList(StandardList());
  EXPECT_EQ(machine_.Read(kWininit), "[Rename]\r\nC:\\WINDOWS\\DXLHRC.000=C:\\WINDOWS\\DXLHRC.EXE\r\n");
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\WIN.INI").find("DXLHRC"), std::string::npos);
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI"), tools::StandardSystemIni());
}

TEST_F(FileList, NoLeavesEverythingAndGoesOn) {
  tools::SetPrintingFileSize(Builder(), "DXLQ7.DRV", 300);  // cuts the version resource short
  tools::RemovePrintingFile(Builder(), "DXLHRC.BIN");
  script_->Press(ctl::kNo);
  theApp().VerifyFileList(StandardList());
  EXPECT_EQ(Pages(), std::vector<int>{140});
  EXPECT_FALSE(machine_.Exists(kWininit));
  EXPECT_EQ(Report(), WrongFileLines("C:\\WINDOWS\\SYSTEM\\DXLQ7.DRV", " - 未修正", "",
                                     "所需版本=2.10.0.31 时间标志=1997/07/01 12:00:00 大小=181248\r\n") +
                          Cp936("错误: C:\\WINDOWS\\Dxl\\DXLHRC.BIN 未找到。\r\n"))
      << "a file cut short loses its version: no current-values line";
  EXPECT_FALSE(theApp().restartNeeded);
  EXPECT_EQ(theApp().statusFlags, RunCompleted | ErrorRecorded | RerunSetup);
}

TEST_F(FileList, ExitOrEscStopsTheList) {
  const char* wrong[] = {"DXLQ7.DRV", "DXLQ7PSM.DLL", "DXLCPEPY.386", "DXLBANDS.386", "DXLQ7EM.386"};
  for (const char* name : wrong) tools::SetPrintingFileTime(Builder(), name, "1998/01/01 00:00:00");
  tools::RemovePrintingFile(Builder(), "DXLHRC.EXE");
  for (bool esc : {false, true}) {
    SCOPED_TRACE(esc ? "Esc" : "Exit");
    Builder().Remove(kReport);
    ResetProgramState();
    theApp().reportPath = kReport;
    StepOutcome.result = RunNextStep;
    script_->Press(ctl::kNo);
    esc ? script_->Cancel() : script_->Press(ctl::kExit);
    const size_t shownBefore = script_->Shown().size();
    theApp().VerifyFileList(StandardList());
    EXPECT_EQ(script_->Shown().size() - shownBefore, 2u);
    const std::string report = Report();
    EXPECT_NE(report.find("DXLQ7PSM.DLL" + Cp936(" - 未修正")), std::string::npos);
    EXPECT_EQ(report.find("DXLCPEPY.386"), std::string::npos);
    EXPECT_EQ(report.find("DXLHRC.EXE"), std::string::npos) << "no record after the exit is read";
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 6);
    EXPECT_EQ(theApp().statusFlags, ErrorRecorded | RerunSetup);
    EXPECT_EQ(StepOutcome.result, ChecksFinished);
    EXPECT_FALSE(theApp().someFileMissing);
  }
}

TEST_F(FileList, DirectoryKeywordsAreExactAndOtherFilesAreSkipped) {
  theApp().VerifyFileList(
      "x]\r\n1 DXLQ7.DRV 1997/07/01 12:00:00 181248 Windows 2.10.0.31\r\n"
      "1 GONE.HLP 1997/07/01 12:00:00 1 SYSTEM 1.0.0.0\r\n"
      "1 gone.Txt 1997/07/01 12:00:00 1 SYSTEM 1.0.0.0\r\n"
      "1 SETUP.INI.BAK 1997/07/01 12:00:00 1 SYSTEM 1.0.0.0\r\n");
  EXPECT_EQ(Report(), Cp936("错误: \\DXLQ7.DRV 未找到。\r\n"));
}

TEST_F(FileList, NamesThatLeaveTheirDirectoryCountAsMissing) {
  // Each would reach a right file (or a device) if it were looked up.
  Builder().File("C:\\DXLQ7.DRV", Builder().Read("C:\\WINDOWS\\SYSTEM\\DXLQ7.DRV"));
  tools::SetLocalFileTime(Builder(), "C:\\DXLQ7.DRV", "1997/07/01 12:00:00");
  const char* hostile[] = {"SYSTEM\\DXLQ7.DRV", "..\\DXLQ7.DRV", "C:\\DXLQ7.DRV", "\\\\SERVER\\DXL\\DXLQ7.DRV",
                           "DXLQ7.D*",          "LPT1",          "/DXLQ7.DRV"};
  for (const char* name : hostile) {
    SCOPED_TRACE(name);
    Builder().Remove(kReport);
    theApp().VerifyFileList(std::string("x]\r\n1 ") + name + " 1997/07/01 12:00:00 181248 WINDOWS 2.10.0.31\r\n");
    EXPECT_EQ(Report(), Cp936("错误: C:\\WINDOWS\\" + std::string(name) + " 未找到。\r\n"));
  }
  EXPECT_TRUE(script_->Shown().empty());
  EXPECT_FALSE(machine_.Exists(kWininit));
}

// A double-byte character's trail byte may be 0x5C or 0x7C, the bytes of '\\'
// and '|': such names are found like any other.
TEST_F(FileList, NamesWithTrailBytesOfBackslashOrBarAreFound) {
  // Code page 936, as the set-up information holds them.
  const char* names[] = {
      "\xD5\x5C.DLL",  // the trail byte is '\\'
      "\x81\x7C"
      "AB.DRV",                 // the trail byte is '|'
      "A\xB1\x5C\xB1\x7C.386",  // both, after a single-byte character
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    Builder().Remove(kReport);
    const std::string path = std::string("C:\\WINDOWS\\SYSTEM\\") + name;
    Builder().File(path, "12345");
    tools::SetLocalFileTime(Builder(), path, "1997/07/01 12:00:00");
    ASSERT_TRUE(machine_.Exists(path));
    theApp().VerifyFileList(std::string("x]\r\n1 ") + name + " 1997/07/01 12:00:00 5 SYSTEM 0\r\n");
    EXPECT_FALSE(machine_.Exists(kReport)) << Report();
    std::string missing = " 1997/07/01 12:00:00 5 SYSTEM 0\r\n";
    theApp().VerifyFileList(std::string("x]\r\n1 ") + name + "X" + missing);
    EXPECT_EQ(Report(), Cp936("错误: ") + path + "X" + Cp936(" 未找到。\r\n")) << "a name one letter longer";
  }
  EXPECT_TRUE(script_->Shown().empty());
}

TEST_F(FileList, AllBackupNamesTakenSchedulesNothing) {
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "1.0.0.0");
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "C:\\WINDOWS\\SYSTEM\\DXLQ7EM.%03d", i);
    Builder().File(name, "");
  }
  script_->Press(ctl::kYes);
  theApp().VerifyFileList(StandardList());
  EXPECT_FALSE(machine_.Exists(kWininit));
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI"), tools::StandardSystemIni());
  EXPECT_FALSE(theApp().restartNeeded);
  EXPECT_TRUE(Report().starts_with(Cp936("错误: C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386 - 未修正\r\n")));
}

TEST_F(FileList, BackupNameAlreadyScheduledForAnotherFileIsPassedOver) {
  const std::string other = "[Rename]\r\nC:\\WINDOWS\\SYSTEM\\DXLQ7EM.000=C:\\WINDOWS\\SYSTEM\\DXLQ7EM.VXD\r\n";
  Builder().File(kWininit, other);
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "1.0.0.0");
  script_->Press(ctl::kYes).Press(ctl::kYes);
  theApp().VerifyFileList(StandardList());
  const std::string scheduled = other + "C:\\WINDOWS\\SYSTEM\\DXLQ7EM.001=C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386\r\n";
  EXPECT_EQ(machine_.Read(kWininit), scheduled);
  // A second walk in the same run finds the same file and the same backup name.
  theApp().VerifyFileList(StandardList());
  EXPECT_EQ(machine_.Read(kWininit), scheduled);
  EXPECT_NE(Report().rfind(Cp936(" - 将被重命名为 DXLQ7EM.001\r\n")), std::string::npos);
}

TEST_F(FileList, RenameThatCannotBeWrittenIsReportedAsNotFixed) {
  Builder().Directory(kWininit);  // WININIT.INI cannot be replaced
  tools::SetPrintingFileVersion(Builder(), "DXLBANDS.386", "1.0.0.0");
  script_->Press(ctl::kYes);
  theApp().VerifyFileList(StandardList());
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI"), tools::StandardSystemIni());
  EXPECT_FALSE(theApp().restartNeeded);
  EXPECT_TRUE(Report().starts_with(Cp936("错误: C:\\WINDOWS\\SYSTEM\\DXLBANDS.386 - 未修正\r\n")));
}

}  // namespace
}  // namespace dxl
