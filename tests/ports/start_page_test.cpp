// The start page on built machines: the system figures, the port list from
// the spooler and the registry, what a chosen entry means, the report header
// on Yes, and the end of the program when the registry cannot be read.
#include "ports/start_page.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/broken_hive.h"
#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "outcome/step_outcome.h"
#include "platform/base/cp936.h"
#include "platform/profile/profile.h"
#include "platform/ui/console_backend.h"
#include "platform/ui/scripted_backend.h"
#include "ports/port_list.h"
#include "ports/report_header.h"
#include "resources/dialog_templates.h"
#include "resources/icons.h"
#include "support/command_output.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;
using w95::ui::ScriptedBackend;

constexpr std::string_view kReportPath = "C:\\WINDOWS\\TEMP\\tshooter.tmp";

std::string Cp936(std::string_view utf8) { return w95::Utf8ToCp936(utf8).value(); }
std::string Utf8(std::string_view cp936) { return w95::Cp936ToUtf8Lossy(cp936); }

std::vector<std::string> Utf8(const std::vector<std::string>& cp936) {
  std::vector<std::string> out;
  for (const auto& text : cp936) out.push_back(Utf8(text));
  return out;
}

// A standard installation (ports LPT1:, LPT2:, COM1:, FILE:) with fixed
// figures and a stopped clock.
class StartPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.InstallWithFixedFigures("2026/12/08 09:05:07");
    ResetProgramState();
    theApp().reportPath = std::string(kReportPath);
    auto backend = std::make_unique<ScriptedBackend>();
    script_ = backend.get();
    w95::ui::SetBackend(std::move(backend));
  }
  void TearDown() override { w95::ui::SetBackend(nullptr); }

  void RemotePrinter(std::string_view keyName) {
    tools::CreateRegistryKey(machine_.Builder(), "HKEY_CLASSES_ROOT\\DXL\\RemotePrinters\\" + std::string(keyName));
    machine_.Activate();
  }
  void Ports(std::string_view section) {
    machine_.Builder().WinIni("[Ports]\r\n" + std::string(section));
    machine_.Activate();
  }
  const w95::ui::ShownDialog& Shown(size_t index = 0) const { return script_->Shown().at(index); }
  std::vector<std::string> Entries() const { return Utf8(Shown().items.at(ctl::kPortList)); }

  TempMachine machine_;
  ScriptedBackend* script_ = nullptr;
};

TEST_F(StartPageTest, ShowsTheFiguresAndTheSortedPortList) {
  tools::AddServer(machine_.Builder(), "PRINTSRV");
  tools::AddPrintShare(machine_.Builder(), "PRINTSRV", "KRT310");
  tools::SetCurrentConnection(machine_.Builder(), 3, "\\\\PRINTSRV\\KRT310");
  RemotePrinter("DXLQ7,LPT4:");
  RemotePrinter("DXLQ7,LPT1:");    // the spooler lists LPT1: itself
  RemotePrinter("DXLQ7-B,LPT4:");  // a second printer on the missing port: one entry
  RemotePrinter("DXLQ7,");         // no port
  RemotePrinter("OTHER,LPT6:");    // not of the family
  script_->Press(ctl::kStartNo);

  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartNo);
  ASSERT_NE(IconXpm(kProgramIcon), nullptr);
  EXPECT_EQ(Shown().windowIcon, IconXpm(kProgramIcon));
  EXPECT_EQ(Shown().texts.at(ctl::kFreeDisk), "512");
  EXPECT_EQ(Shown().texts.at(ctl::kFreeMemory), "16384");
  EXPECT_EQ(Entries(),
            (std::vector<std::string>{"LPT1:[本地]", "LPT2:[本地]", "LPT3:[\\\\PRINTSRV\\KRT310]", "LPT4:[不存在]"}));
  EXPECT_EQ(Utf8(Shown().texts.at(ctl::kPortList)), "LPT1:[本地]");
  EXPECT_EQ(page.selectedPortNumber, 1);
  EXPECT_FALSE(page.selectedPortNotLocal);
  EXPECT_FALSE(machine_.Exists(kReportPath));  // No writes nothing
}

