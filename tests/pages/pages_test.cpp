// The page family through the scripted backend: every row of the page table
// ends with its code after setting nextStep and statusFlags; lines are filled
// from the shared state; Esc, F1 and Help behave per page.
#include <gtest/gtest.h>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/help_file.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "pages/wait_notices.h"
#include "platform/base/cp936.h"
#include "platform/ui/scripted_backend.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "support/temp_machine.h"

// Tables below are laid out by hand.
// clang-format off

namespace dxl {
namespace {

using testing::TempMachine;
using w95::ui::ScriptedBackend;

constexpr int kUntouched = 99;
constexpr std::uint8_t kAllFlags = RunCompleted | ErrorRecorded | NetworkErrorRecorded | RerunSetup;

class Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    ResetProgramState();
    theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
    auto backend = std::make_unique<ScriptedBackend>();
    script_ = backend.get();
    w95::ui::SetBackend(std::move(backend));
  }
  void TearDown() override { w95::ui::SetBackend(nullptr); }

  std::string Utf8(int controlId, size_t shown = 0) const {
    return w95::Cp936ToUtf8Lossy(script_->Shown().at(shown).texts.at(controlId));
  }

  TempMachine machine_;
  ScriptedBackend* script_ = nullptr;
};

struct Expected {
  int page;
  int button;
  PageEndCode code;
  int nextStep;  // kUntouched: not set
  std::uint8_t flagsBefore;
  std::uint8_t flagsAfter;
};

TEST_F(Pages, EveryButtonOfEveryPageSetsNextStepAndFlagsAndEnds) {
  const Expected rows[] = {
      {tmpl::kStartPage, ctl::kStartYes, 6, kUntouched, 0, 0},
      {tmpl::kStartPage, ctl::kStartNo, 7, kUntouched, 0, 0},
      {tmpl::kPrinterPortPage, ctl::kBack, 0, kUntouched, kAllFlags, kAllFlags & ~ErrorRecorded},
      {tmpl::kPrinterPortPage, ctl::kContinue, 21, 1, kAllFlags, kAllFlags},
      {tmpl::kPrinterPortPage, ctl::kExit, 20, kUntouched, kAllFlags, kAllFlags},
      {tmpl::kPortUnavailablePage, ctl::kContinue, 0, 2, 0, 0},
      {tmpl::kPortUnavailablePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kSystemIniPage, ctl::kYes, 22, 4, 0, 0},
      {tmpl::kSystemIniPage, ctl::kNo, 0, 4, 0, 0},
      {tmpl::kSystemIniPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kWinIniPage, ctl::kYes, 22, 5, 0, 0},
      {tmpl::kWinIniPage, ctl::kNo, 0, 5, 0, 0},
      {tmpl::kWinIniPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kVirtualMemoryPage, ctl::kYes, 22, 6, 0, 0},
      {tmpl::kVirtualMemoryPage, ctl::kNo, 0, 6, 0, 0},
      {tmpl::kVirtualMemoryPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kBidiSupportPage, ctl::kYes, 22, 7, 0, 0},
      {tmpl::kBidiSupportPage, ctl::kNo, 0, 7, 0, 0},
      {tmpl::kBidiSupportPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kDosSpoolingPage, ctl::kYes, 22, 8, 0, 0},
      {tmpl::kDosSpoolingPage, ctl::kNo, 0, 8, 0, 0},
      {tmpl::kDosSpoolingPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kRegistryEntriesPage, ctl::kContinue, 0, 9, 0, 0},
      {tmpl::kRegistryEntriesPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kDeleteFilePage, ctl::kYes, 26, kUntouched, 0, 0},
      {tmpl::kDeleteFilePage, ctl::kNo, 0, kUntouched, 0, 0},
      {tmpl::kDeleteFilePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kFilesMissingPage, ctl::kContinue, 0, 10, 0, 0},
      {tmpl::kFilesMissingPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kWriteFailedDialog, ctl::kRetry, 0, kUntouched, 0, 0},
      {tmpl::kWriteFailedDialog, ctl::kBack, 1, kUntouched, 0, 0},
      {tmpl::kWriteFailedDialog, ctl::kCancelWrite, 2, kUntouched, 0, 0},
      {tmpl::kWriteFailedDialog, ctl::kOk, 1, kUntouched, 0, 0},
      {tmpl::kFinishPage, ctl::kRestart, 25, kUntouched, 0, 0},
      {tmpl::kFinishPage, ctl::kReturn, 24, kUntouched, 0, 0},
      {tmpl::kRegistryReadErrorPage, ctl::kExit, 23, kUntouched, 0, 0},
      {tmpl::kOtherPrinterPage, ctl::kYes, 22, 3, 0, 0},
      {tmpl::kOtherPrinterPage, ctl::kNo, 0, 3, 0, 0},
      {tmpl::kOtherPrinterPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kServerUnreachablePage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kServerUnreachablePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kNetworkPrinterUnreachablePage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kNetworkPrinterUnreachablePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kServerDirectoryPage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kServerDirectoryPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kServerDriverFilePage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kServerDriverFilePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kServerDataFilePage, ctl::kContinue, 21, 17, 0, 0},
      {tmpl::kServerDataFilePage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kServerFileVersionPage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kServerFileVersionPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kNoNetworkConnectionPage, ctl::kContinue, 0, kUntouched, 0, 0},
      {tmpl::kNoNetworkConnectionPage, ctl::kExit, 20, kUntouched, 0, 0},
      {tmpl::kConnectionNotPersistentPage, ctl::kYes, 22, 14, 0, 0},
      {tmpl::kConnectionNotPersistentPage, ctl::kNo, 0, 14, 0, 0},
      {tmpl::kConnectionNotPersistentPage, ctl::kExit, 20, kUntouched, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "page " << row.page << " button " << row.button);
    StepOutcome.nextStep = kUntouched;
    theApp().statusFlags = row.flagsBefore;
    script_->Press(row.button);
    EXPECT_EQ(ShowPage(row.page), row.code);
    EXPECT_EQ(StepOutcome.nextStep, row.nextStep);
    EXPECT_EQ(theApp().statusFlags, row.flagsAfter);
    EXPECT_FALSE(script_->Shown().back().ranOutOfScript);
  }
  EXPECT_EQ(script_->PendingActions(), 0u);
}

