// The wizard driver through the scripted backend on built machines: the pages
// it shows for each state, its report lines, the fixes it applies, the walk
// over other printers, the closing lines and the finish page with the restart.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "machine_builder/parallel_ports.h"
#include "machine_builder/printing_files.h"
#include "machine_builder/registry_faults.h"
#include "outcome/step_outcome.h"
#include "platform/base/cp936.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/scripted_backend.h"
#include "port_object/port.h"
#include "resources/dialog_templates.h"
#include "support/program_test.h"

namespace dxl {
namespace {

namespace tools = dxl::tools;

using ctl::kBack, ctl::kChangeFileName, ctl::kContinue, ctl::kExit, ctl::kNo, ctl::kOk, ctl::kPortList, ctl::kRestart,
    ctl::kReturn, ctl::kSaveResults, ctl::kStartNo, ctl::kStartYes, ctl::kYes;

std::string Without(std::string text, std::string_view line) {
  text.erase(text.find(line), line.size());
  return text;
}

class Driver : public testing::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
  }

  w95::ui::ScriptedBackend& Script() { return *script_; }
  void RunWizard() { EXPECT_EQ(theApp().WizardDriver(), 0); }
  std::vector<int> Pages() const { return ModalPages(); }
  // The notice of `templateId`, or nullptr.
  const w95::ui::ShownDialog* Notice(int templateId) const {
    for (const auto& shown : script_->Shown())
      if (shown.modeless && shown.templateId == templateId) return &shown;
    return nullptr;
  }
  // The saved report as UTF-8.
  std::string Log() const { return w95::Cp936ToUtf8Lossy(machine_.Read(theApp().logPath)); }
  // The log's lines after the header and the engine's first lines.
  std::string LogFrom(std::string_view text) const {
    std::string log = Log();
    auto at = log.find(text);
    return at == std::string::npos ? "<not found in>\n" + log : log.substr(at);
  }
};

TEST_F(Driver, NoOnTheStartPageLeavesWithoutReportOrResults) {
  Script().Press(kStartNo);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage}));
  EXPECT_FALSE(machine_.Exists(theApp().reportPath));
}

TEST_F(Driver, CorrectLocalSetUpShowsOnlyTheResults) {
  Script().Press(kStartYes).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kResultsDialog}));
  EXPECT_TRUE(Log().ends_with("所有文件的版本正确。\r\n故障排除完成。\r\nTavix KRT-310 on LPT1:[本地] 设定正确。\r\n"))
      << Log();
  EXPECT_FALSE(machine_.Exists(theApp().reportPath));
}

TEST_F(Driver, TwoMissingDriversAnsweredNoGetALineEach) {
  std::string systemIni = Without(tools::StandardSystemIni(), "device=DXLCPEPY.386\r\n");
  Builder().SystemIni(Without(systemIni, "device=DXLQ7EM.386\r\n"));
  Script().Press(kStartYes).Press(kNo).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kSystemIniPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: SYSTEM.INI 中遗漏 device=DXLCPEPY.386 - 未修正\r\n"
            "错误: SYSTEM.INI 中遗漏 device=DXLQ7EM.386 - 未修正\r\n"
            "WIN.INI 正确。\r\n"
            "虚拟内存被启用。\r\n"
            "本打印机的双向支持被启用。\r\n"
            "\"MS-DOS 后台打印\"被启用\r\n"
            "登记项目正确。\r\n"
            "所有文件的版本正确。\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n");
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI"), Builder().Read("C:\\WINDOWS\\SYSTEM.INI"));
}

