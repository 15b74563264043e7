// The devices of the emulated machine that CreateFileA opens by name.
//
// Parallel ports (LPT1: to LPT9:, and PRN, which is LPT1:) take their state
// from MACHINE.INI [ParallelPorts] LPTn=present|in use|absent (docs/machine.md).
// A port without a (recognised) entry is present when it is LPT1 and absent
// otherwise; but where MACHINE.INI has no [ParallelPorts] (a real
// installation has no MACHINE.INI), the ports the installation's registry
// lists are present and the others absent (enumerated_ports.h), as long as it
// lists any.
#pragma once

#include <optional>
#include <string_view>

namespace w95 {

class Machine;

enum class PortHardware { Present, InUse, Absent };

inline constexpr std::string_view kParallelPortsSection = "ParallelPorts";

// The MACHINE.INI spelling of a state, and back (without regard to case and
// surrounding blanks; nullopt for anything else).
std::string_view PortHardwareName(PortHardware state);
std::optional<PortHardware> ParsePortHardware(std::string_view text);

// The state of parallel port `number` of `machine`.
PortHardware ParallelPortHardware(Machine& machine, unsigned number);

}  // namespace w95
