// The check step engine on built machines: which lines each step writes, where
// it stops, what it leaves for the driver, and the jumps of network ports and
// of a machine without the printer.
#include <gtest/gtest.h>

#include <filesystem>

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
#include "support/program_test.h"

namespace dxl {
namespace {

namespace tools = dxl::tools;

class Engine : public testing::ProgramTest {
 protected:
  // The report as UTF-8; empty when there is none.
  std::string Report() const { return w95::Cp936ToUtf8Lossy(ReportBytes()); }
  bool HasReport() const { return machine_.Exists(kReport); }
  int Run(int step) { return theApp().RunCheckStep(step); }
  // Leaves the installed-files step failing at once, so that the local steps
  // before it can be run in a row.
  void WithoutSetupInformation() { Builder().Remove(Builder().InSystem("DXLQ7SET.INF")); }
};

TEST_F(Engine, StepNumbersAboveTheLastAndNegativeOnesFinishTheChecksAtOnce) {
  for (int step : {18, 1000, -1}) {
    StepOutcome = {RunNextStep, 5};
    EXPECT_EQ(Run(step), 1);
    EXPECT_EQ(StepOutcome.result, ChecksFinished);
    EXPECT_EQ(StepOutcome.nextStep, 5);
  }
  EXPECT_FALSE(HasReport());
}

TEST_F(Engine, LocalStepsThatPassRunInOneCallWritingALineEach) {
  WithoutSetupInformation();
  EXPECT_EQ(Run(0), 0);
  EXPECT_EQ(Report(),
            "Tavix KRT-310 被连接到 LPT1:。\r\n"
            "LPT1: 端口驱动程序运转正常。\r\n"
            "Tavix KRT-310 以外的打印机没有被连接到 LPT1:\r\n"
            "SYSTEM.INI 正确。\r\n"
            "WIN.INI 正确。\r\n"
            "虚拟内存被启用。\r\n"
            "本打印机的双向支持被启用。\r\n"
            "\"MS-DOS 后台打印\"被启用\r\n"
            "登记项目正确。\r\n");
  // The set-up information cannot be read: the installed-files page, no line of the engine's.
  EXPECT_EQ(StepOutcome.result, InstalledFilesWrong);
  EXPECT_EQ(StepOutcome.nextStep, 9);
  EXPECT_EQ(theApp().statusFlags, 0);
}

TEST_F(Engine, FullyCorrectLocalSetUpFinishesInOneCall) {
  EXPECT_EQ(Run(0), 1);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(StepOutcome.nextStep, 10);
  std::string report = Report();
  EXPECT_TRUE(report.starts_with("Tavix KRT-310 被连接到 LPT1:。\r\n")) << report;
  EXPECT_TRUE(report.ends_with("登记项目正确。\r\n所有文件的版本正确。\r\n")) << report;
  EXPECT_EQ(theApp().statusFlags, RunCompleted);
  EXPECT_FALSE(theApp().networkWaitShown);
}

TEST_F(Engine, NoPrinterOfTheFamilyJumpsToTheRegistryCheckWithoutALine) {
  tools::DeleteRegistryKey(Builder(), "HKEY_CLASSES_ROOT\\DXL\\LocalPrinters");
  machine_.Activate();
  EXPECT_EQ(Run(0), 0);
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  EXPECT_EQ(StepOutcome.nextStep, 8);
  EXPECT_TRUE(theApp().skipPortChecks);
  EXPECT_FALSE(HasReport());

  // Reached later with skipPortChecks, the MS-DOS spooling step jumps past the registry check.
  StepOutcome.nextStep = 7;
  EXPECT_EQ(Run(7), 0);
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  EXPECT_EQ(StepOutcome.nextStep, 9);
  EXPECT_FALSE(HasReport());
}

TEST_F(Engine, PrinterInstalledOnAnotherPortIsAnError) {
  theApp().portNumber = 2;
  EXPECT_EQ(Run(0), 0);
  EXPECT_EQ(Report(), "错误: Tavix KRT-310 被连接到 LPT1:。\r\n");
  EXPECT_EQ(theApp().statusFlags, ErrorRecorded);
  EXPECT_EQ(StepOutcome.result, PrinterOnOtherPort);
  EXPECT_EQ(theApp().printerPorts, "LPT1:");
}

TEST_F(Engine, PortThatCannotBeOpenedIsAnError) {
  tools::SetParallelPort(Builder(), 1, w95::PortHardware::Absent);
  EXPECT_EQ(Run(1), 0);
  EXPECT_EQ(Report(), "错误: LPT1: 端口驱动程序运转不正常。\r\n");
  EXPECT_EQ(theApp().statusFlags, ErrorRecorded);
  EXPECT_EQ(StepOutcome.result, PortDriverFault);
}

TEST_F(Engine, OtherPrintersOnThePortAreListedWithoutALine) {
  otherPrinterNames = {"left over"};
  std::string winIni = tools::StandardWinIni();
  winIni.insert(winIni.find("[Devices]\r\n") + 11, "HP LaserJet=HPPCL,LPT1:\r\nPlotter=PLOT,LPT1:\r\n");
  Builder().WinIni(winIni);
  EXPECT_EQ(Run(2), 0);
  EXPECT_EQ(StepOutcome.result, OtherPrinterOnPort);
  EXPECT_EQ(otherPrinterNames, (std::vector<std::string>{"HP LaserJet", "Plotter"}));
  EXPECT_FALSE(HasReport());
}

TEST_F(Engine, IniStepsLeaveTheirFindings) {
  iniFindings = 7;
  WithoutSetupInformation();
  Run(3);
  EXPECT_EQ(iniFindings, 0);  // steps 3 and 4 passed
  std::filesystem::remove(Builder().HostPath(kReport));

  std::string systemIni = tools::StandardSystemIni();
  for (const char* line : {"device=DXLCPEPY.386\r\n", "device=DXLQ7EM.386\r\n"})
    systemIni.erase(systemIni.find(line), std::string_view(line).size());
  Builder().SystemIni(systemIni);
  EXPECT_EQ(Run(3), 0);
  EXPECT_EQ(StepOutcome.result, SystemIniIncomplete);
  EXPECT_EQ(iniFindings, 5);
  EXPECT_FALSE(HasReport());

  Builder().SystemIni(tools::StandardSystemIni());
  std::string winIni = tools::StandardWinIni();
  winIni.replace(winIni.find("load=DXLHRC.EXE"), 15, "load=");
  Builder().WinIni(winIni);
  EXPECT_EQ(Run(3), 0);
  EXPECT_EQ(StepOutcome.result, WinIniIncomplete);
  EXPECT_EQ(iniFindings, 1);
  EXPECT_EQ(StepOutcome.nextStep, 4);
  EXPECT_EQ(Report(), "SYSTEM.INI 正确。\r\n");
}

TEST_F(Engine, SettingsThatAreOffStopWithTheirPagesAndNoLine) {
  std::string systemIni = tools::StandardSystemIni();
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  Builder().SystemIni(systemIni);
  EXPECT_EQ(Run(5), 0);
  EXPECT_EQ(StepOutcome.result, VirtualMemoryOff);

  tools::SetPrinterAttributes(Builder(), tools::kPrinterName, w95::PRINTER_ATTRIBUTE_LOCAL);
  tools::SetDosSpoolMask(Builder(), 0xFE);
  machine_.Activate();
  EXPECT_EQ(Run(6), 0);
  EXPECT_EQ(StepOutcome.result, BidiSupportOff);
  EXPECT_EQ(Run(7), 0);
  EXPECT_EQ(StepOutcome.result, DosSpoolingOff);
  EXPECT_FALSE(HasReport());
  EXPECT_EQ(theApp().statusFlags, 0);
}

TEST_F(Engine, WrongRegistryEntryAsksForTheSetUpProgram) {
  tools::BreakRegistryEntry(Builder(), tools::RegistryEntry::Module, tools::EntryFault::Missing);
  machine_.Activate();
  EXPECT_EQ(Run(8), 0);
  EXPECT_EQ(Report(), "错误: 登记项目不正确。\r\n");
  EXPECT_EQ(theApp().statusFlags, ErrorRecorded | RerunSetup);
  EXPECT_EQ(StepOutcome.result, RegistryEntriesWrong);
}

TEST_F(Engine, LeavingOnAPageOfTheFileCheckKeepsTheEndOfTheChecks) {
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "2.10.0.1");
  script_->Press(1014);  // Exit on the delete-file page
  StepOutcome.nextStep = 9;
  EXPECT_EQ(Run(9), 0);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(StepOutcome.nextStep, 9);
  EXPECT_EQ(theApp().statusFlags & RunCompleted, 0);
}

}  // namespace
}  // namespace dxl