TEST_F(Driver, FixesAreAppliedAndTheRestartCarriesOutTheRenames) {
  std::string systemIni = Without(tools::StandardSystemIni(), "device=DXLBANDS.386\r\n");
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  Builder().SystemIni(systemIni);
  Builder().File("C:\\OLD.TXT", "old").File("C:\\WINDOWS\\WININIT.INI", "[Rename]\r\nNUL=C:\\OLD.TXT\r\n");
  Script().Press(kStartYes).Press(kYes).Press(kYes).Press(kOk).Press(kRestart);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kSystemIniPage, tmpl::kVirtualMemoryPage,
                                       tmpl::kResultsDialog, tmpl::kFinishPage}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: SYSTEM.INI 中遗漏 device=DXLBANDS.386 - 已修正\r\n"
            "WIN.INI 正确。\r\n"
            "错误: 虚拟内存被取消 - 已修正\r\n"
            "本打印机的双向支持被启用。\r\n"
            "\"MS-DOS 后台打印\"被启用\r\n"
            "登记项目正确。\r\n"
            "所有文件的版本正确。\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n"
            "重新启动 Windows。\r\n");
  std::string fixed = machine_.Read("C:\\WINDOWS\\SYSTEM.INI");
  EXPECT_NE(fixed.find("device=DXLBANDS.386"), std::string::npos);
  EXPECT_EQ(fixed.find("Paging=off"), std::string::npos);
  EXPECT_FALSE(machine_.Exists("C:\\OLD.TXT"));
  EXPECT_TRUE(machine_.Exists("C:\\WINDOWS\\WININIT.BAK"));
}

TEST_F(Driver, ExitOnAFixPageBeforeTheFilesEndsAsStoppedWithAnError) {
  Builder().SystemIni(Without(tools::StandardSystemIni(), "device=DXLQ7EM.386\r\n"));
  Script().Press(kStartYes).Press(kExit).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kSystemIniPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: SYSTEM.INI 中遗漏 device=DXLQ7EM.386 - 未修正\r\n"
            "故障排除被用户中止。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n");
}

TEST_F(Driver, EachOtherPrinterIsAskedAboutUntilTheUserLeaves) {
  auto& b = Builder();
  std::string winIni = tools::StandardWinIni();
  winIni.insert(winIni.find("[Devices]\r\n") + 11, "HP=HPPCL,LPT1:\r\nPlotter=PLOT,LPT1:\r\nFax=FAX,LPT1:\r\n");
  b.WinIni(winIni);
  for (const char* printer : {"HP", "Plotter", "Fax"})
    tools::InstallSpoolerPrinter(b, printer, "LPT1:", w95::PRINTER_ATTRIBUTE_LOCAL);
  machine_.Activate();
  Script().Press(kStartYes).Press(kYes).Press(kExit).Press(kOk).Press(kReturn);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kOtherPrinterPage, tmpl::kOtherPrinterPage,
                                       tmpl::kResultsDialog, tmpl::kFinishPage}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: HP 被连接到 LPT1: - 已修正\r\n"
            "错误: Plotter 被连接到 LPT1: - 未修正\r\n"
            "故障排除被用户中止。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n"
            "返回 Windows。\r\n");
  std::string devices = machine_.Read("C:\\WINDOWS\\WIN.INI");
  EXPECT_NE(devices.find("HP=HPPCL,FILE:"), std::string::npos) << devices;
  EXPECT_NE(devices.find("Plotter=PLOT,LPT1:"), std::string::npos);
}

TEST_F(Driver, LongPrinterNameReachesTheReportWhole) {
  const std::string name(300, 'P');
  std::string winIni = tools::StandardWinIni();
  winIni.insert(winIni.find("[Devices]\r\n") + 11, name + "=PDRV,LPT1:\r\n");
  Builder().WinIni(winIni);
  Script().Press(kStartYes).Press(kNo).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kOtherPrinterPage, tmpl::kResultsDialog}));
  EXPECT_NE(Log().find("错误: " + name + " 被连接到 LPT1: - 未修正\r\nSYSTEM.INI 正确。"), std::string::npos) << Log();
}