TEST_F(Pages, EscEndsWithTwoExceptOnPagesThatIgnoreIt) {
  for (const auto& row : AllPageRows()) {
    SCOPED_TRACE(row.templateId);
    StepOutcome.nextStep = kUntouched;
    script_->Cancel();
    int code = ShowPage(row.templateId);
    const auto& shown = script_->Shown().back();
    EXPECT_EQ(StepOutcome.nextStep, kUntouched);
    if (row.ignoresCancel) {
      // Nothing ended it: the script ran out and the unattended choice did.
      EXPECT_TRUE(shown.ranOutOfScript);
    } else {
      EXPECT_EQ(code, 2);
      EXPECT_FALSE(shown.ranOutOfScript);
    }
  }
}

TEST_F(Pages, UnattendedEndTakesTheHarmlessChoice) {
  // No script at all: start page No, finish page return to Windows, a fix page Esc.
  EXPECT_EQ(ShowPage(tmpl::kStartPage), 7);
  EXPECT_EQ(ShowPage(tmpl::kFinishPage), 24);
  EXPECT_EQ(ShowPage(tmpl::kSystemIniPage), 2);
  EXPECT_EQ(ShowPage(tmpl::kWriteFailedDialog), 2);
}

TEST_F(Pages, HelpButtonAndF1OpenThePageTopicAndLeaveThePageUp) {
  const std::pair<int, unsigned> pages[] = {
      {tmpl::kPrinterPortPage, 10000},       {tmpl::kPortUnavailablePage, 10001},
      {tmpl::kDeleteFilePage, 10002},        {tmpl::kFilesMissingPage, 10003},
      {tmpl::kRegistryEntriesPage, 10004},   {tmpl::kServerUnreachablePage, 10005},
      {tmpl::kNetworkPrinterUnreachablePage, 10006}, {tmpl::kServerDirectoryPage, 10007},
      {tmpl::kServerDriverFilePage, 10008},  {tmpl::kServerDataFilePage, 10009},
      {tmpl::kServerFileVersionPage, 10010}, {tmpl::kNoNetworkConnectionPage, 10011}};
  for (auto [page, context] : pages) {
    SCOPED_TRACE(page);
    size_t before = script_->HelpShown().size();
    script_->Press(ctl::kHelp).Help().Press(ctl::kExit);
    EXPECT_EQ(ShowPage(page), 20);
    ASSERT_EQ(script_->HelpShown().size(), before + 2);
    EXPECT_EQ(script_->HelpShown()[before].context, context);
    EXPECT_EQ(script_->HelpShown()[before + 1].context, context);
    EXPECT_FALSE(script_->HelpShown()[before].body.empty());
  }
  EXPECT_TRUE(script_->Messages().empty());
}

