#include "machine_builder/demo_machine.h"

#include <string>

namespace dxl::tools {

namespace {

std::string Without(std::string text, const std::string& line) {
  auto at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

}  // namespace

void AddDemoProblems(MachineBuilder& builder) {
  // SYSTEM.INI lacks one of the three device= lines and has virtual memory off.
  std::string systemIni = Without(StandardSystemIni(), "device=DXLBANDS.386\r\n");
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  builder.SystemIni(systemIni);
}

}  // namespace dxl::tools
