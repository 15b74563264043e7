// The report as the run wrote it, kept in memory beside its file. Where a line
// cannot be written to the file (a full disk, a file system that refuses the
// write), the file no longer holds the whole report; the results dialog and
// the log then take the report from here, so no line is lost. Standard error
// names the file the first time one of its lines is not written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dxl {

// The report at `path` starts afresh (its file was just emptied).
void StartKeptReport(std::string_view path);

// `text` was appended to the report at `path`; `written`: whether it reached the file.
void KeepReportLine(std::string_view path, std::string_view text, bool written);

// The whole report at `path` when its file misses some of it; nullopt while
// the file holds everything (or nothing of it is known).
std::optional<std::string> ReportMissingFromFile(std::string_view path);

}  // namespace dxl
