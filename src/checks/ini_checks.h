// Checks and repairs of the initialisation files: the local port, other
// printers on it (WIN.INI [Devices]), the printing system's virtual device
// drivers (SYSTEM.INI [386Enh] device= lines), its resident program (WIN.INI
// [Windows] load=) and virtual memory (SYSTEM.INI [386Enh] Paging).
//
// Free functions without state of their own, on the files of the current
// machine. None shows a window or writes to the report. Checks that cannot read
// their source count it as right; every repair replaces its file atomically, so
// a failed write leaves the old file whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dxl {

struct VirtualDeviceDriver {
  std::uint8_t bit;
  std::string_view fileName;
};

// In the order in which device= lines are checked and inserted; the bits are
// those of the SYSTEM.INI check's result, of iniFindings and of the mask of
// AddSystemIniDevices.
inline constexpr std::array<VirtualDeviceDriver, 3> kVirtualDeviceDrivers{{
    {1, "DXLCPEPY.386"},
    {2, "DXLBANDS.386"},
    {4, "DXLQ7EM.386"},
}};

inline constexpr std::string_view kResidentProgram = "DXLHRC.EXE";
inline constexpr std::string_view kPrinterName = "Tavix KRT-310";

// 1 when LPT`portNumber`: opens or is in use by another program; 0 when it
// cannot be opened, or the number is greater than 3.
int TestPortOpen(unsigned portNumber);

// Replaces `names` with the WIN.INI [Devices] entries (other than the Tavix
// KRT-310's own) whose value names `portName` ("LPT1:"), all of them however
// many. 1 when there is none, 0 otherwise.
int FindOtherPrintersOnPort(std::string_view portName, std::vector<std::string>& names);

// 0 when the first occurrence of `fileName` in `sectionText` stands on a line
// "device=<fileName>" (blanks allowed around '=' and after the name, any case),
// `bit` otherwise.
std::uint8_t CheckDeviceLine(std::string_view sectionText, std::string_view fileName, std::uint8_t bit);

// Bit mask of the drivers whose device= line is missing or wrong; all three when
// SYSTEM.INI has no [386Enh] section; 0 when SYSTEM.INI cannot be read.
std::uint8_t CheckSystemIniDevices();

// 1 when WIN.INI [Windows] load= lacks DXLHRC.EXE, else 0.
std::uint8_t CheckLoadLine();

// 1 when virtual memory is on (SYSTEM.INI [386Enh] Paging does not say "off").
int CheckPaging();

// Inserts device= lines for the drivers of `mask` right under the [386Enh]
// header (or appends a [386Enh] section holding them). 1 when SYSTEM.INI was
// rewritten (or nothing was to be added), 0 when it could not be read or
// replaced; it is then unchanged.
int AddSystemIniDevices(std::uint8_t mask);

// Appends " DXLHRC.EXE" to WIN.INI [Windows] load=: 1 when WIN.INI was
// written, 0 when it could not be (it is then unchanged).
int AddLoadEntry();

// Sets SYSTEM.INI [386Enh] Paging=on: 1 when SYSTEM.INI was written (or
// already said so), 0 when it could not be (it is then unchanged).
int EnablePaging();

// Removes the device= line on which `fileName` first occurs in [386Enh]. 1 when
// done or when there is no such line, 0 when SYSTEM.INI could not be read or
// replaced; it is then unchanged.
int RemoveDeviceLine(std::string_view fileName);

// Takes the first whole entry DXLHRC.EXE (with any path before it) and the
// blanks and commas after it out of WIN.INI [Windows] load=; every other entry
// stays byte for byte. Always 1.
int RemoveLoadEntry();

}  // namespace dxl