TEST_F(Driver, BackOnThePrinterPortPageStartsANewReport) {
  Script().Select(kPortList, 1).Press(kStartYes).Press(kBack).Select(kPortList, 0).Press(kStartYes).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(),
            (std::vector<int>{tmpl::kStartPage, tmpl::kPrinterPortPage, tmpl::kStartPage, tmpl::kResultsDialog}));
  EXPECT_EQ(Log().find("LPT2"), std::string::npos) << Log();
  EXPECT_TRUE(Log().ends_with("Tavix KRT-310 on LPT1:[本地] 设定正确。\r\n"));
}

TEST_F(Driver, ContinueOnThePrinterPortPageSkipsThePortChecks) {
  Script().Select(kPortList, 1).Press(kStartYes).Press(kContinue).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kPrinterPortPage, tmpl::kResultsDialog}));
  EXPECT_TRUE(theApp().skipPortChecks);
  EXPECT_EQ(LogFrom("错误"),
            "错误: Tavix KRT-310 被连接到 LPT1:。\r\n"
            "SYSTEM.INI 正确。\r\n"
            "WIN.INI 正确。\r\n"
            "虚拟内存被启用。\r\n"
            "本打印机的双向支持被启用。\r\n"
            "所有文件的版本正确。\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT2:[本地] 设定不正确。\r\n");
}

TEST_F(Driver, ContinueOnThePortPageResumesWithTheOtherPrinters) {
  tools::SetParallelPort(Builder(), 1, w95::PortHardware::Absent);
  machine_.Activate();
  Script().Press(kStartYes).Press(kContinue).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kPortUnavailablePage, tmpl::kResultsDialog}));
  EXPECT_NE(Log().find("错误: LPT1: 端口驱动程序运转不正常。\r\n"
                       "Tavix KRT-310 以外的打印机没有被连接到 LPT1:\r\n"),
            std::string::npos)
      << Log();
  EXPECT_TRUE(Log().ends_with("故障排除完成。\r\nTavix KRT-310 on LPT1:[本地] 设定不正确。\r\n")) << Log();
}

TEST_F(Driver, EscOnAFixPageLeavesTheProblemAndGoesToTheResults) {
  Builder().WinIni(Without(tools::StandardWinIni(), "DXLHRC.EXE"));
  Script().Press(kStartYes).Cancel().Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kWinIniPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: WIN.INI 中遗漏 load=DXLHRC.EXE - 未修正\r\n"
            "故障排除被用户中止。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。\r\n");
  EXPECT_FALSE(theApp().restartNeeded);
}

TEST_F(Driver, ExitOnTheFilesPageStopsTheRunAndAsksForTheSetUpProgram) {
  tools::RemovePrintingFile(Builder(), "DXLQ7PSM.DLL");
  Script().Press(kStartYes).Press(kExit).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kFilesMissingPage, tmpl::kResultsDialog}));
  EXPECT_TRUE(Log().ends_with("故障排除被用户中止。\r\nTavix KRT-310 on LPT1:[本地] 设定不正确。 请运行安装程序。\r\n"))
      << Log();
}

TEST_F(Driver, ContinueOnTheRegistryPageGoesOnWithTheFiles) {
  tools::BreakRegistryEntry(Builder(), tools::RegistryEntry::Driver, tools::EntryFault::Wrong);
  machine_.Activate();
  Script().Press(kStartYes).Press(kContinue).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kRegistryEntriesPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("错误"),
            "错误: 登记项目不正确。\r\n"
            "所有文件的版本正确。\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT1:[本地] 设定不正确。 请运行安装程序。\r\n");
}

TEST_F(Driver, RestartWithoutSavedResultsWritesToNoLog) {
  Builder().SystemIni(Without(tools::StandardSystemIni(), "device=DXLQ7EM.386\r\n"));
  Builder().File("C:\\OLD.TXT", "old").File("C:\\WINDOWS\\WININIT.INI", "[Rename]\r\nNUL=C:\\OLD.TXT\r\n");
  Script().Press(kStartYes).Press(kYes).Press(kSaveResults).Press(kOk).Press(kRestart);
  RunWizard();
  EXPECT_EQ(Pages(),
            (std::vector<int>{tmpl::kStartPage, tmpl::kSystemIniPage, tmpl::kResultsDialog, tmpl::kFinishPage}));
  EXPECT_FALSE(machine_.Exists(theApp().logPath));
  EXPECT_FALSE(machine_.Exists(theApp().reportPath));
  EXPECT_FALSE(machine_.Exists("C:\\OLD.TXT"));  // Windows was still asked to restart
}

