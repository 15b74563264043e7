// MSDOS.SYS and MACHINE.INI of any bytes: the Windows directory is always a
// directory of the machine, and the machine's settings read without harm.
#include <cstdio>
#include <cstdlib>

#include "fuzz_machine.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/machine/paths.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  machine.Write("C:\\MSDOS.SYS", bytes);
  machine.Write("C:\\MACHINE.INI", bytes);
  w95::Machine current(machine.Root());
  auto parsed = w95::ParseWindowsPath(current.WindowsDirectory());
  Require(parsed && parsed->kind == w95::PathKind::Local && !parsed->components.empty(),
          "the Windows directory is a local directory below C:\\");
  for (const auto& key : w95::MachineSettingKeys(current, "ParallelPorts"))
    (void)w95::MachineSetting(current, "ParallelPorts", key);
  machine.Write("C:\\MSDOS.SYS", "[Paths]\r\nWinDir=C:\\WINDOWS\r\n");
  return 0;
}
