// dxlq7-mkmachine [--demo] DIR: writes a Windows 95 installation with the
// printing system set up into DIR, to try the wizard on (TSHOOTER_ROOT=DIR).
// With --demo the installation has the problems of the demo machine.
#include <cstdio>
#include <cstring>
#include <exception>

#include "machine_builder/demo_machine.h"
#include "machine_builder/machine_builder.h"

int main(int argc, char** argv) {
  bool demo = argc == 3 && std::strcmp(argv[1], "--demo") == 0;
  if (argc != 2 && !demo) {
    std::fprintf(stderr,
                 "usage: %s [--demo] DIR\n"
                 "  writes a Windows 95 machine with the printing system into DIR;\n"
                 "  --demo: with the few problems of the demo machine\n",
                 argv[0]);
    return 2;
  }
  try {
    dxl::tools::MachineBuilder builder(argv[argc - 1]);
    builder.InstallPrintingSystem();
    if (demo) dxl::tools::AddDemoProblems(builder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