TEST_F(StartPageTest, TheChosenEntryGivesPortNumberAndNetworkFlag) {
  tools::AddServer(machine_.Builder(), "PRINTSRV");
  tools::AddPrintShare(machine_.Builder(), "PRINTSRV", "KRT310");
  tools::SetCurrentConnection(machine_.Builder(), 2, "\\\\PRINTSRV\\KRT310");
  RemotePrinter("DXLQ7,LPT4:");
  struct Case {
    int index;
    std::int32_t number;
    bool notLocal;
  };
  // LPT1:[本地], LPT2:[\\PRINTSRV\KRT310], LPT4:[不存在]
  for (Case c : {Case{2, 4, true}, Case{1, 2, true}, Case{0, 1, false}}) {
    script_->Select(ctl::kPortList, c.index).Press(ctl::kStartNo);
    StartPage page;
    page.DoModal();
    EXPECT_EQ(page.selectedPortNumber, c.number) << "entry " << c.index;
    EXPECT_EQ(page.selectedPortNotLocal, c.notLocal) << "entry " << c.index;
  }
}

TEST_F(StartPageTest, EscapeCloseAndHelpDoNothing) {
  script_->Cancel().Help().Press(ctl::kStartNo);
  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartNo);
  EXPECT_EQ(script_->PendingActions(), 0u);
  EXPECT_TRUE(script_->HelpShown().empty());
  EXPECT_TRUE(script_->Messages().empty());
  EXPECT_FALSE(Shown().ranOutOfScript);
}

TEST_F(StartPageTest, YesStartsANewReportWithItsFourHeaderLines) {
  machine_.Builder().File(std::string(kReportPath), "an earlier walk\r\n");
  w95::WritePrivateProfileStringA("386Enh", "LPT1CECP", "2", "SYSTEM.INI");
  w95::WritePrivateProfileStringA("386Enh", "LPT1CIRQ", "7", "SYSTEM.INI");
  w95::WritePrivateProfileStringA("386Enh", "LPT1CDMA", "3", "SYSTEM.INI");
  script_->Press(ctl::kStartYes);

  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartYes);
  EXPECT_EQ(machine_.Read(kReportPath), Cp936("Tavix KRT-310 on LPT1:[本地] 故障排除 - 2026-12-8 9:05:07\r\n"
                                              "可用磁盘空间: 512 MB\r\n"
                                              "可用内存: 16384 KB\r\n"
                                              "有 DMA 的 ECP， IRQ=7，DMA=3。\r\n"));
  EXPECT_EQ(Utf8(theApp().GetPortDescription()), "LPT1:[本地]");

  // Back at the start page and Yes again: only the second walk's header remains.
  machine_.Builder().MachineIni("Clock", "Now", "2026/12/08 10:00:00");
  script_->Select(ctl::kPortList, 1).Press(ctl::kStartYes);
  StartPage again;
  EXPECT_EQ(again.DoModal(), page_end::StartYes);
  std::string report = Utf8(machine_.Read(kReportPath));
  EXPECT_EQ(report.rfind("Tavix KRT-310 on LPT2:[本地] 故障排除 - 2026-12-8 10:00:00\r\n", 0), 0u) << report;
  EXPECT_EQ(report.find("LPT1:"), std::string::npos);
  EXPECT_EQ(report.substr(report.size() - 23), "标准并行端口。\r\n");
}

TEST_F(StartPageTest, AFailingDiskQueryShowsZero) {
  machine_.Builder().MachineIni("System", "DiskReady", "no");
  script_->Press(ctl::kStartYes);
  StartPage().DoModal();
  EXPECT_EQ(Shown().texts.at(ctl::kFreeDisk), "0");
  std::string report = Utf8(machine_.Read(kReportPath));
  EXPECT_NE(report.find("\r\n可用磁盘空间: 0 MB\r\n"), std::string::npos) << report;
}

