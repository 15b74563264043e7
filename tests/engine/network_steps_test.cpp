// The engine on a port redirected to a shared printer: the jumps of the local
// steps, the network notice, each network step's failure line and result, and
// the comparison of the server's driver file.
#include <gtest/gtest.h>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/hives.h"
#include "machine_builder/network_builder.h"
#include "outcome/step_outcome.h"
#include "platform/base/cp936.h"
#include "platform/ui/scripted_backend.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;
namespace tools = dxl::tools;

constexpr const char* kReport = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
constexpr const char* kRemote = "\\\\PRINTSRV\\KRT310";
constexpr const char* kStamp = "1997/07/01 12:00:00";

class NetworkSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& b = machine_.Builder();
    b.InstallPrintingSystem();
    tools::InstallPortKeys(b, "LPT2:", true);
    tools::AddServer(b, "PRINTSRV");
    tools::AddShare(b, "PRINTSRV", "DXL");
    tools::AddPrintShare(b, "PRINTSRV", "KRT310");
    tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", std::string(100, 'a'), kStamp);
    tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "data");
    tools::AddPersistentConnection(b, 2, kRemote);
    machine_.Activate();
    ResetProgramState();
    auto& app = theApp();
    app.reportPath = kReport;
    app.portNumber = 2;
    app.portNotLocal = true;
    app.apdRequirement = {"DXLQ7APD.APD", "1997/07/01", "12:00:00", "100", "0"};
    auto backend = std::make_unique<w95::ui::ScriptedBackend>();
    script_ = backend.get();
    w95::ui::SetBackend(std::move(backend));
  }
  void TearDown() override {
    theApp().networkWaitDialog.reset();
    w95::ui::SetBackend(nullptr);
  }

  tools::MachineBuilder& Builder() { return machine_.Builder(); }
  std::string Report() const { return w95::Cp936ToUtf8Lossy(machine_.Read(kReport)); }
  int Run(int step) { return theApp().RunCheckStep(step); }
  // Makes the port's connection a current one that is not persistent.
  void OnlyCurrentConnection() {
    tools::DeleteRegistryKey(Builder(), "HKEY_CURRENT_USER\\Network\\Persistent\\LPT2");
    tools::SetCurrentConnection(Builder(), 2, kRemote);
    machine_.Activate();
  }

  TempMachine machine_;
  w95::ui::ScriptedBackend* script_ = nullptr;
};

TEST_F(NetworkSteps, LocalPortChecksAreSkippedForANetworkPort) {
  EXPECT_EQ(Run(0), 0);
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  EXPECT_EQ(StepOutcome.nextStep, 2);
  EXPECT_EQ(Run(2), 0);
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  EXPECT_EQ(StepOutcome.nextStep, 8);
  EXPECT_EQ(Report(),
            "Tavix KRT-310 被连接到 LPT1:,LPT2:。\r\n"
            "Tavix KRT-310 以外的打印机没有被连接到 LPT2:\r\n"
            "SYSTEM.INI 正确。\r\n"
            "WIN.INI 正确。\r\n"
            "虚拟内存被启用。\r\n");
}

TEST_F(NetworkSteps, RightNetworkSetUpRunsToTheEndBehindTheNotice) {
  EXPECT_EQ(Run(10), 1);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(StepOutcome.nextStep, 18);
  EXPECT_EQ(Report(), "网络的所有设定正确。\r\n");
  ASSERT_EQ(script_->Shown().size(), 1u);
  EXPECT_EQ(script_->Shown()[0].templateId, 150);
  EXPECT_TRUE(script_->Shown()[0].modeless);
  EXPECT_TRUE(theApp().networkWaitShown);
  EXPECT_FALSE(script_->Shown()[0].destroyed);  // up until the driver's closing sequence
}

TEST_F(NetworkSteps, LocalPortEndsTheChecksAtStepTen) {
  theApp().portNotLocal = false;
  EXPECT_EQ(Run(10), 1);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_TRUE(script_->Shown().empty());
  EXPECT_FALSE(machine_.Exists(kReport));
}

TEST_F(NetworkSteps, PortWithoutConnection) {
  tools::DeleteRegistryKey(Builder(), "HKEY_CURRENT_USER\\Network\\Persistent\\LPT2");
  machine_.Activate();
  EXPECT_EQ(Run(10), 0);
  EXPECT_EQ(StepOutcome.result, NoNetworkConnection);
  EXPECT_EQ(Report(), "网络错误: LPT2: 没有被连接到网络打印机上。\r\n");
  EXPECT_TRUE(theApp().networkWaitShown);
}

