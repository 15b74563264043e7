// Registry hives of a built machine (<windows>\SYSTEM.REG and USER.REG, in
// REGEDIT4 form) and the registry part of a standard installation.
//
// Key paths are full paths with their root: "HKEY_LOCAL_MACHINE\System\...",
// "HKEY_CLASSES_ROOT\DXL\..." (kept in SYSTEM.REG under SOFTWARE\Classes),
// "HKEY_CURRENT_USER\...". Each call edits the file at once; keys it does not
// touch keep their bytes. A machine whose registry was already used must be
// activated again (TempMachine::Activate) to see later edits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "machine_builder/machine_builder.h"

namespace dxl::tools {

void SetRegistryValue(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName, std::uint32_t type,
                      std::string data);
// REG_SZ (the NUL is added), REG_DWORD, REG_BINARY.
void SetRegistryText(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                     std::string_view text);
void SetRegistryDword(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                      std::uint32_t number);
void SetRegistryBinary(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                       std::string_view bytes);
void CreateRegistryKey(MachineBuilder& builder, std::string_view keyPath);
void DeleteRegistryValue(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName);
// Removes the key and everything below it.
void DeleteRegistryKey(MachineBuilder& builder, std::string_view keyPath);

// The file of the machine hive (`user`: the user hive) in the store the builder
// writes: <windows>\SYSTEM.DAT or SYSTEM.REG (USER.DAT or USER.REG).
std::string HiveFile(const MachineBuilder& builder, bool user);
// The hive as REGEDIT4 text, whichever store holds it: the text file as it is,
// or the binary hive's tree (HKEY_CURRENT_USER for USER.DAT's .Default) rendered.
// Empty when the file is missing.
std::string HiveText(const MachineBuilder& builder, bool user);

// The printer's name and the keys of the installation.
inline constexpr std::string_view kPrinterName = "Tavix KRT-310";
inline constexpr std::string_view kSpoolerPrintersKey =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers";
inline constexpr std::string_view kProviderKey = "HKEY_CLASSES_ROOT\\DXL\\Providers\\DXLQ7";
inline constexpr std::string_view kHardwareProfileKey =
    "HKEY_LOCAL_MACHINE\\Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers\\Tavix KRT-310";
inline constexpr std::string_view kDriverKey =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows 4.0\\Drivers\\"
    "Tavix KRT-310";

// "HKEY_CLASSES_ROOT\DXL\LocalPrinters\DXLQ7,LPT1:" (RemotePrinters when remote).
std::string PortKeyPath(std::string_view portName, bool remote);
// The HELPDIR of DXLQ7CST.INF that a standard installation writes: <windows>\DXL.
std::string StandardHelpDir(const MachineBuilder& builder);

// The printing system's eight entries of a port, all right.
void InstallPortKeys(MachineBuilder& builder, std::string_view portName, bool remote);
// A printer of the spooler: Port, Attributes, Printer Driver, and its
// [Devices] / [PrinterPorts] lines are left to WIN.INI.
void InstallSpoolerPrinter(MachineBuilder& builder, std::string_view printerName, std::string_view portName,
                           std::uint32_t attributes);
void SetPrinterAttributes(MachineBuilder& builder, std::string_view printerName, std::uint32_t attributes);
void SetDosSpoolMask(MachineBuilder& builder, std::uint32_t mask);
void SetPrintersMask(MachineBuilder& builder, std::string_view bytes);
// [Config] of DXLQ7CST.INF in the system directory (other entries are kept).
void WriteCustomSetupInf(MachineBuilder& builder, std::string_view helpDir);

// The hives of a standard installation with the printer on LPT1:, and DXLQ7CST.INF.
void WriteStandardHives(MachineBuilder& builder);

}  // namespace dxl::tools