TEST_F(StartPageTest, WithoutAParallelPortYesCannotBePressed) {
  Ports("COM1:=9600,n,8,1,x\r\nFILE:=\r\n");
  script_->Press(ctl::kStartYes).Press(ctl::kStartNo);
  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartNo);
  EXPECT_TRUE(Shown().items.at(ctl::kPortList).empty());
  EXPECT_FALSE(Shown().enabled.at(ctl::kStartYes));
  EXPECT_EQ(page.selectedPortNumber, 0);
  EXPECT_TRUE(page.selectedPortNotLocal);
  EXPECT_FALSE(machine_.Exists(kReportPath));
}

TEST_F(StartPageTest, AnEntryThatNamesNoCheckablePortDisablesYesUntilAnotherIsChosen) {
  Ports("");
  RemotePrinter("DXLQ7,FILE:");
  RemotePrinter("DXLQ7,LPT10:");
  RemotePrinter("DXLQ7,LPT7:");
  // FILE:[不存在], LPT10:[不存在], LPT7:[不存在]
  script_->Press(ctl::kStartYes)
      .Select(ctl::kPortList, 1)
      .Press(ctl::kStartYes)
      .Select(ctl::kPortList, 2)
      .Press(ctl::kStartYes);
  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartYes);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"FILE:[不存在]", "LPT10:[不存在]", "LPT7:[不存在]"}));
  EXPECT_FALSE(Shown().enabled.at(ctl::kStartYes));
  EXPECT_EQ(page.selectedPortNumber, 7);
  EXPECT_TRUE(page.selectedPortNotLocal);
  EXPECT_EQ(Utf8(theApp().GetPortDescription()), "LPT7:[不存在]");
}

TEST_F(StartPageTest, ChoosePortReadsOneDigitAndAsksTheSpooler) {
  std::vector<w95::PortInfo2> ports{{"LPT1:", "Local Port", "Local Port", 3}, {"XLPT5:", "", "", 3}};
  auto choose = [&](std::string_view utf8) { return ChoosePort(Cp936(utf8), ports); };
  EXPECT_FALSE(choose("LPT1:[本地]").portNotLocal);
  EXPECT_TRUE(choose("LPT6:[不存在]").portNotLocal);
  EXPECT_EQ(choose("XLPT5:[本地]").portNumber, 5);  // the text before LPT is kept for the comparison
  EXPECT_FALSE(choose("XLPT5:[本地]").portNotLocal);
  EXPECT_TRUE(choose("YLPT5:[本地]").portNotLocal);
  EXPECT_TRUE(choose("LPT1:[\\\\SRV\\P]").portNotLocal);
  EXPECT_TRUE(choose("LPT0:[不存在]").checkable);
  for (std::string_view text : {"", "LPT", "LPT:", "LPTX:", "LPT12:", "\\\\SRV\\P[不存在]"}) {
    PortChoice choice = choose(text);
    EXPECT_FALSE(choice.checkable) << text;
    EXPECT_EQ(choice.portNumber, 0) << text;
    EXPECT_TRUE(choice.portNotLocal) << text;
  }
}

TEST_F(StartPageTest, ThePortModeComesFromTheEntrysFirstFourCharacters) {
  auto mode = [](std::string_view entry) { return Utf8(PortModeLine(Cp936(entry))); };
  EXPECT_EQ(mode("LPT1:[本地]"), "标准并行端口。\r\n");  // no keys at all
  w95::WritePrivateProfileStringA("386Enh", "LPT1CECP", "1", "SYSTEM.INI");
  EXPECT_EQ(mode("LPT1:[本地]"), "无 DMA 的 ECP。\r\n");
  w95::WritePrivateProfileStringA("386Enh", "LPT1CECP", "2", "SYSTEM.INI");
  EXPECT_EQ(mode("LPT1:[本地]"), "有 DMA 的 ECP， IRQ=0，DMA=0。\r\n");
  w95::WritePrivateProfileStringA("386Enh", "LPT1CECP", "5", "SYSTEM.INI");
  EXPECT_EQ(mode("LPT1:[本地]"), "标准并行端口。\r\n");
  w95::WritePrivateProfileStringA("386Enh", "LPT2CECP", "2", "SYSTEM.INI");
  w95::WritePrivateProfileStringA("386Enh", "LPT2CIRQ", "5", "SYSTEM.INI");
  w95::WritePrivateProfileStringA("386Enh", "LPT2CDMA", "1", "SYSTEM.INI");
  EXPECT_EQ(mode("LPT2:[\\\\PRINTSRV\\KRT310]"), "有 DMA 的 ECP， IRQ=5，DMA=1。\r\n");
  EXPECT_EQ(mode("LP"), "标准并行端口。\r\n");  // keys "LPCECP": none
}

