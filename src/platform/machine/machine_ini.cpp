#include "platform/machine/machine_ini.h"

#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace w95 {

namespace {

constexpr const char* kMachineIni = "MACHINE.INI";

// Kept and watched by its name below the canonical root, the root the watch
// starts from (found once per machine, as every path of the machine is).
std::filesystem::path KeptPath(const Machine& machine) {
  const std::filesystem::path* root = machine.CanonicalRoot();
  return root ? *root / kMachineIni : MachineIniPath(machine);
}

}  // namespace

std::filesystem::path MachineIniPath(const Machine& machine) { return machine.Root() / kMachineIni; }

std::shared_ptr<const IniText> MachineIni(const Machine& machine) {
  IniCache& cache = machine.HostIniFiles();
  auto path = KeptPath(machine);
  if (auto text = cache.Unchanged(path.native())) return text;
  const std::filesystem::path* root = machine.CanonicalRoot();
  const std::vector<std::filesystem::path> directories =
      root ? std::vector{*root} : std::vector<std::filesystem::path>{};
  auto text = cache.Get(
      path, [&] { return ReadHostFile(path); }, root ? &directories : nullptr);
  if (text) return text;
  static const auto empty = std::make_shared<const IniText>();
  return empty;
}

bool ReplaceMachineIni(const Machine& machine, const IniText& text) {
  machine.HostIniFiles().Drop(KeptPath(machine));
  return ReplaceHostFile(MachineIniPath(machine), text.Bytes()) == ERROR_SUCCESS;
}

std::optional<std::string> MachineSetting(const Machine& machine, std::string_view section, std::string_view key) {
  return MachineIni(machine)->Value(section, key);
}

std::vector<std::string> MachineSettingKeys(const Machine& machine, std::string_view section) {
  return MachineIni(machine)->KeyNames(section);
}

}  // namespace w95
