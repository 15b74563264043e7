// Faults of the printing system's registry entries, one at a time, for the
// tests and the demo: each of the fifteen entries that the installation check
// judges can be made wrong, missing or too long to read.
#pragma once

#include <string_view>

#include "machine_builder/machine_builder.h"

// Tables below are laid out by hand.
// clang-format off

namespace dxl::tools {

// In the order the check judges them.
enum class RegistryEntry {
  Apd, DeviceId, Emulation, HelpDir, Mfg, Model, Provider, Sleek,  // the port key's subkeys
  InitialSpoolMethod, Module,                                      // the print provider's subkeys
  ConfigurationFile, DataFile, Datatype, Driver, Monitor,          // the printer driver's values
};
inline constexpr int kRegistryEntryCount = 15;

enum class EntryFault {
  Wrong,     // a value that is neither equal to nor contains what is expected
  Missing,   // the subkey removed (port and provider entries), the value removed (driver entries)
  Overlong,  // a 64-character value, which does not fit the check's buffer
};

// The subkey or value name of the entry ("APD", "Configuration File", ...).
std::string_view RegistryEntryName(RegistryEntry entry);

// Port entries are those of `portName` under LocalPrinters, or RemotePrinters when `remote`.
void BreakRegistryEntry(MachineBuilder& builder, RegistryEntry entry, EntryFault fault,
                        std::string_view portName = "LPT1:", bool remote = false);

}  // namespace dxl::tools
// clang-format on