TEST_F(Driver, ReturnWithoutSavedResultsLeavesAnOlderLogOfThatNameAlone) {
  Builder().SystemIni(Without(tools::StandardSystemIni(), "device=DXLQ7EM.386\r\n"));
  Builder().File("C:\\WINDOWS\\DXL\\OLD.LOG", "an older run\r\n");
  Script().Press(kStartYes).Press(kYes);
  Script().Press(kChangeFileName).SaveAs("C:\\WINDOWS\\DXL\\OLD.LOG").Press(kSaveResults).Press(kOk).Press(kReturn);
  RunWizard();
  EXPECT_EQ(Pages(),
            (std::vector<int>{tmpl::kStartPage, tmpl::kSystemIniPage, tmpl::kResultsDialog, tmpl::kFinishPage}));
  EXPECT_TRUE(theApp().logPath.ends_with("OLD.LOG"));
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\DXL\\OLD.LOG"), "an older run\r\n");
}

// A port redirected to a shared printer whose server holds the right files.
class NetworkDriver : public Driver {
 protected:
  void SetUp() override {
    Driver::SetUp();
    auto& b = Builder();
    tools::InstallPortKeys(b, "LPT2:", true);
    tools::AddServer(b, "PRINTSRV");
    tools::AddShare(b, "PRINTSRV", "DXL");
    tools::AddPrintShare(b, "PRINTSRV", "KRT310");
    const auto& apd = tools::StandardPrintingFile("DXLQ7APD.APD");
    std::string installed = b.Read(tools::PrintingFilePath(b, apd.directory, apd.name));
    tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", installed, apd.stamp);
    tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "data");
    tools::SetCurrentConnection(b, 2, "\\\\PRINTSRV\\KRT310");
    machine_.Activate();
  }
};

TEST_F(NetworkDriver, ConnectionMadePersistentAndTheChecksGoOn) {
  Script().Select(kPortList, 1).Press(kStartYes).Press(kYes).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kConnectionNotPersistentPage, tmpl::kResultsDialog}));
  ASSERT_NE(Notice(tmpl::kCheckingNetworkDialog), nullptr);
  EXPECT_TRUE(Notice(tmpl::kCheckingNetworkDialog)->destroyed);
  EXPECT_EQ(LogFrom("网络"),
            "网络错误: LPT2: 没有被连接到 \\\\PRINTSRV\\KRT310。 - 已修正\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n");
  EXPECT_FALSE(theApp().restartNeeded);
  std::string userReg = w95::Cp936ToUtf8Lossy(machine_.HiveText(true));
  EXPECT_NE(userReg.find("[HKEY_CURRENT_USER\\Network\\Persistent\\LPT2]"), std::string::npos) << userReg;
}

TEST_F(NetworkDriver, AConnectionThatCannotBeMadePersistentIsReportedNotMended) {
  // The user hive is read-only: the connection cannot be remembered.
  const std::string userReg = machine_.Read(machine_.HiveFile(true));
  ASSERT_EQ(chmod(Builder().HostPath(machine_.HiveFile(true)).c_str(), 0444), 0);
  Script().Select(kPortList, 1).Press(kStartYes).Press(kYes).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kConnectionNotPersistentPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("网络"),
            "网络错误: LPT2: 没有被连接到 \\\\PRINTSRV\\KRT310。 - 未修正\r\n"
            "故障排除完成。\r\n"
            "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n");
  EXPECT_EQ(machine_.Read(machine_.HiveFile(true)), userReg);
  EXPECT_EQ(Port("LPT2:").GetRemoteName(), "\\\\PRINTSRV\\KRT310");  // the port keeps its connection
}

