#include "results/verdict.h"

#include "app_state/troubleshooter_app.h"
#include "resources/format.h"
#include "resources/string_table.h"
#include "results/buffer_text.h"

namespace dxl {

namespace {

constexpr std::size_t kVerdictBuffer = 256;

struct VerdictRow {
  std::uint8_t flag;  // 0: matches always
  unsigned message;
  unsigned rerunSetupNote;  // appended when RerunSetup is set too; 0 for none
};

// First match wins.
constexpr VerdictRow kVerdicts[] = {
    {ErrorRecorded, msg::kSummaryIncorrect, msg::kRunSetup},
    {NetworkErrorRecorded, msg::kSummaryNetworkIncorrect, 0},
    {RunCompleted, msg::kSummaryCorrect, 0},
    {0, msg::kSummaryStopped, 0},
};

const VerdictRow& RowFor(std::uint8_t statusFlags) {
  for (const auto& row : kVerdicts)
    if (row.flag == 0 || (statusFlags & row.flag)) return row;
  return kVerdicts[std::size(kVerdicts) - 1];
}

}  // namespace

std::string FormatVerdict(std::uint8_t statusFlags, std::string_view portDescription) {
  const VerdictRow& row = RowFor(statusFlags);
  std::string text = FormatPrintf(LoadMessage(row.message), {portDescription});
  if (row.rerunSetupNote != 0 && (statusFlags & RerunSetup)) text += LoadMessage(row.rerunSetupNote);
  return FitBuffer(text, kVerdictBuffer);
}

}  // namespace dxl
