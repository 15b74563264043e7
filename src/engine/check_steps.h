// The eighteen check steps of the engine, one small function each, and the
// helpers they share. A step runs its check, writes its report line and says
// how the engine goes on; RunCheckStep (check_engine.cpp) walks the table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app_state/troubleshooter_app.h"

namespace dxl::engine {

enum class StepEnd {
  Passed,    // the engine sets nextStep to the following step and runs it
  Stopped,   // the step has set StepOutcome; RunCheckStep returns 0
  Finished,  // the step has set ChecksFinished; RunCheckStep returns 1
};

using StepFunction = StepEnd (*)(TroubleshooterApp& app);

struct CheckStep {
  std::string_view what;
  StepFunction run;
};

// The table, indexed by step number (0 to 17).
std::span<const CheckStep> CheckSteps();

// Appends to the report: the message `prefixId` (0 for none), the message
// `messageId` formatted printf-style with `argument`, and CR LF.
void WriteStepLine(const TroubleshooterApp& app, unsigned prefixId, unsigned messageId, std::string_view argument = {});

// Leaves `result` for the driver; always StepEnd::Stopped.
StepEnd Stop(int result);
// Leaves RunNextStep with `nextStep`: the driver calls the engine again at once.
StepEnd SkipTo(int nextStep);

// Local steps (0 to 9).
StepEnd FindPrinterOnPort(TroubleshooterApp& app);
StepEnd OpenPort(TroubleshooterApp& app);
StepEnd FindOtherPrinters(TroubleshooterApp& app);
StepEnd CheckSystemIni(TroubleshooterApp& app);
StepEnd CheckWinIni(TroubleshooterApp& app);
StepEnd CheckVirtualMemory(TroubleshooterApp& app);
StepEnd CheckBidiSupport(TroubleshooterApp& app);
StepEnd CheckDosSpool(TroubleshooterApp& app);
StepEnd CheckRegistry(TroubleshooterApp& app);
StepEnd CheckInstalledFiles(TroubleshooterApp& app);

// Network steps (10 to 17).
StepEnd CheckConnection(TroubleshooterApp& app);
StepEnd CheckServer(TroubleshooterApp& app);
StepEnd CheckNetworkPrinter(TroubleshooterApp& app);
StepEnd CheckPersistence(TroubleshooterApp& app);
StepEnd CheckServerDirectory(TroubleshooterApp& app);
StepEnd CheckServerDriverFile(TroubleshooterApp& app);
StepEnd CheckServerDataFile(TroubleshooterApp& app);
StepEnd CompareServerDriverFile(TroubleshooterApp& app);

}  // namespace dxl::engine
