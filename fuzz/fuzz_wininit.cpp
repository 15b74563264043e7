// WININIT.INI of any bytes carried out at a restart: whatever it names, no
// file outside the machine directory is renamed, removed or created.
#include <fstream>

#include "fuzz_machine.h"
#include "platform/system/system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write("C:\\SCRATCH\\A.TXT", "a");
  machine.Write("C:\\SCRATCH\\B.TXT", "b");
  machine.Write("C:\\SCRATCH\\SUB\\C.TXT", "c");
  machine.Write("C:\\WINDOWS\\WININIT.INI", std::string_view(reinterpret_cast<const char*>(data), size));
  w95::ExitWindowsEx(w95::EWX_REBOOT, 0);
  machine.CheckOutsideUntouched();
  return 0;
}
