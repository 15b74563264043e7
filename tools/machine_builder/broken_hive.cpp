#include "machine_builder/broken_hive.h"

#include <filesystem>
#include <string>

namespace dxl::tools {

void BreakSystemHive(MachineBuilder& builder) {
  if (builder.BinaryRegistry()) {
    // A binary hive whose navigation record is gone: libcreg cannot read it.
    const std::string dat = builder.InWindows("SYSTEM.DAT");
    std::string bytes = std::filesystem::exists(builder.HostPath(dat)) ? builder.Read(dat) : std::string(64, '\0');
    bytes.replace(0, 4, "CREG");
    bytes.replace(32, 4, "XXXX");
    builder.File(dat, bytes);
    return;
  }
  const std::string hive = builder.InWindows("SYSTEM.REG");
  std::string bytes = std::filesystem::exists(builder.HostPath(hive)) ? builder.Read(hive) : "REGEDIT4\r\n\r\n";
  builder.File(hive, bytes + "[HKEY_LOCAL_MACHINE\\Software]\r\n" + std::string(kDamagedHiveLine));
}

}  // namespace dxl::tools
