// The parallel-port hardware of a built machine (MACHINE.INI [ParallelPorts]).
#pragma once

#include <optional>

#include "machine_builder/machine_builder.h"
#include "platform/files/devices.h"

namespace dxl::tools {

// Describes LPT`number` as present, in use or absent; nullopt removes the
// entry, so that the port takes its default (LPT1 present, others absent).
MachineBuilder& SetParallelPort(MachineBuilder& builder, unsigned number, std::optional<w95::PortHardware> state);

// Lists LPT`number` in the registry as Windows 95's detection lists a port it
// found: HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0400\<instance> with Class "Ports"
// and PortName "LPTn" (what a real installation, without MACHINE.INI, has).
MachineBuilder& AddEnumeratedParallelPort(MachineBuilder& builder, unsigned number);

}  // namespace dxl::tools
