#include "app/exit_code.h"

#include <algorithm>

namespace dxl {

int ExitCodeOfRun(const RunRecord& record) {
  const auto& findings = record.findings;
  const bool fixFailed =
      std::ranges::any_of(findings, [](const Finding& finding) { return finding.end == FindingEnd::Failed; });
  if (fixFailed || record.reportWriteFailed || record.logWriteFailed) return exit_code::kWriteFailed;
  // No on the start page: nothing was checked, nothing changed.
  if (record.step < 0 && findings.empty()) return exit_code::kAllRight;
  const bool allMended =
      std::ranges::all_of(findings, [](const Finding& finding) { return finding.end == FindingEnd::Fixed; });
  if (!record.ChecksEnded() || !record.runCompleted || record.rerunSetup || !allMended)
    return exit_code::kProblemsRemain;
  return exit_code::kAllRight;
}

}  // namespace dxl
