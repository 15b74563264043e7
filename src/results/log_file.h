// The log file: the report kept under a dated name in the printing system's
// directory, <windows>\DXL\yyMMddNN.LOG.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

// The Windows directory followed by "\DXL\" (the directory may not exist; it
// is never created).
std::string LogDirectory();

// <LogDirectory()><yyMMdd of today><NN>.LOG with the first NN from 00 to 99
// under which no file or directory exists; NN = 99 when all are taken.
std::string ProposeLogFileName();

// Keeps the report as `logPath`: afterwards the log holds the report's bytes
// and the report is gone. A file already named `logPath` is replaced only by
// the complete new one: when anything fails (the report cannot be read, the
// directory is missing, the name is a directory or read-only or not a local
// file) the old file and the report stay as they were. False with the last
// error set on failure.
bool SaveReportAs(std::string_view reportPath, std::string_view logPath);

// The report's text as the report box shows it: the file's bytes up to the
// first NUL; empty when it cannot be opened, sized or read.
std::string ReadReportText(std::string_view reportPath);

}  // namespace dxl
