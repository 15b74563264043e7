// The parallel ports a real installation found: Windows 95 keeps every device
// its hardware detection or Plug and Play found under HKEY_LOCAL_MACHINE\Enum
// (Enum\<enumerator>\<device>\<instance>); a port's key has Class "Ports" and
// PortName "LPT1", "LPT2", ... (serial ports, "COMn", are of the same class).
#pragma once

#include <set>

namespace w95 {

class Machine;

// The numbers n of the ports "LPTn" (1 to 9) the registry of `machine` lists;
// empty when it lists none or has no usable registry. Read once per machine.
const std::set<unsigned>& EnumeratedParallelPorts(Machine& machine);

}  // namespace w95
