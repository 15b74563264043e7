// dxlq7-mkmachine DIR: writes a Windows 95 installation with the printing
// system set up into DIR, for trying the wizard on (TSHOOTER_ROOT=DIR).
#include <cstdio>
#include <exception>

#include "machine_builder/machine_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n  writes a Windows 95 machine with the printing system into DIR\n", argv[0]);
    return 2;
  }
  try {
    dxl::tools::MachineBuilder(argv[1]).InstallPrintingSystem();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
