// State 20: the two closing lines of the report, the results dialog, and,
// when a fix needs it, the finish page with the restart of Windows.
#include <string>

#include "outcome/report_file.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "platform/files/files.h"
#include "platform/system/system.h"
#include "platform/ui/backend.h"
#include "resources/dialog_templates.h"
#include "resources/format.h"
#include "resources/string_table.h"
#include "results/results_dialog.h"
#include "wizard/driver_states.h"

namespace dxl::driver {

namespace {

std::string Summary(const TroubleshooterApp& app) {
  const std::string description = app.GetPortDescription();
  const std::uint8_t flags = app.statusFlags;
  if (flags & ErrorRecorded) {
    std::string summary = FormatPrintf(LoadMessage(msg::kSummaryIncorrect), {description});
    if (flags & RerunSetup) summary += LoadMessage(msg::kRunSetup);
    return summary;
  }
  if (flags & NetworkErrorRecorded) return FormatPrintf(LoadMessage(msg::kSummaryNetworkIncorrect), {description});
  if (flags & RunCompleted) return FormatPrintf(LoadMessage(msg::kSummaryCorrect), {description});
  return FormatPrintf(LoadMessage(msg::kSummaryStopped), {description});
}

bool LogFileExists(const TroubleshooterApp& app) {
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(app.logPath, data);
  return find.Valid();
}

void AppendToLog(const TroubleshooterApp& app, unsigned messageId) {
  AppendReportLine(app.logPath, LoadMessage(messageId) + "\r\n");
}

// The finish page: restart Windows or return to it. The last line goes to the
// log file only when it holds this run's report.
void Finish(const TroubleshooterApp& app, PageEndCode resultsCode) {
  const bool haveLog = resultsCode == ResultSaved && LogFileExists(app);
  if (ShowPage(tmpl::kFinishPage) == page_end::RestartWindows) {
    if (haveLog) AppendToLog(app, msg::kRestartWindows);
    w95::ExitWindowsEx(w95::EWX_REBOOT, 0);
    w95::ui::CurrentBackend().PlatformNote(w95::DescribeRestart(w95::LastRestart()));
    return;
  }
  if (haveLog) AppendToLog(app, msg::kReturnToWindows);
}

}  // namespace

void ClosingSequence(TroubleshooterApp& app) {
  if (app.networkWaitShown) {
    app.networkWaitDialog.reset();
    app.networkWaitShown = false;
  }
  const unsigned closing = (app.statusFlags & RunCompleted) ? msg::kRunCompleted : msg::kRunStopped;
  AppendToReport(app, ReportLine(0, LoadMessage(closing)));
  RunRecord& record = TheRunRecord();
  record.verdict = Summary(app);
  record.runCompleted = (app.statusFlags & RunCompleted) != 0;
  record.rerunSetup = (app.statusFlags & RerunSetup) != 0;
  AppendToReport(app, ReportLine(0, record.verdict));
  const PageEndCode resultsCode = ResultsDialog().DoModal();
  if (app.restartNeeded) Finish(app, resultsCode);
  StepOutcome.result = LeaveWizard;
}

}  // namespace dxl::driver