TEST_F(Pages, F1DoesNothingOnPagesWithoutHelp) {
  for (int page : {tmpl::kSystemIniPage, tmpl::kWinIniPage, tmpl::kVirtualMemoryPage, tmpl::kBidiSupportPage,
                   tmpl::kDosSpoolingPage, tmpl::kOtherPrinterPage, tmpl::kConnectionNotPersistentPage,
                   tmpl::kStartPage, tmpl::kWriteFailedDialog, tmpl::kFinishPage, tmpl::kRegistryReadErrorPage}) {
    SCOPED_TRACE(page);
    StepOutcome.nextStep = kUntouched;
    int exitButton = page == tmpl::kStartPage           ? ctl::kStartNo
                     : page == tmpl::kWriteFailedDialog ? ctl::kCancelWrite
                     : page == tmpl::kFinishPage        ? ctl::kReturn
                                                        : ctl::kExit;
    script_->Help().Press(exitButton);
    ShowPage(page);
    EXPECT_FALSE(script_->Shown().back().ranOutOfScript);
  }
  EXPECT_TRUE(script_->HelpShown().empty());
  EXPECT_TRUE(script_->Messages().empty());
}

TEST_F(Pages, MissingHelpFileOrTopicShowsFailedToLaunchHelp) {
  machine_.Builder().Remove("C:\\WINDOWS\\DXLQ7IN.HLP");
  script_->Press(ctl::kHelp).Press(ctl::kContinue);
  EXPECT_EQ(ShowPage(tmpl::kRegistryEntriesPage), 0);
  ASSERT_EQ(script_->Messages().size(), 1u);
  EXPECT_EQ(script_->Messages()[0], "Failed to launch help.");

  machine_.Builder().File("C:\\WINDOWS\\DXLQ7IN.HLP", dxl::tools::WriteWinHelpFile({"x", 0, {{10000, "x", {"body"}}}}));
  script_->Help().Press(ctl::kExit);
  EXPECT_EQ(ShowPage(tmpl::kFilesMissingPage), 20);
  EXPECT_EQ(script_->Messages().size(), 2u);

  // A damaged help file: the same message, and the page stays up.
  const std::string& good = dxl::tools::StandardHelpFile();
  machine_.Builder().File("C:\\WINDOWS\\DXLQ7IN.HLP", good.substr(0, good.size() - 100));
  script_->Press(ctl::kHelp).Press(ctl::kExit);
  EXPECT_EQ(ShowPage(tmpl::kFilesMissingPage), 20);
  EXPECT_EQ(script_->Messages().size(), 3u);
  EXPECT_TRUE(script_->HelpShown().empty());
}

TEST_F(Pages, PrinterPortPageShowsInstalledPortsAndSelectedPort) {
  theApp().portNumber = 3;
  theApp().printerPorts = "LPT1:";
  script_->Press(ctl::kExit);
  ShowPage(tmpl::kPrinterPortPage);
  EXPECT_EQ(Utf8(ctl::kPrinterPortsLine), "Tavix KRT-310 被连接到 LPT1:。");
  EXPECT_EQ(Utf8(ctl::kSelectedPortLine), "您已选择 LPT3:。");

  theApp().printerPorts = "";
  script_->Press(ctl::kExit);
  ShowPage(tmpl::kPrinterPortPage);
  EXPECT_EQ(Utf8(ctl::kPrinterPortsLine, 1), "Tavix KRT-310 被连接到 。");
}

TEST_F(Pages, FilledLinesOfTheLocalPages) {
  theApp().portNumber = 2;
  otherPrinterNames = {"Printer A", "Printer B"};
  otherPrinterCursor = 1;
  currentFileName = "C:\\WINDOWS\\SYSTEM\\DXLQ7RES.DLL";
  theApp().logPath = "C:\\WINDOWS\\DXL\\25010100.LOG";
  for (int i = 0; i < 4; ++i) script_->Cancel();
  for (int page : {tmpl::kPortUnavailablePage, tmpl::kOtherPrinterPage, tmpl::kDeleteFilePage, tmpl::kWriteFailedDialog})
    ShowPage(page);
  EXPECT_EQ(Utf8(ctl::kUnavailablePortLine, 0), "LPT2: 不可用。");
  EXPECT_EQ(Utf8(ctl::kOtherPrinterLine, 1), "Printer B 被连接到 LPT2:");
  EXPECT_EQ(Utf8(ctl::kLogFileName, 2), "C:\\WINDOWS\\SYSTEM\\DXLQ7RES.DLL 的版本不对。");
  EXPECT_EQ(Utf8(ctl::kWriteFailedLine, 3), "不能写到 C:\\WINDOWS\\DXL\\25010100.LOG。");
}

TEST_F(Pages, InsertsAreTextNotFormats) {
  // A printer name holding format directives shows as it is.
  otherPrinterNames = {"%s %1 %d"};
  script_->Cancel();
  ShowPage(tmpl::kOtherPrinterPage);
  EXPECT_EQ(Utf8(ctl::kOtherPrinterLine), "%s %1 %d 被连接到 LPT1:");
}

