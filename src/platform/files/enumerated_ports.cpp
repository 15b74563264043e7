#include "platform/files/enumerated_ports.h"

#include <string>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/registry/reg_scan.h"

namespace w95 {

namespace {

// Enum\<enumerator>\<device>\<instance>: the instance keys are three below Enum.
constexpr int kInstanceDepth = 3;
constexpr DWORD kNameBuffer = 256;

// A REG_SZ value as a caller with a buffer of kNameBuffer bytes reads it: up to its first NUL.
std::string_view TextValue(const RegScannedKey& key, std::string_view name) {
  DWORD type = REG_NONE;
  std::string_view data;
  if (!key.Value(name, type, data) || type != REG_SZ || data.size() > kNameBuffer) return {};
  return data.substr(0, data.find('\0'));
}

// "LPTn" (n from 1 to 9, any case, blanks around) as n; 0 for anything else.
unsigned ParallelPortNumber(std::string_view portName) {
  portName = Trim(portName);
  if (portName.ends_with(':')) portName.remove_suffix(1);
  if (portName.size() != 4 || !EqualsNoCase(portName.substr(0, 3), "LPT")) return 0;
  return portName[3] >= '1' && portName[3] <= '9' ? static_cast<unsigned>(portName[3] - '0') : 0;
}

struct EnumeratedPorts {
  explicit EnumeratedPorts(Machine&) {
    RegScanKeys(RootKey::LocalMachine, "Enum", kInstanceDepth, [this](const RegScannedKey& key) {
      if (!EqualsNoCase(Trim(TextValue(key, "Class")), "Ports")) return;
      if (unsigned number = ParallelPortNumber(TextValue(key, "PortName"))) ports.insert(number);
    });
  }
  std::set<unsigned> ports;
};

}  // namespace

const std::set<unsigned>& EnumeratedParallelPorts(Machine& machine) { return machine.Service<EnumeratedPorts>().ports; }

}  // namespace w95
