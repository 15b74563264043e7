// MACHINE.INI at the root of a machine directory: what an installation does
// not store (the parallel-port hardware, the current network connections, the
// servers of the network neighbourhood, fixed figures for disk and memory).
// A real installation has none: every reader then takes its default.
// docs/machine.md describes the sections.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace w95 {

class Machine;

// The value of `key` in `section`, or nullopt; read anew on each call (the
// file is small and tests change it between calls).
std::optional<std::string> MachineSetting(const Machine& machine, std::string_view section, std::string_view key);
// The keys of `section`, in file order.
std::vector<std::string> MachineSettingKeys(const Machine& machine, std::string_view section);

}  // namespace w95
