// VerifySetupFiles on a built installation: which lists of DXLQ7SET.INF are
// verified, the "checking files" notice, the closing line and the answer.
#include <gtest/gtest.h>

#include <functional>

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

std::string Cp936(std::string_view utf8) { return *w95::Utf8ToCp936(utf8); }

class SetupFiles : public testing::ProgramTest {
 protected:
  std::string Report() const { return ReportBytes(); }
  std::string SetupInf() const { return tools::SetupInfText(tools::StandardPrintingFiles()); }
  void ReplaceInInf(std::string_view from, std::string_view to) {
    std::string text = SetupInf();
    text.replace(text.find(from), from.size(), to);
    tools::WriteSetupInf(Builder(), text);
  }
  // The notice was shown while the lists were verified and is gone now.
  void ExpectNoticeClosed() const {
    ASSERT_FALSE(script_->Shown().empty());
    EXPECT_EQ(script_->Shown()[0].templateId, 139);
    EXPECT_TRUE(script_->Shown()[0].modeless);
    EXPECT_TRUE(script_->Shown()[0].destroyed);
    EXPECT_EQ(theApp().fileWaitDialog, nullptr);
  }
};

TEST_F(SetupFiles, RightInstallationGetsTheClosingLine) {
  tools::RemovePrintingFile(Builder(), "DXLQ7PCL.DLL");  // in [pcl], which DOPCL 0 leaves out
  EXPECT_EQ(theApp().VerifySetupFiles(), 0);
  EXPECT_EQ(Report(), Cp936("所有文件的版本正确。\r\n"));
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  ExpectNoticeClosed();
  EXPECT_EQ(script_->Shown().size(), 1u);
}

TEST_F(SetupFiles, WithoutCustomSetupInformationOnlyTheMainListCounts) {
  Builder().Remove(Builder().InSystem("DXLQ7CST.INF"));
  tools::RemovePrintingFile(Builder(), "DXLQ7PCL.DLL");
  EXPECT_EQ(theApp().VerifySetupFiles(), 0);
  EXPECT_EQ(Report(), Cp936("所有文件的版本正确。\r\n"));
}

TEST_F(SetupFiles, DoPclVerifiesThePclListToo) {
  tools::SetDoPcl(Builder(), 1);
  tools::RemovePrintingFile(Builder(), "DXLQ7PCL.DLL");
  EXPECT_EQ(theApp().VerifySetupFiles(), 1);
  EXPECT_EQ(Report(), Cp936("错误: C:\\WINDOWS\\SYSTEM\\DXLQ7PCL.DLL 未找到。\r\n"));
  EXPECT_EQ(StepOutcome.result, RunNextStep) << "the engine turns the answer into its result";
  ExpectNoticeClosed();
}

TEST_F(SetupFiles, ExitOnTheMainListSkipsThePclList) {
  tools::SetDoPcl(Builder(), 1);
  tools::SetPrintingFileVersion(Builder(), "DXLQ7PSM.DLL", "1.0.0.0");
  tools::RemovePrintingFile(Builder(), "DXLQ7PCL.DLL");
  script_->Press(ctl::kExit);
  EXPECT_EQ(theApp().VerifySetupFiles(), 0);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(Report().find("DXLQ7PCL.DLL"), std::string::npos);
  EXPECT_EQ(Report().find(Cp936("所有文件的版本正确。")), std::string::npos);
  ExpectNoticeClosed();
  EXPECT_EQ(script_->Shown().at(1).templateId, 140);
}

TEST_F(SetupFiles, UnreadableOrHeaderlessSetupInformationFailsTheStep) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
  } cases[] = {
      {"missing", [&] { Builder().Remove(tools::SetupInfPath(Builder())); }},
      {"a directory",
       [&] { Builder().Remove(tools::SetupInfPath(Builder())).Directory(tools::SetupInfPath(Builder())); }},
      {"header in capitals", [&] { ReplaceInInf("[Win4System]", "[WIN4SYSTEM]"); }},
      {"header after a NUL", [&] { ReplaceInInf("[Version]", std::string("\0", 1)); }},
      {"no [pcl] with DOPCL", [&] { ReplaceInInf("[pcl]", "[PCL]"), tools::SetDoPcl(Builder(), 1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Builder().Remove(tools::SetupInfPath(Builder()));
    Builder().InstallPrintingSystem();
    Builder().Remove(kReport);
    ResetProgramState();
    theApp().reportPath = kReport;
    c.prepare();
    EXPECT_EQ(theApp().VerifySetupFiles(), 1);
    EXPECT_EQ(StepOutcome.result, InstalledFilesWrong);
    EXPECT_FALSE(machine_.Exists(kReport));
    EXPECT_EQ(theApp().fileWaitDialog, nullptr);
  }
}

TEST_F(SetupFiles, ASecondWalkKeepsWhatTheFirstFound) {
  tools::RemovePrintingFile(Builder(), "DXLHRC.BIN");
  EXPECT_EQ(theApp().VerifySetupFiles(), 1);
  tools::WritePrintingFile(Builder(), tools::StandardPrintingFile("DXLHRC.BIN"));
  Builder().Remove(kReport);
  EXPECT_EQ(theApp().VerifySetupFiles(), 1);
  EXPECT_FALSE(machine_.Exists(kReport)) << "allFilesCorrect, once cleared, stays cleared";
}

}  // namespace
}  // namespace dxl
