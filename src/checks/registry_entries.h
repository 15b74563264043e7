// The check of the registry entries that the printer's set-up program writes:
// the printing system's port key, its print provider, the printer's entry in
// the hardware profile, and the spooler's driver entry. It only reads.
#pragma once

#include <string_view>

namespace dxl {

// 1 when every entry for `portName` ("LPT1:") is right, 0 at the first one
// that is wrong or whose key is missing. `portNotLocal` nonzero looks the port
// up among the remote printers. A value that cannot be read (missing, or too
// long for the 64-byte buffer) counts as right.
int CheckRegistryEntries(std::string_view portName, int portNotLocal);

}  // namespace dxl
