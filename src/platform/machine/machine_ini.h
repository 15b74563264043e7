// MACHINE.INI at the root of a machine directory: what an installation does
// not store (the parallel-port hardware, the current network connections, the
// servers of the network neighbourhood, fixed figures for disk and memory).
// A real installation has none: every reader then takes its default.
// docs/machine.md describes the sections.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/ini_text.h"

namespace w95 {

class Machine;

std::filesystem::path MachineIniPath(const Machine& machine);
// The parsed file (empty when it is missing), read anew only when it changed
// (one stat per call, ini_cache.h).
std::shared_ptr<const IniText> MachineIni(const Machine& machine);
// Replaces the file atomically with `text`; false when that failed.
bool ReplaceMachineIni(const Machine& machine, const IniText& text);

// The value of `key` in `section`, or nullopt.
std::optional<std::string> MachineSetting(const Machine& machine, std::string_view section, std::string_view key);
// The keys of `section`, in file order.
std::vector<std::string> MachineSettingKeys(const Machine& machine, std::string_view section);

}  // namespace w95
