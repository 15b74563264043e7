// The check of a whole binary hive on any bytes: it answers without crashing
// or hanging, and every file it passes opens in libcreg, which reads each of
// its keys and values. The first byte chooses what is made right first, so
// that changes reach the structure behind it: bit 0 the checksums, bit 1 the
// free list and each block's header.
#include <string>

#include "fuzz_require.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"

using dxl::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 2) {
    w95::creg::RelinkFreeSlots(bytes);
    w95::creg::RecountBlocks(bytes);
  }
  if (data[0] & 3) w95::creg::UpdateChecksums(bytes);
  if (w95::CheckCregFile(bytes)) return 0;
  w95::RegHive hive("HKEY_LOCAL_MACHINE");
  Require(!w95::ReadCregBytes(bytes, hive), "libcreg reads every file the check passes");
  return 0;
}
