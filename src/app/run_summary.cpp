#include "app/run_summary.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/base/cp936.h"
#include "platform/machine/paths.h"

namespace dxl {

namespace {

using nlohmann::json;

std::string Utf8(std::string_view cp936) { return w95::Cp936ToUtf8Lossy(cp936); }

json OrNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

json FindingsJson(const RunRecord& record) {
  json findings = json::array();
  for (const auto& finding : record.findings) {
    json lines = json::array();
    for (const auto& line : finding.reportLines) lines.push_back(Utf8(line));
    findings.push_back({{"step", finding.step},
                        {"resultCode", finding.result},
                        {"reportLines", lines},
                        {"outcome", FindingEndName(finding.end)},
                        {"why", finding.why}});
  }
  return findings;
}

json StateJson(const FileState& state) { return {{"size", state.size}, {"sha256", state.sha256}}; }

json ChangedFilesJson(const UndoRecord& changes) {
  json files = json::array();
  for (const auto& file : changes.files) {
    if (!file.before && file.after.sha256.empty()) continue;  // its creation failed
    files.push_back({{"path", Utf8(file.path)},
                     {"created", !file.before},
                     {"before", file.before ? StateJson(*file.before) : json(nullptr)},
                     {"after", StateJson(file.after)}});
  }
  return files;
}

}  // namespace

std::string SummaryText(const RunSummary& summary) {
  const RunRecord& record = *summary.record;
  const UndoRecord& changes = *summary.changes;
  json port = nullptr;
  if (!summary.portName.empty()) port = {{"name", summary.portName}, {"description", Utf8(summary.portDescription)}};
  json value = {
      {"machine", summary.machine},
      {"answers", OrNull(summary.answers)},
      {"port", port},
      {"findings", FindingsJson(record)},
      {"changedFiles", ChangedFilesJson(changes)},
      {"undoRecord", changes.files.empty() ? json(nullptr) : json(Utf8(RecordPath(changes.run)))},
      {"verdict", OrNull(Utf8(record.verdict))},
      {"exitCode", summary.exitCode},
  };
  return value.dump(2) + "\n";
}

bool WriteSummary(const std::string& path, const RunSummary& summary) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::absolute(path, ec);
  return !ec && w95::ReplaceHostFile(target, SummaryText(summary)) == w95::ERROR_SUCCESS;
}

}  // namespace dxl
