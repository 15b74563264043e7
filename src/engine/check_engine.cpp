#include <array>
#include <cstdint>

#include "app_state/troubleshooter_app.h"
#include "engine/check_steps.h"
#include "outcome/report_file.h"
#include "outcome/run_record.h"
#include "outcome/step_outcome.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace engine {

namespace {

constexpr std::array<CheckStep, 18> kSteps{{
    {"the printer is installed on the port", FindPrinterOnPort},
    {"the port opens", OpenPort},
    {"no other printer uses the port", FindOtherPrinters},
    {"SYSTEM.INI loads the virtual device drivers", CheckSystemIni},
    {"WIN.INI loads the resident program", CheckWinIni},
    {"virtual memory is on", CheckVirtualMemory},
    {"bidirectional support is on", CheckBidiSupport},
    {"MS-DOS spooling is on for the port", CheckDosSpool},
    {"the registry entries are right", CheckRegistry},
    {"the installed files are right", CheckInstalledFiles},
    {"the port is connected to a network printer", CheckConnection},
    {"the print server can be browsed", CheckServer},
    {"the server's printers can be browsed", CheckNetworkPrinter},
    {"the connection is persistent", CheckPersistence},
    {"the server's DXL directory can be listed", CheckServerDirectory},
    {"the server holds the driver file", CheckServerDriverFile},
    {"the server holds the data file", CheckServerDataFile},
    {"the server's driver file is the required one", CompareServerDriverFile},
}};

}  // namespace

std::span<const CheckStep> CheckSteps() { return kSteps; }

void WriteStepLine(const TroubleshooterApp& app, unsigned prefixId, unsigned messageId, std::string_view argument) {
  AppendReportLine(app.reportPath, ReportLine(prefixId, FormatPrintf(LoadMessage(messageId), {argument})));
}

StepEnd Stop(int result) {
  StepOutcome.result = result;
  return StepEnd::Stopped;
}

StepEnd SkipTo(int nextStep) {
  StepOutcome.result = RunNextStep;
  StepOutcome.nextStep = nextStep;
  return StepEnd::Stopped;
}

}  // namespace engine

int TroubleshooterApp::RunCheckStep(std::int32_t step) {
  // Compared as unsigned: negative numbers finish the checks too.
  for (auto number = static_cast<std::uint32_t>(step);; ++number) {
    if (number >= engine::CheckSteps().size()) {
      StepOutcome.result = ChecksFinished;
      return 1;
    }
    NoteStepBegins(static_cast<int>(number));
    switch (engine::CheckSteps()[number].run(*this)) {
      case engine::StepEnd::Passed: StepOutcome.nextStep = static_cast<std::int32_t>(number + 1); break;
      case engine::StepEnd::Stopped: return 0;
      case engine::StepEnd::Finished: return 1;
    }
  }
}

}  // namespace dxl
