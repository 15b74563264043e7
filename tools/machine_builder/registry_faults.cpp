#include "machine_builder/registry_faults.h"

#include <string>

#include "machine_builder/hives.h"

namespace dxl::tools {

namespace {

enum class Group { Port, Provider, Driver };

struct EntryInfo {
  std::string_view name;
  Group group;
};

constexpr EntryInfo kEntries[kRegistryEntryCount] = {
    {"APD", Group::Port},
    {"DeviceID", Group::Port},
    {"Emulation", Group::Port},
    {"HelpDir", Group::Port},
    {"Mfg", Group::Port},
    {"Model", Group::Port},
    {"Provider", Group::Port},
    {"Sleek", Group::Port},
    {"InitialSpoolMethod", Group::Provider},
    {"Module", Group::Provider},
    {"Configuration File", Group::Driver},
    {"Data File", Group::Driver},
    {"Datatype", Group::Driver},
    {"Driver", Group::Driver},
    {"Monitor", Group::Driver},
};

// Neither equal to nor containing any expected text ("1" included).
constexpr std::string_view kWrongText = "wrong";

}  // namespace

std::string_view RegistryEntryName(RegistryEntry entry) { return kEntries[static_cast<int>(entry)].name; }

void BreakRegistryEntry(MachineBuilder& builder, RegistryEntry entry, EntryFault fault, std::string_view portName,
                        bool remote) {
  const EntryInfo& info = kEntries[static_cast<int>(entry)];
  std::string key;
  std::string valueName;
  switch (info.group) {
    case Group::Port: key = PortKeyPath(portName, remote) + "\\" + std::string(info.name); break;
    case Group::Provider: key = std::string(kProviderKey) + "\\" + std::string(info.name); break;
    case Group::Driver:
      key = kDriverKey;
      valueName = info.name;
      break;
  }
  switch (fault) {
    case EntryFault::Wrong: SetRegistryText(builder, key, valueName, kWrongText); break;
    case EntryFault::Overlong: SetRegistryText(builder, key, valueName, std::string(64, 'X')); break;
    case EntryFault::Missing:
      if (info.group == Group::Driver) {
        DeleteRegistryValue(builder, key, valueName);
      } else {
        DeleteRegistryKey(builder, key);
      }
      break;
  }
}

}  // namespace dxl::tools
