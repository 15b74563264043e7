// The check of a whole binary hive on any bytes: it answers without crashing
// or hanging, and every file it passes opens in libcreg, which reads each of
// its keys and values. The input is a hive as fuzz_creg_input.h makes it.
#include <string>

#include "fuzz_creg_input.h"
#include "fuzz_require.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_read.h"

using dxl::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes = dxl::fuzz::CregInput(data, size);
  if (w95::CheckCregFile(bytes)) return 0;
  w95::RegHive hive("HKEY_LOCAL_MACHINE");
  Require(!w95::ReadCregBytes(bytes, hive), "libcreg reads every file the check passes");
  return 0;
}