TEST_F(StartPageTest, TheEntryIsWrittenWholeAndAsText) {
  std::string entry = "LPT1:[" + std::string(300, 'x') + "]";
  StartReport(std::string(kReportPath), {entry, "512", "16384"});
  std::string report = machine_.Read(kReportPath);
  EXPECT_NE(report.find(entry + " "), std::string::npos);
  // Format marks in an entry (a registry name can hold them) are text like any other.
  StartReport(std::string(kReportPath), {"LPT8:%s%2%d[x]", "1", "1"});
  EXPECT_EQ(machine_.Read(kReportPath).rfind("Tavix KRT-310 on LPT8:%s%2%d[x] ", 0), 0u);
  // The figure fields are read with 16-byte buffers.
  StartReport(std::string(kReportPath), {"LPT1:", "12345678901234567890", "1"});
  EXPECT_NE(Utf8(machine_.Read(kReportPath)).find("可用磁盘空间: 123456789012345 MB\r\n"), std::string::npos);
}

TEST_F(StartPageTest, OnTheConsoleAPortIsChosenByName) {
  std::istringstream in("p LPT2\ny\n");
  std::ostringstream out;
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(in, out));
  StartPage page;
  EXPECT_EQ(page.DoModal(), page_end::StartYes);
  EXPECT_EQ(page.selectedPortNumber, 2);
  EXPECT_FALSE(page.selectedPortNotLocal);
  EXPECT_NE(out.str().find("512"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("LPT2:[本地]"), std::string::npos) << out.str();
  EXPECT_EQ(Utf8(machine_.Read(kReportPath)).rfind("Tavix KRT-310 on LPT2:[本地] 故障排除", 0), 0u);

  // At the end of input the page takes its harmless choice.
  std::istringstream none("");
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(none, out));
  EXPECT_EQ(StartPage().DoModal(), page_end::StartNo);
}

// The program itself on the console, its answers piped in: exit code and output.
std::pair<int, std::string> RunProgram(const TempMachine& machine, std::string_view answers) {
  return testing::CommandOutput("printf '" + std::string(answers) + "' | HOME='" + machine.Root().string() +
                                "' TSHOOTER_UI=console TSHOOTER_ROOT='" + machine.Root().string() + "' '" +
                                DXLQ7TRS_BINARY + "' 2>&1");
}

TEST_F(StartPageTest, AnUnreadableRegistryEndsTheProgramAfterItsErrorPage) {
  tools::BreakSystemHive(machine_.Builder());
  machine_.Activate();
  ASSERT_FALSE(CanReadClassesRoot());
  const std::string hive = machine_.Read(machine_.HiveFile());

  auto [code, output] = RunProgram(machine_, "x\\n");
  EXPECT_EQ(code, 1);
  EXPECT_NE(output.find("[148] ==="), std::string::npos) << output;
  EXPECT_NE(output.find("读取登记项目时出现错误。"), std::string::npos) << output;
  EXPECT_EQ(output.find("[102]"), std::string::npos) << output;  // the start page never came up
  EXPECT_EQ(machine_.Read(machine_.HiveFile()), hive);
  EXPECT_FALSE(machine_.Exists(kReportPath));
}

TEST_F(StartPageTest, TheProgramOffersOnlyNoWithoutAParallelPort) {
  Ports("COM1:=\r\n");
  auto [code, output] = RunProgram(machine_, "y\\n\\n");  // Yes and Enter are refused; the input ends: No
  EXPECT_EQ(code, 0);
  EXPECT_NE(output.find("(disabled)"), std::string::npos) << output;
  EXPECT_NE(output.find("(end of input)"), std::string::npos) << output;
  EXPECT_FALSE(machine_.Exists(kReportPath));
}

}  // namespace
}  // namespace dxl
