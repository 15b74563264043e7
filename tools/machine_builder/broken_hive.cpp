#include "machine_builder/broken_hive.h"

#include <filesystem>
#include <string>

namespace dxl::tools {

void BreakSystemHive(MachineBuilder& builder) {
  const std::string hive = builder.InWindows("SYSTEM.REG");
  std::string bytes = std::filesystem::exists(builder.HostPath(hive)) ? builder.Read(hive) : "REGEDIT4\r\n\r\n";
  builder.File(hive, bytes + "[HKEY_LOCAL_MACHINE\\Software]\r\n" + std::string(kDamagedHiveLine));
}

}  // namespace dxl::tools
