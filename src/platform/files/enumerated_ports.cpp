#include "platform/files/enumerated_ports.h"

#include <string>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/registry/registry.h"

namespace w95 {

namespace {

// Enum\<enumerator>\<device>\<instance>: the instance keys are three below Enum.
constexpr int kInstanceDepth = 3;
constexpr DWORD kNameBuffer = 256;

std::string TextValue(const RegKey& key, std::string_view name) {
  std::string data;
  DWORD size = kNameBuffer;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(key, name, &type, &data, size) != ERROR_SUCCESS || type != REG_SZ) return {};
  return RegText(data);
}

// "LPTn" (n from 1 to 9, any case, blanks around) as n; 0 for anything else.
unsigned ParallelPortNumber(std::string_view portName) {
  portName = Trim(portName);
  if (portName.ends_with(':')) portName.remove_suffix(1);
  if (portName.size() != 4 || !EqualsNoCase(portName.substr(0, 3), "LPT")) return 0;
  return portName[3] >= '1' && portName[3] <= '9' ? static_cast<unsigned>(portName[3] - '0') : 0;
}

void CollectPorts(const RegKey& key, int depth, std::set<unsigned>& ports) {
  if (depth == kInstanceDepth) {
    if (!EqualsNoCase(Trim(TextValue(key, "Class")), "Ports")) return;
    if (unsigned number = ParallelPortNumber(TextValue(key, "PortName"))) ports.insert(number);
    return;
  }
  for (DWORD index = 0;; ++index) {
    std::string name;
    DWORD size = kNameBuffer;
    const LONG result = RegEnumKeyExA(key, index, name, size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return;
    RegKey child;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, child) == ERROR_SUCCESS) CollectPorts(child, depth + 1, ports);
  }
}

struct EnumeratedPorts {
  explicit EnumeratedPorts(Machine&) {
    RegKey root;
    if (RegOpenKeyExA(RootKey::LocalMachine, "Enum", 0, KEY_READ, root) == ERROR_SUCCESS) CollectPorts(root, 0, ports);
  }
  std::set<unsigned> ports;
};

}  // namespace

const std::set<unsigned>& EnumeratedParallelPorts(Machine& machine) { return machine.Service<EnumeratedPorts>().ports; }

}  // namespace w95
