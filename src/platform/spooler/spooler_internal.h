// Pieces of the spooler shared by its source files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/spooler/spooler.h"

namespace w95 {

// The ports the spooler knows: WIN.INI [Ports] in file order, redirected LPT
// ports marked (or added after them).
std::vector<PortInfo2> SpoolerPorts();

// Points the printer's WIN.INI lines at `portName`: [Devices] and
// [PrinterPorts] (written when missing), and [windows] device= when it names
// this printer. False with the last error set when WIN.INI cannot be written.
bool UpdateWinIniPort(std::string_view printerName, std::string_view portName, std::string_view driverName);

}  // namespace w95
