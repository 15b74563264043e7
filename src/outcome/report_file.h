// The report file: lines of code-page-936 text, each ended by CR LF, only ever
// appended. The file is never held open: each line opens, appends and closes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dxl {

// Appends `text` (which already carries its CR LF) to the file `path`,
// creating it when missing. 1 when written, 0 otherwise.
int AppendReportLine(std::string_view path, std::string_view text);

// One line of file facts, CR LF included:
//   "<version label>=<version> 时间标志=<time stamp> 大小=<size>" or, for version "0",
//   "<time-stamp label>=<time stamp> 大小=<size>",
// with the labels of current values (isCurrent nonzero) or required values.
void FormatFileFactsLine(int isCurrent, std::string_view version, std::string_view timeStamp, std::int32_t size,
                         std::string& out);

// A report line: the message `prefixId` (0 for none), `text`, the message
// `suffixId` (0 for none) and CR LF.
std::string ReportLine(unsigned prefixId, std::string_view text, unsigned suffixId = 0);

}  // namespace dxl
