// The four header lines with which a walk through the wizard starts its
// report: the port and the start time, free disk space, free memory, and the
// port's operating mode as SYSTEM.INI [386Enh] records it.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

struct ReportHeaderFields {
  std::string entryText;   // the chosen entry of the port list
  std::string diskText;    // the free disk space field, as shown
  std::string memoryText;  // the free memory field, as shown
};

// The port mode line (CR LF included) for the entry: the keys are the
// entry's first four characters followed by CECP, CIRQ and CDMA.
std::string PortModeLine(std::string_view entryText);

// Empties the report file and writes the four header lines to it.
void StartReport(const std::string& reportPath, const ReportHeaderFields& fields);

}  // namespace dxl