TEST_F(Pages, NetworkPagesNameTheServerAndThePrinterOfThePort) {
  machine_.Builder().MachineIni("Connections", "LPT1", "\\\\PRTSERVER\\KRT310");
  for (int i = 0; i < 8; ++i) script_->Cancel();
  for (int page : {tmpl::kServerUnreachablePage, tmpl::kNetworkPrinterUnreachablePage, tmpl::kServerDirectoryPage,
                   tmpl::kServerDriverFilePage, tmpl::kServerDataFilePage, tmpl::kServerFileVersionPage,
                   tmpl::kNoNetworkConnectionPage, tmpl::kConnectionNotPersistentPage})
    ShowPage(page);
  EXPECT_EQ(Utf8(ctl::kServerLine, 0), "不能访问打印服务器 \\\\PRTSERVER。");
  EXPECT_EQ(Utf8(ctl::kNetworkPrinterLine, 1), "不能访问网络打印机 \\\\PRTSERVER\\KRT310。");
  EXPECT_EQ(Utf8(ctl::kServerDirectoryLine, 2), "不能访问目录 \\\\PRTSERVER\\DXL。");
  EXPECT_EQ(Utf8(ctl::kServerDriverFileLine, 3), "打印服务器 \\\\PRTSERVER 中找不到 DXLQ7APD.APD 。");
  EXPECT_EQ(Utf8(ctl::kServerDataFileLine, 4), "打印服务器 \\\\PRTSERVER 中找不到 DXLHRC.BIN 。");
  EXPECT_EQ(Utf8(ctl::kServerFileVersionLine, 5), "打印服务器 \\\\PRTSERVER 中的 DXLQ7APD.APD 的版本不对。");
  EXPECT_EQ(Utf8(ctl::kNoNetworkLine, 6), "LPT1: 没有被连接到网络打印机上。");
  EXPECT_EQ(Utf8(ctl::kNotPersistentLine, 7), "LPT1: 没有被连接到 \\\\PRTSERVER\\KRT310。");
}

TEST_F(Pages, NetworkPagesOfAnUnconnectedPortShowEmptyInserts) {
  script_->Cancel().Cancel();
  ShowPage(tmpl::kServerUnreachablePage);
  ShowPage(tmpl::kServerDirectoryPage);
  EXPECT_EQ(Utf8(ctl::kServerLine, 0), "不能访问打印服务器 。");
  EXPECT_EQ(Utf8(ctl::kServerDirectoryLine, 1), "不能访问目录 \\DXL。");
}

TEST_F(Pages, FixedTextsOfAPageAreShownAsTheTemplateHoldsThem) {
  script_->Cancel();
  ShowPage(tmpl::kSystemIniPage);
  const auto& texts = script_->Shown()[0].controlTexts;
  std::vector<std::string> utf8;
  for (const auto& text : texts) utf8.push_back(w95::Cp936ToUtf8Lossy(text));
  EXPECT_EQ(utf8, (std::vector<std::string>{"SYSTEM.INI 不正确。", "想修正此问题吗？", "是(&Y)", "修正此问题。",
                                            "否(&N)", "不修正此问题。", "退出(&X)", "退出故障排除。"}));
}

TEST_F(Pages, WaitNoticesAreModelessAndGoAwayWithTheirObject) {
  {
    auto files = CreateCheckingFilesDialog();
    auto network = CreateCheckingNetworkDialog();
    EXPECT_EQ(files->TemplateId(), tmpl::kCheckingFilesDialog);
    EXPECT_EQ(network->TemplateId(), tmpl::kCheckingNetworkDialog);
    ASSERT_EQ(script_->Shown().size(), 2u);
    EXPECT_TRUE(script_->Shown()[0].modeless);
    EXPECT_FALSE(script_->Shown()[0].destroyed);
    EXPECT_EQ(w95::Cp936ToUtf8Lossy(script_->Shown()[1].controlTexts[0]), "故障排除程序正在检查网络。");
  }
  EXPECT_TRUE(script_->Shown()[0].destroyed);
  EXPECT_TRUE(script_->Shown()[1].destroyed);
}

TEST_F(Pages, EveryTemplateButTheNoticesHasAPageRow) {
  for (const auto* dialog : AllDialogTemplates()) {
    SCOPED_TRACE(dialog->id);
    EXPECT_EQ(FindPageRow(dialog->id) != nullptr, !dialog->modeless);
    const PageRow* row = FindPageRow(dialog->id);
    if (!row) continue;
    for (const auto& button : row->buttons) {
      if (button.controlId > 1) {
        EXPECT_NE(dialog->Find(button.controlId), nullptr) << button.controlId;
      }
    }
    for (const auto& line : row->lines) {
      if (line.controlId != 0) {
        EXPECT_NE(dialog->Find(line.controlId), nullptr) << line.controlId;
      }
    }
  }
}

}  // namespace
}  // namespace dxl
// clang-format on
