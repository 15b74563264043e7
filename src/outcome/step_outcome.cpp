#include "outcome/step_outcome.h"

#include "app_state/troubleshooter_app.h"
#include "outcome/run_record.h"

namespace dxl {

StepOutcomeValues StepOutcome;
std::uint8_t iniFindings = 0;
std::vector<std::string> otherPrinterNames;
std::size_t otherPrinterCursor = 0;
std::string currentFileName;

void ResetProgramState() {
  theApp() = TroubleshooterApp();
  StepOutcome = {};
  iniFindings = 0;
  otherPrinterNames.clear();
  otherPrinterCursor = 0;
  currentFileName.clear();
  TheRunRecord() = RunRecord();
}

}  // namespace dxl
