// SYSTEM.REG of any bytes (REGEDIT4 text) under the printer discovery. Its
// answer and port list agree with the printers' keys of the hive as the
// REGEDIT4 reader loads it: the ports of DXLQ7 printers, local ones first, as
// many whole as fit the buffer; 1 exactly when one is the port asked.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/machine/machine.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/regedit4.h"
#include "ports/printer_discovery.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\SYSTEM.REG";
constexpr size_t kNameBuffer = 32;

// The ports of the printers listed under SOFTWARE\Classes\DXL\<list>.
void AddPorts(w95::RegHive& hive, std::string_view list, std::vector<std::string>& ports) {
  const w95::RegNode* key = hive.Find({"SOFTWARE", "Classes", "DXL", std::string(list)});
  if (!key) return;
  for (const auto& child : key->Children()) {
    const std::string name(child->Name());
    if (name.size() >= kNameBuffer || name.find("DXLQ7") == std::string::npos) continue;
    const size_t comma = name.find(',');
    if (comma != std::string::npos && comma + 1 < name.size()) ports.push_back(name.substr(comma + 1));
  }
}

// The ports joined by commas, as many whole as fit `size` bytes with a NUL.
std::string ListThatFits(const std::vector<std::string>& ports, size_t size) {
  std::string list;
  for (const auto& port : ports) {
    const size_t needed = list.size() + (list.empty() ? 0 : 1) + port.size() + 1;
    if (needed > size) break;
    list += (list.empty() ? "" : ",") + port;
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int portNumber = input.ConsumeIntegralInRange(0, 10);
  const size_t buffer = input.ConsumeIntegralInRange<size_t>(0, 128);
  const std::string text = input.ConsumeRemainingBytesAsString();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, text);
  w95::Machine::Use(machine.Root());

  std::string out = "untouched";
  const int answer = dxl::FindDriverPorts(0, portNumber, out, buffer);
  w95::RegHive hive("HKEY_LOCAL_MACHINE");
  std::vector<std::string> ports;
  if (!w95::ParseRegedit4(text, w95::LayoutOf(w95::RootKey::LocalMachine).fileRoots, hive)) {
    AddPorts(hive, "LocalPrinters", ports);
    AddPorts(hive, "RemotePrinters", ports);
  }
  if (ports.empty()) {
    Require(answer == -1, "without a printer's port the answer is -1");
  } else {
    const std::string selected = "LPT" + std::to_string(portNumber) + ":";
    const bool onPort = std::find(ports.begin(), ports.end(), selected) != ports.end();
    Require(answer == (onPort ? 1 : 0), "1 exactly when a printer is on the port asked");
    Require(out == ListThatFits(ports, buffer), "the list holds the printers' ports that fit, in order");
  }
  Require(machine.Builder().Read(kPath) == text, "the discovery leaves the hive file as it was");
  machine.CheckOutsideUntouched();
  return 0;
}
