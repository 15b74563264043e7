#include "machine_builder/parallel_ports.h"

#include <string>

#include "machine_builder/hives.h"

namespace dxl::tools {

MachineBuilder& SetParallelPort(MachineBuilder& builder, unsigned number, std::optional<w95::PortHardware> state) {
  std::string key = "LPT" + std::to_string(number);
  if (!state) return builder.MachineIni(w95::kParallelPortsSection, key, std::nullopt);
  return builder.MachineIni(w95::kParallelPortsSection, key, w95::PortHardwareName(*state));
}

MachineBuilder& AddEnumeratedParallelPort(MachineBuilder& builder, unsigned number) {
  const std::string port = "LPT" + std::to_string(number);
  const std::string key = "HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0400\\0" + std::to_string(number);
  SetRegistryText(builder, key, "Class", "Ports");
  SetRegistryText(builder, key, "PortName", port);
  SetRegistryText(builder, key, "DeviceDesc", "ECP Printer Port (" + port + ")");
  SetRegistryText(builder, key, "HardwareID", "*PNP0400");
  return builder;
}

}  // namespace dxl::tools
