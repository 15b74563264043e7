#include "machine_builder/parallel_ports.h"

#include <string>

namespace dxl::tools {

MachineBuilder& SetParallelPort(MachineBuilder& builder, unsigned number, std::optional<w95::PortHardware> state) {
  std::string key = "LPT" + std::to_string(number);
  if (!state) return builder.MachineIni(w95::kParallelPortsSection, key, std::nullopt);
  return builder.MachineIni(w95::kParallelPortsSection, key, w95::PortHardwareName(*state));
}

}  // namespace dxl::tools
