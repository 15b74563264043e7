// WizardDriver: one loop over the state value StepOutcome.result. The engine
// decides what was found; the driver decides what the user is asked and what
// is mended.
#include "app_state/troubleshooter_app.h"
#include "outcome/report_file.h"
#include "outcome/step_outcome.h"
#include "ports/start_page.h"
#include "wizard/driver_states.h"

namespace dxl {

namespace driver {

std::string WhyOf(PageEndCode code, FindingEnd end) {
  switch (end) {
    case FindingEnd::Fixed: return "mended";
    case FindingEnd::Failed: return "the fix could not write what it changes";
    default: break;
  }
  const char* answer = code == page_end::Exit                                           ? "the user left (Exit)"
                       : code == page_end::Cancel                                       ? "the user cancelled the page"
                       : code == page_end::Continue || code == page_end::ContinueAnyway ? "the user went on"
                                                                                        : "the page ended";
  if (end == FindingEnd::Declined) return code == page_end::Continue ? "the user answered No" : answer;
  return std::string("nothing to mend on the spot; ") + answer;
}

void AppendToReport(const TroubleshooterApp& app, std::string_view line) { AppendReportLine(app.reportPath, line); }

void RunNextStepState(TroubleshooterApp& app) {
  if (StepOutcome.nextStep != 0) {
    app.RunCheckStep(StepOutcome.nextStep);
    return;
  }
  StartPage page;
  const PageEndCode code = page.DoModal();
  if (code != page_end::StartYes) {
    // No, or the program was stopped inside the page: no results.
    StepOutcome.result = LeaveWizard;
    return;
  }
  TheRunRecord().findings.clear();  // a new walk, a new report
  app.portNumber = page.selectedPortNumber;
  app.portNotLocal = page.selectedPortNotLocal;
  app.RunCheckStep(0);
}

namespace {

// Handles one round of `state`; false when the wizard ends.
bool HandleState(TroubleshooterApp& app, int state) {
  if (state == RunNextStep) {
    RunNextStepState(app);
  } else if (state == PrinterOnOtherPort) {
    PrinterPortState(app);
  } else if (IsFixPageState(state)) {
    FixPageState(app, state);
  } else if (IsInformPageState(state)) {
    InformPageState(app, state);
  } else if (state == ConnectionNotPersistent) {
    PersistenceState(app);
  } else if (state == ChecksFinished) {
    ClosingSequence(app);
  } else {
    return false;  // LeaveWizard, and values no one sets (10, 21, 22, 24 up)
  }
  return true;
}

}  // namespace

}  // namespace driver

int TroubleshooterApp::WizardDriver() {
  StepOutcome.result = RunNextStep;
  while (driver::HandleState(*this, StepOutcome.result)) {
  }
  return 0;
}

}  // namespace dxl
