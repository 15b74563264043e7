// The printing system's registry lists of installed printers:
// HKEY_CLASSES_ROOT\DXL\LocalPrinters and DXL\RemotePrinters, one subkey per
// printer, named "<printer>,<port>". Only the subkey names are read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dxl {

inline constexpr std::string_view kLocalPrinters = "DXL\\LocalPrinters";
inline constexpr std::string_view kRemotePrinters = "DXL\\RemotePrinters";

// The subkey names of `listKey` that contain "DXLQ7" (case-sensitive), in
// enumeration order; empty when the key is missing. A name too long for the
// 32-byte name buffer (more than 31 characters) is skipped.
std::vector<std::string> DriverPrinterKeys(std::string_view listKey);

// The port part of a printer's subkey name: what follows its first comma;
// nullopt when there is no comma or nothing after it.
std::optional<std::string> PrinterPortPart(std::string_view keyName);

}  // namespace dxl