TEST_F(NetworkSteps, ServerThatDoesNotAnswer) {
  tools::SetServerReachable(Builder(), "PRINTSRV", false);
  machine_.Activate();
  EXPECT_EQ(Run(10), 0);
  EXPECT_EQ(StepOutcome.result, ServerUnreachable);
  EXPECT_EQ(StepOutcome.nextStep, 11);
  EXPECT_EQ(Report(), "网络错误: 不能访问打印服务器 \\\\PRINTSRV。\r\n");
}

TEST_F(NetworkSteps, ServerWithoutPrinters) {
  auto& b = Builder();
  tools::AddServer(b, "DISKSRV");
  tools::AddShare(b, "DISKSRV", "DXL");
  tools::AddPersistentConnection(b, 2, "\\\\DISKSRV\\KRT310");
  machine_.Activate();
  EXPECT_EQ(Run(11), 0);
  EXPECT_EQ(StepOutcome.result, NetworkPrinterUnreachable);
  EXPECT_EQ(Report(), "网络错误: 不能访问网络打印机 \\\\DISKSRV\\KRT310。\r\n");
}

TEST_F(NetworkSteps, ConnectionThatIsNotPersistentHasNoLine) {
  OnlyCurrentConnection();
  EXPECT_EQ(Run(10), 0);
  EXPECT_EQ(StepOutcome.result, ConnectionNotPersistent);
  EXPECT_EQ(StepOutcome.nextStep, 13);
  EXPECT_FALSE(machine_.Exists(kReport));
}

TEST_F(NetworkSteps, ServerWithoutItsDirectoryOrFiles) {
  // An empty share lists nothing at all; this one keeps a file.
  tools::AddShareFile(Builder(), "PRINTSRV", "DXL", "README.TXT", "text");
  Builder().Remove(tools::ServerDirectory("PRINTSRV") + "\\DXL\\DXLHRC.BIN");
  EXPECT_EQ(Run(14), 0);
  EXPECT_EQ(StepOutcome.result, ServerDataFileMissing);
  Builder().Remove(tools::ServerDirectory("PRINTSRV") + "\\DXL\\DXLQ7APD.APD");
  EXPECT_EQ(Run(14), 0);
  EXPECT_EQ(StepOutcome.result, ServerDriverFileMissing);
  Builder().Remove(tools::ServerDirectory("PRINTSRV") + "\\DXL");
  EXPECT_EQ(Run(14), 0);
  EXPECT_EQ(StepOutcome.result, ServerDirectoryUnreachable);
  EXPECT_EQ(Report(),
            "网络错误: \\\\PRINTSRV\\DXL\\DXLHRC.BIN 未找到。\r\n"
            "网络错误: \\\\PRINTSRV\\DXL\\DXLQ7APD.APD 未找到。\r\n"
            "网络错误: 不能访问目录 \\\\PRINTSRV\\DXL。\r\n");
}

TEST_F(NetworkSteps, MismatchingDriverFileWritesPathCurrentAndRequiredLines) {
  theApp().apdRequirement.size = "99";
  EXPECT_EQ(Run(17), 0);
  EXPECT_EQ(StepOutcome.result, ServerFileMismatch);
  EXPECT_EQ(Report(),
            "网络错误: \\\\PRINTSRV\\DXL\\DXLQ7APD.APD\r\n"
            "当前时间标志=1997/07/01 12:00:00 大小=100\r\n"
            "所需时间标志=1997/07/01 12:00:00 大小=99\r\n");
}

TEST_F(NetworkSteps, RequiredVersionOfAFileWithoutOneHasNoCurrentLine) {
  theApp().apdRequirement.version = "1.0.0.2";
  EXPECT_EQ(Run(17), 0);
  EXPECT_EQ(StepOutcome.result, ServerFileMismatch);
  EXPECT_EQ(Report(),
            "网络错误: \\\\PRINTSRV\\DXL\\DXLQ7APD.APD\r\n"
            "所需版本=1.0.0.2 时间标志=1997/07/01 12:00:00 大小=100\r\n");
}

TEST_F(NetworkSteps, MatchAfterANetworkErrorWritesNothingAndKeepsTheStep) {
  theApp().statusFlags = NetworkErrorRecorded;
  StepOutcome.nextStep = 17;
  EXPECT_EQ(Run(17), 1);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(StepOutcome.nextStep, 17);
  EXPECT_FALSE(machine_.Exists(kReport));
}

TEST_F(NetworkSteps, WithoutARequirementTheServerFileIsNotJudged) {
  theApp().apdRequirement = {};
  EXPECT_EQ(Run(17), 1);
  EXPECT_EQ(StepOutcome.result, ChecksFinished);
  EXPECT_EQ(Report(), "网络的所有设定正确。\r\n");
}

}  // namespace
}  // namespace dxl
