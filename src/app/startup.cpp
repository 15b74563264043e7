#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/answer_policy.h"
#include "app/exit_code.h"
#include "app/run_summary.h"
#include "app/ui_choice.h"
#include "app/undo_journal.h"
#include "app_state/troubleshooter_app.h"
#include "outcome/run_record.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/help/help.h"
#include "platform/machine/machine.h"
#include "platform/system/instance.h"
#include "platform/system/system.h"
#include "ports/port_list.h"

namespace dxl {

namespace {
constexpr const char* kInstanceMappingName = "dxlq7trs.exe";
constexpr const char* kHelpFileName = "DXLQ7IN.HLP";
constexpr const char* kReportFileName = "tshooter.tmp";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The pages' answerer: the answering policy when TSHOOTER_ANSWERS names one,
// else a user behind Qt or the console.
void InstallAnswerer(PolicyTrouble& trouble) {
  if (auto policy = AnswerPolicyFromEnvironment().policy) {
    w95::ui::SetBackend(std::make_unique<AnsweringBackend>(*policy, Environment("TSHOOTER_PORT"),
                                                           Environment("TSHOOTER_REPORT"), trouble));
    return;
  }
  InstallUiBackend();
}

int ExitCode(const PolicyTrouble& trouble, const UndoJournal& journal) {
  if (!trouble.missingPort.empty()) {
    std::fprintf(stderr, "dxlq7trs: TSHOOTER_PORT=%s: the start page lists no such port\n",
                 trouble.missingPort.c_str());
    return exit_code::kCannotRun;
  }
  if (trouble.reportFailed) {
    std::fprintf(stderr, "dxlq7trs: the report could not be written to %s\n", Environment("TSHOOTER_REPORT").c_str());
    return exit_code::kWriteFailed;
  }
  if (journal.RecordFailed()) {
    std::fprintf(stderr, "dxlq7trs: the undo record of this run could not be brought up to date\n");
    return exit_code::kWriteFailed;
  }
  return ExitCodeOfRun(TheRunRecord());
}

// TSHOOTER_SUMMARY: the run for a script; 4 when it cannot be written.
int PutSummary(const TroubleshooterApp& app, const UndoRecord& changes, int exitCode) {
  const std::string path = Environment("TSHOOTER_SUMMARY");
  if (path.empty()) return exitCode;
  RunSummary summary;
  summary.machine = w95::Machine::Current().Root().string();
  summary.answers = Environment("TSHOOTER_ANSWERS");
  if (TheRunRecord().step >= 0) {
    summary.portName = app.PortName();
    summary.portDescription = app.GetPortDescription();
  }
  summary.record = &TheRunRecord();
  summary.changes = &changes;
  summary.exitCode = exitCode;
  if (WriteSummary(path, summary)) return exitCode;
  std::fprintf(stderr, "dxlq7trs: the summary could not be written to %s\n", path.c_str());
  return exit_code::kWriteFailed;
}

}  // namespace

int TroubleshooterApp::InitInstance() {
  // Held until the process ends: its existence is what tells a second copy.
  static w95::InstanceMarker instanceMarker;
  instanceMarker = w95::CreateInstanceMarker(kInstanceMappingName);
  if (!instanceMarker || w95::GetLastError() == w95::ERROR_ALREADY_EXISTS) {
    w95::RequestForeground(kInstanceMappingName);
    w95::ExitProcess(exit_code::kAnotherCopy);
  }
  helpFilePath = w95::GetWindowsDirectoryA() + "\\" + kHelpFileName;
  reportPath = w95::GetTempPathA() + kReportFileName;
  ReadPortListSources();  // while the Qt pages may still be loading
  PolicyTrouble trouble;
  InstallAnswerer(trouble);
  UndoJournal journal;
  WizardDriver();
  w95::WinHelpA(helpFilePath, w95::HELP_QUIT, 0);  // the help window ends with the program, as WinHelp's does
  return PutSummary(*this, journal.Record(), ExitCode(trouble, journal));
}

}  // namespace dxl
