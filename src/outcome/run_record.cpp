#include "outcome/run_record.h"

#include <algorithm>

namespace dxl {

RunRecord& TheRunRecord() {
  static RunRecord record;
  return record;
}

void NoteStepBegins(int step) {
  RunRecord& record = TheRunRecord();
  record.step = step;
  record.stepLines.clear();
}

void NoteReportLine(std::string_view line, bool written) {
  RunRecord& record = TheRunRecord();
  if (!written) record.reportWriteFailed = true;
  while (line.ends_with('\n') || line.ends_with('\r')) line.remove_suffix(1);
  record.stepLines.emplace_back(line);
}

void RecordFinding(int result, FindingEnd end, std::string why) {
  RunRecord& record = TheRunRecord();
  record.findings.push_back({record.step, result, end, std::move(why), std::move(record.stepLines)});
  record.stepLines.clear();
}

void RecordFindingOfLastLines(int result, FindingEnd end, std::string why, std::size_t lineCount) {
  RunRecord& record = TheRunRecord();
  auto& lines = record.stepLines;
  const auto first = lines.end() - static_cast<std::ptrdiff_t>(std::min(lineCount, lines.size()));
  record.findings.push_back({record.step, result, end, std::move(why), {first, lines.end()}});
  lines.erase(first, lines.end());
}

std::string_view FindingEndName(FindingEnd end) {
  switch (end) {
    case FindingEnd::Fixed: return "fixed";
    case FindingEnd::Declined: return "declined";
    case FindingEnd::Failed: return "failed";
    case FindingEnd::Unfixable: break;
  }
  return "unfixable";
}

}  // namespace dxl
