// Binary hives shaped like those of an installation used for years, for the
// tests and fuzzers of the hive writer: keys scattered over the navigation
// area between runs of free slots, name entries in many nearly full blocks of
// 60 or 64 KiB with ids up to 254 and gaps among them, free records in the
// style of Windows 95 (one at the end of each block) or of Windows 98 (several
// among the entries), stale bytes in everything free. Every rule of the
// bookkeeping holds on them (creg_check.h), and libcreg reads them as the tree
// they were written from. The same seed gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace w95 {
class RegNode;
}

namespace dxl::tools {

struct UsedHiveOptions {
  uint64_t seed = 1;
  bool win98 = false;     // free records among the entries, else one at the end of each block
  bool checksums = true;  // the flags declare the checksums valid (and they are)
  // MachineBuilder::UseUsedHives: keys of AddUsedInstallationKeys added to
  // SYSTEM.DAT once (5000 make some 30 blocks of 60 KiB and more).
  size_t installationKeys = 0;
};

// A hive file that reads as `root`, laid out as after years of use.
std::string UsedCregHive(const w95::RegNode& root, const UsedHiveOptions& options = {});

// Adds `count` keys below `root` as a long-used installation has them (devices
// of the hardware tree and their driver keys, each with a few text and binary
// values of a few hundred bytes in all), the same for the same seed.
void AddUsedInstallationKeys(w95::RegNode& root, size_t count, uint64_t seed);

}  // namespace dxl::tools
