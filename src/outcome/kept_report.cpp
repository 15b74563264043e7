#include "outcome/kept_report.h"

#include <iostream>
#include <map>

namespace dxl {

namespace {

struct KeptReport {
  std::string text;
  bool incomplete = false;  // a line did not reach the file
};

std::map<std::string, KeptReport, std::less<>>& KeptReports() {
  static std::map<std::string, KeptReport, std::less<>> reports;
  return reports;
}

}  // namespace

void StartKeptReport(std::string_view path) { KeptReports()[std::string(path)] = KeptReport(); }

void KeepReportLine(std::string_view path, std::string_view text, bool written) {
  auto& reports = KeptReports();
  auto it = reports.find(path);
  if (it == reports.end()) it = reports.emplace(std::string(path), KeptReport()).first;
  it->second.text += text;
  if (written || it->second.incomplete) return;
  it->second.incomplete = true;
  std::cerr << "dxlq7trs: " << path
            << ": a line of the report cannot be written to this file; the report is kept in memory and shown whole\n";
}

std::optional<std::string> ReportMissingFromFile(std::string_view path) {
  const auto& reports = KeptReports();
  auto it = reports.find(path);
  if (it == reports.end() || !it->second.incomplete) return std::nullopt;
  return it->second.text;
}

}  // namespace dxl
