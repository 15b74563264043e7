// SYSTEM.REG of any bytes (REGEDIT4 text) under the registry entry check: it
// answers 0 or 1, 0 for a hive that does not load, the same on a second run,
// and only reads (the file is left byte for byte).
#include <fuzzer/FuzzedDataProvider.h>

#include "checks/registry_entries.h"
#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/machine/machine.h"
#include "platform/registry/registry.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\SYSTEM.REG";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string port = "LPT" + std::to_string(input.ConsumeIntegralInRange(1, 9)) + ":";
  const int notLocal = input.ConsumeBool() ? 1 : 0;
  const std::string hive = input.ConsumeRemainingBytesAsString();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, hive);
  w95::Machine::Use(machine.Root());  // the hive is read anew

  const int right = dxl::CheckRegistryEntries(port, notLocal);
  Require(right == 0 || right == 1, "the check answers 0 or 1");
  if (!w95::RegistryLoadError(w95::RootKey::ClassesRoot).empty()) Require(right == 0, "a broken hive is wrong");
  Require(dxl::CheckRegistryEntries(port, notLocal) == right, "the check answers the same twice");
  Require(machine.Builder().Read(kPath) == hive, "the check leaves the hive file as it was");
  machine.CheckOutsideUntouched();
  return 0;
}