TEST_F(NetworkDriver, ContinueOnANetworkFailureEndsTheChecks) {
  tools::SetServerReachable(Builder(), "PRINTSRV", false);
  machine_.Activate();
  Script().Select(kPortList, 1).Press(kStartYes).Press(kContinue).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kServerUnreachablePage, tmpl::kResultsDialog}));
  EXPECT_TRUE(
      Log().ends_with("网络错误: 不能访问打印服务器 \\\\PRINTSRV。\r\n"
                      "故障排除完成。\r\n"
                      "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n"))
      << Log();
}

TEST_F(NetworkDriver, ContinueWithoutTheDataFileComparesTheDriverFileSilently) {
  tools::SetCurrentConnection(Builder(), 2, std::nullopt);
  tools::AddPersistentConnection(Builder(), 2, "\\\\PRINTSRV\\KRT310");
  Builder().Remove(tools::ServerDirectory("PRINTSRV") + "\\DXL\\DXLHRC.BIN");
  machine_.Activate();
  Script().Select(kPortList, 1).Press(kStartYes).Press(kContinue).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kServerDataFilePage, tmpl::kResultsDialog}));
  EXPECT_TRUE(
      Log().ends_with("所有文件的版本正确。\r\n"
                      "网络错误: \\\\PRINTSRV\\DXL\\DXLHRC.BIN 未找到。\r\n"
                      "故障排除完成。\r\n"
                      "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n"))
      << Log();
}

TEST_F(NetworkDriver, ExitOnThePersistencePageStopsTheRunWithoutTheFix) {
  Script().Select(kPortList, 1).Press(kStartYes).Press(kExit).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kConnectionNotPersistentPage, tmpl::kResultsDialog}));
  EXPECT_EQ(LogFrom("网络"),
            "网络错误: LPT2: 没有被连接到 \\\\PRINTSRV\\KRT310。 - 未修正\r\n"
            "故障排除被用户中止。\r\n"
            "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n");
  std::string userReg = w95::Cp936ToUtf8Lossy(machine_.HiveText(true));
  EXPECT_EQ(userReg.find("Persistent\\LPT2"), std::string::npos) << userReg;
}

TEST_F(NetworkDriver, ExitOnTheDataFilePageStopsTheRun) {
  tools::SetCurrentConnection(Builder(), 2, std::nullopt);
  tools::AddPersistentConnection(Builder(), 2, "\\\\PRINTSRV\\KRT310");
  Builder().Remove(tools::ServerDirectory("PRINTSRV") + "\\DXL\\DXLHRC.BIN");
  machine_.Activate();
  Script().Select(kPortList, 1).Press(kStartYes).Press(kExit).Press(kOk);
  RunWizard();
  EXPECT_EQ(Pages(), (std::vector<int>{tmpl::kStartPage, tmpl::kServerDataFilePage, tmpl::kResultsDialog}));
  EXPECT_TRUE(
      Log().ends_with("网络错误: \\\\PRINTSRV\\DXL\\DXLHRC.BIN 未找到。\r\n"
                      "故障排除被用户中止。\r\n"
                      "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n"))
      << Log();
}

TEST_F(NetworkDriver, ExitOnANetworkPageStopsTheRun) {
  tools::SetServerReachable(Builder(), "PRINTSRV", false);
  machine_.Activate();
  Script().Select(kPortList, 1).Press(kStartYes).Cancel().Press(kOk);
  RunWizard();
  EXPECT_TRUE(
      Log().ends_with("故障排除被用户中止。\r\n"
                      "Tavix KRT-310 on LPT2:[\\\\PRINTSRV\\KRT310] 的网络设定不正确。\r\n"))
      << Log();
}

}  // namespace
}  // namespace dxl
