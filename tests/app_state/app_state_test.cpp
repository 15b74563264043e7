// The application object's accessors.
#include <gtest/gtest.h>

#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"

namespace {

using namespace dxl;

TEST(TroubleshooterApp, StartsWithItsInitialValues) {
  ResetProgramState();
  const TroubleshooterApp& app = theApp();
  EXPECT_EQ(app.portNumber, 1);
  EXPECT_FALSE(app.portNotLocal);
  EXPECT_EQ(app.printerPorts, "LPT1:");
  EXPECT_FALSE(app.skipPortChecks);
  EXPECT_FALSE(app.restartNeeded);
  EXPECT_FALSE(app.someFileMissing);
  EXPECT_TRUE(app.allFilesCorrect);
  EXPECT_FALSE(app.networkWaitShown);
  EXPECT_EQ(app.statusFlags, 0);
  EXPECT_TRUE(app.portDescription.empty() && app.logPath.empty());
  EXPECT_EQ(StepOutcome.result, RunNextStep);
  EXPECT_EQ(StepOutcome.nextStep, 0);
  EXPECT_EQ(iniFindings, 0);
  EXPECT_TRUE(otherPrinterNames.empty());
}

TEST(TroubleshooterApp, FormatsThePortNameAndCopiesThePrinterPorts) {
  ResetProgramState();
  TroubleshooterApp& app = theApp();
  std::string out;
  app.portNumber = 2;
  EXPECT_EQ(app.FormatPortName(out), 0);
  EXPECT_EQ(out, "LPT2:");
  app.printerPorts = "LPT1:,LPT2:";
  EXPECT_EQ(app.CopyPrinterPorts(out), 12);
  EXPECT_EQ(out, "LPT1:,LPT2:");
  app.SetPortDescription("LPT1:[本地]");
  EXPECT_EQ(app.GetPortDescription(), "LPT1:[本地]");
}

}  // namespace
