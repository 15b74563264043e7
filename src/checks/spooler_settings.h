// Checks and repairs of the print spooler's settings: bidirectional support of
// the Tavix KRT-310, MS-DOS print spooling of a parallel port, and the port a
// printer is attached to.
//
// The checks read the spooler's registry data and count every failure to read
// as "on", so that a missing key or value never leads to a repair. The repairs
// return 0 at the first failing call and change nothing after it. None shows a
// window or writes to the report.
#pragma once

#include <string_view>

namespace dxl {

// 1 when bidirectional support is on or cannot be read, 0 when it is off.
int CheckBidiEnabled();
// Sets the printer's bidirectional attribute through the spooler: nonzero
// when the spooler accepted it.
int EnableBidi();

// 1 when MS-DOS spooling is on for LPT`portNumber` or cannot be read, 0 when off.
int CheckDosSpooling(int portNumber);
// Sets bit portNumber-1 of DOSSpoolMask and of PrintersMask's first byte: 1
// when both were written, 0 when either value is missing or a write failed.
int EnableDosSpooling(int portNumber);

// Attaches `printerName` to `portName` through the spooler: nonzero on success.
int SetPrinterPort(std::string_view printerName, std::string_view portName);
// SetPrinterPort with "FILE:".
int MovePrinterToFile(std::string_view printerName);

}  // namespace dxl
