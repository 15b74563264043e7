// dxlq7-mkmachine [--demo | --binary-registry] DIR: writes a Windows 95 installation with the
// printing system set up into DIR, to try the wizard on (TSHOOTER_ROOT=DIR).
// With --demo the installation has the problems of the demo machine.
#include <cstdio>
#include <cstring>
#include <exception>

#include "machine_builder/demo_machine.h"
#include "machine_builder/machine_builder.h"

int main(int argc, char** argv) {
  bool demo = argc == 3 && std::strcmp(argv[1], "--demo") == 0;
  bool binary = argc == 3 && std::strcmp(argv[1], "--binary-registry") == 0;
  if (argc != 2 && !demo && !binary) {
    std::fprintf(stderr,
                 "usage: %s [--demo | --binary-registry] DIR\n"
                 "  writes a Windows 95 machine with the printing system into DIR;\n"
                 "  --demo: with the few problems of the demo machine\n"
                 "  --binary-registry: registry in SYSTEM.DAT and USER.DAT, as a real installation\n",
                 argv[0]);
    return 2;
  }
  try {
    dxl::tools::MachineBuilder builder(argv[argc - 1]);
    if (binary) builder.UseBinaryRegistry();
    builder.InstallPrintingSystem();
    if (demo) dxl::tools::AddDemoProblems(builder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
