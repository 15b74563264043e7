// The wizard driver's handlers, one per kind of state. Each shows its page (if
// any), writes its report line, applies the fix the user accepted and leaves
// the next state in StepOutcome.result.
#pragma once

#include <string_view>

#include "app_state/troubleshooter_app.h"
#include "outcome/run_record.h"
#include "pages/page_end_code.h"

namespace dxl::driver {

// State 0: the start page, or the next check steps.
void RunNextStepState(TroubleshooterApp& app);
// States 3 to 8: a problem that can be mended on the spot.
void FixPageState(TroubleshooterApp& app, int state);
// State 1: the printer is installed on another port.
void PrinterPortState(TroubleshooterApp& app);
// States 2, 9, 11 to 14 and 16 to 19: pages that only inform.
void InformPageState(TroubleshooterApp& app, int state);
// State 15: the network connection is not persistent.
void PersistenceState(TroubleshooterApp& app);
// State 20: closing lines, results, finish page and restart.
void ClosingSequence(TroubleshooterApp& app);

// Whether the handler tables know `state`.
bool IsFixPageState(int state);
bool IsInformPageState(int state);

// Why a finding ended as it did, after the page's answer `code`.
std::string WhyOf(PageEndCode code, FindingEnd end);

// Appends `line` (CR LF included) to the report.
void AppendToReport(const TroubleshooterApp& app, std::string_view line);

}  // namespace dxl::driver
