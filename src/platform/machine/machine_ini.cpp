#include "platform/machine/machine_ini.h"

#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace w95 {

std::filesystem::path MachineIniPath(const Machine& machine) { return machine.Root() / "MACHINE.INI"; }

std::shared_ptr<const IniText> MachineIni(const Machine& machine) {
  static const auto empty = std::make_shared<const IniText>();
  const auto path = MachineIniPath(machine);
  auto text = machine.HostIniFiles().Get(path, [&] { return ReadHostFile(path); });
  return text ? text : empty;
}

bool ReplaceMachineIni(const Machine& machine, const IniText& text) {
  machine.HostIniFiles().Drop(MachineIniPath(machine));
  return ReplaceHostFile(MachineIniPath(machine), text.Bytes()) == ERROR_SUCCESS;
}

std::optional<std::string> MachineSetting(const Machine& machine, std::string_view section, std::string_view key) {
  return MachineIni(machine)->Value(section, key);
}

std::vector<std::string> MachineSettingKeys(const Machine& machine, std::string_view section) {
  return MachineIni(machine)->KeyNames(section);
}

}  // namespace w95
