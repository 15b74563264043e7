#include "platform/machine/machine_ini.h"

#include "platform/base/ini_text.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace w95 {

namespace {

IniText Load(const Machine& machine) {
  auto bytes = ReadHostFile(machine.Root() / "MACHINE.INI");
  return IniText(bytes.value_or(std::string()));
}

}  // namespace

std::optional<std::string> MachineSetting(const Machine& machine, std::string_view section, std::string_view key) {
  return Load(machine).Value(section, key);
}

std::vector<std::string> MachineSettingKeys(const Machine& machine, std::string_view section) {
  return Load(machine).KeyNames(section);
}

}  // namespace w95
