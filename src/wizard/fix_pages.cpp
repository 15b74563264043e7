// States 3 to 8: the pages of problems that can be mended on the spot. Each
// answer gets a report line "错误: <finding>" with " - 已修正" or " - 未修正".
#include <array>
#include <string>

#include "checks/ini_checks.h"
#include "checks/spooler_settings.h"
#include "outcome/run_record.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "resources/dialog_templates.h"
#include "resources/format.h"
#include "resources/string_table.h"
#include "wizard/driver_states.h"

namespace dxl::driver {

namespace {

struct FixPage {
  int state;
  int templateId;
  std::string (*finding)(const TroubleshooterApp& app);
  int (*fix)(const TroubleshooterApp& app);  // nonzero when the problem was mended
};

std::string OtherPrinterFinding(const TroubleshooterApp& app) {
  const std::string& printer = otherPrinterNames[otherPrinterCursor];
  return FormatPositional(LoadMessage(msg::kOtherPrinterOnPort), {printer, app.PortName()});
}
// Left with its %s: one line per missing driver is made from it.
std::string SystemIniFinding(const TroubleshooterApp&) { return LoadMessage(msg::kSystemIniMissing); }
std::string WinIniFinding(const TroubleshooterApp&) {
  return FormatPrintf(LoadMessage(msg::kWinIniMissing), {kResidentProgram});
}
std::string PagingFinding(const TroubleshooterApp&) { return LoadMessage(msg::kPagingOff); }
std::string BidiFinding(const TroubleshooterApp&) { return LoadMessage(msg::kBidiOff); }
std::string DosSpoolFinding(const TroubleshooterApp&) { return LoadMessage(msg::kDosSpoolOff); }

// Each fix's result decides the line: a fix that could not write its file
// must not be reported as made, nor ask for a restart.
int MoveOtherPrinter(const TroubleshooterApp&) { return MovePrinterToFile(otherPrinterNames[otherPrinterCursor]); }
int AddDevices(const TroubleshooterApp&) { return AddSystemIniDevices(iniFindings); }
int AddLoad(const TroubleshooterApp&) { return AddLoadEntry(); }
int TurnPagingOn(const TroubleshooterApp&) { return EnablePaging(); }
int TurnBidiOn(const TroubleshooterApp&) { return EnableBidi(); }
int TurnDosSpoolOn(const TroubleshooterApp& app) { return EnableDosSpooling(app.portNumber); }

constexpr std::array<FixPage, 6> kFixPages{{
    {OtherPrinterOnPort, tmpl::kOtherPrinterPage, OtherPrinterFinding, MoveOtherPrinter},
    {SystemIniIncomplete, tmpl::kSystemIniPage, SystemIniFinding, AddDevices},
    {WinIniIncomplete, tmpl::kWinIniPage, WinIniFinding, AddLoad},
    {VirtualMemoryOff, tmpl::kVirtualMemoryPage, PagingFinding, TurnPagingOn},
    {BidiSupportOff, tmpl::kBidiSupportPage, BidiFinding, TurnBidiOn},
    {DosSpoolingOff, tmpl::kDosSpoolingPage, DosSpoolFinding, TurnDosSpoolOn},
}};

const FixPage* FindFixPage(int state) {
  for (const auto& page : kFixPages)
    if (page.state == state) return &page;
  return nullptr;
}

// Yes (mend) and No go on with the checks; Exit and a cancelled page end them.
ResultCode StateAfterFixPage(PageEndCode code) {
  return code == page_end::Fix || code == page_end::Continue ? RunNextStep : ChecksFinished;
}

// The SYSTEM.INI line names each missing driver on a line of its own.
void WriteSystemIniLines(const TroubleshooterApp& app, const std::string& line) {
  for (const auto& driver : kVirtualDeviceDrivers)
    if (iniFindings & driver.bit) AppendToReport(app, FormatPrintf(line, {driver.fileName}));
}

void ShowFixPage(TroubleshooterApp& app, const FixPage& page) {
  const PageEndCode code = ShowPage(page.templateId);
  app.statusFlags |= ErrorRecorded;
  std::string line = LoadMessage(msg::kErrorPrefix) + page.finding(app);
  StepOutcome.result = StateAfterFixPage(code);
  FindingEnd end = FindingEnd::Declined;
  if (code == page_end::Fix) end = page.fix(app) != 0 ? FindingEnd::Fixed : FindingEnd::Failed;
  if (end == FindingEnd::Fixed) app.restartNeeded = true;
  line += LoadMessage(end == FindingEnd::Fixed ? msg::kFixedSuffix : msg::kNotFixedSuffix) + "\r\n";
  if (page.state == SystemIniIncomplete) {
    WriteSystemIniLines(app, line);
  } else {
    AppendToReport(app, line);
  }
  RecordFinding(page.state, end, WhyOf(code, end));
}

// One question and one report line for every printer on the port, until the
// user leaves.
void WalkOtherPrinters(TroubleshooterApp& app, const FixPage& page) {
  for (otherPrinterCursor = 0; otherPrinterCursor < otherPrinterNames.size(); ++otherPrinterCursor) {
    if (otherPrinterNames[otherPrinterCursor].empty()) break;
    ShowFixPage(app, page);
    if (StepOutcome.result == ChecksFinished || StepOutcome.result == LeaveWizard) return;
  }
  if (otherPrinterCursor == 0) {
    // No name to ask about: go on after the check rather than ask again.
    StepOutcome.result = RunNextStep;
    StepOutcome.nextStep = 3;
  }
}

}  // namespace

bool IsFixPageState(int state) { return FindFixPage(state) != nullptr; }

void FixPageState(TroubleshooterApp& app, int state) {
  const FixPage& page = *FindFixPage(state);
  if (state == OtherPrinterOnPort) {
    WalkOtherPrinters(app, page);
  } else {
    ShowFixPage(app, page);
  }
}

}  // namespace dxl::driver
