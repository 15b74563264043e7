// The pages that only inform (continue or leave), the printer-port page with
// its way back to the start page, and the persistence page of a network port.
#include <array>
#include <cstdint>

#include "outcome/run_record.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "port_object/port.h"
#include "ports/printer_discovery.h"
#include "resources/dialog_templates.h"
#include "resources/format.h"
#include "resources/string_table.h"
#include "wizard/driver_states.h"

namespace dxl::driver {

namespace {

struct InformPage {
  int state;
  int templateId;
  std::uint8_t setFlags;    // set whatever the answer
  PageEndCode goOnCode;     // the answer that goes on
  int goOnState;            // RunNextStep: resume at the page's nextStep; ChecksFinished: the checks end
  bool leavingStopsTheRun;  // Exit or Esc clears RunCompleted
};

constexpr std::uint8_t kNone = 0;
constexpr PageEndCode kContinue = page_end::Continue;
constexpr PageEndCode kAnyway = page_end::ContinueAnyway;

constexpr std::array<InformPage, 10> kInformPages{{
    {PortDriverFault, tmpl::kPortUnavailablePage, kNone, kContinue, RunNextStep, false},
    {RegistryEntriesWrong, tmpl::kRegistryEntriesPage, kNone, kContinue, RunNextStep, false},
    {InstalledFilesWrong, tmpl::kFilesMissingPage, ErrorRecorded, kContinue, RunNextStep, true},
    {NoNetworkConnection, tmpl::kNoNetworkConnectionPage, NetworkErrorRecorded, kContinue, ChecksFinished, true},
    {ServerUnreachable, tmpl::kServerUnreachablePage, NetworkErrorRecorded, kContinue, ChecksFinished, true},
    {NetworkPrinterUnreachable, tmpl::kNetworkPrinterUnreachablePage, NetworkErrorRecorded, kContinue, ChecksFinished,
     true},
    {ServerDirectoryUnreachable, tmpl::kServerDirectoryPage, NetworkErrorRecorded, kContinue, ChecksFinished, true},
    {ServerDriverFileMissing, tmpl::kServerDriverFilePage, NetworkErrorRecorded, kContinue, ChecksFinished, true},
    {ServerDataFileMissing, tmpl::kServerDataFilePage, NetworkErrorRecorded, kAnyway, RunNextStep, true},
    {ServerFileMismatch, tmpl::kServerFileVersionPage, NetworkErrorRecorded, kContinue, ChecksFinished, true},
}};

const InformPage* FindInformPage(int state) {
  for (const auto& page : kInformPages)
    if (page.state == state) return &page;
  return nullptr;
}

void StopRun(TroubleshooterApp& app) {
  app.statusFlags &= static_cast<std::uint8_t>(~RunCompleted);
  StepOutcome.result = ChecksFinished;
}

}  // namespace

bool IsInformPageState(int state) { return FindInformPage(state) != nullptr; }

void InformPageState(TroubleshooterApp& app, int state) {
  const InformPage& page = *FindInformPage(state);
  const PageEndCode code = ShowPage(page.templateId);
  app.statusFlags |= page.setFlags;
  RecordFinding(state, FindingEnd::Unfixable, WhyOf(code, FindingEnd::Unfixable));
  if (code == page.goOnCode) {
    StepOutcome.result = page.goOnState;
  } else if (page.leavingStopsTheRun) {
    StopRun(app);
  } else {
    StepOutcome.result = ChecksFinished;
  }
}

void PrinterPortState(TroubleshooterApp& app) {
  const PageEndCode code = ShowPage(tmpl::kPrinterPortPage);
  if (code != page_end::Continue)
    RecordFinding(PrinterOnOtherPort, FindingEnd::Unfixable, WhyOf(code, FindingEnd::Unfixable));
  if (code == page_end::ContinueAnyway) {
    // Check what can be checked without the printer on this port.
    app.skipPortChecks = true;
    StepOutcome.nextStep = 3;
    StepOutcome.result = RunNextStep;
  } else if (code == page_end::Continue) {
    StepOutcome.result = RunNextStep;  // Back: nextStep is still 0, the start page comes again
  } else {
    StepOutcome.result = ChecksFinished;
  }
}

void PersistenceState(TroubleshooterApp& app) {
  const PageEndCode code = ShowPage(tmpl::kConnectionNotPersistentPage);
  app.statusFlags |= NetworkErrorRecorded;
  const std::string portName = app.PortName();
  const std::string remoteName = Port(portName).GetRemoteName();
  std::string line = LoadMessage(msg::kNetworkErrorPrefix) +
                     FormatPositional(LoadMessage(msg::kNotConnectedTo), {portName, remoteName});
  FindingEnd end = FindingEnd::Declined;
  if (code == page_end::Fix) {
    StepOutcome.result = RunNextStep;
    end = ReconnectPort(portName) != 0 ? FindingEnd::Fixed : FindingEnd::Failed;
  } else if (code == page_end::Continue) {
    StepOutcome.result = RunNextStep;
  } else {
    StopRun(app);
  }
  AppendToReport(app, line + LoadMessage(end == FindingEnd::Fixed ? msg::kFixedSuffix : msg::kNotFixedSuffix) + "\r\n");
  RecordFinding(ConnectionNotPersistent, end, WhyOf(code, end));
}

}  // namespace dxl::driver
