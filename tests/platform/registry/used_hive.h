// Binary hives shaped as a long-used Windows installation leaves them, for
// the writer's tests: free slots and runs of them on the free list, blocks of
// up to 60 KB nearly full, ids skipped, free records at the end of each block
// (as Windows 95 keeps them) or also among the entries (as Windows 98 leaves
// them); every checksum kept.
#pragma once

#include <optional>
#include <string>

#include "platform/registry/reg_hive.h"

namespace w95::testing {

enum class FreeRecords { AtBlockEnd, AmongEntries };

std::string UsedCregHive(const RegNode& root, FreeRecords style);

// What of the bookkeeping is wrong in `file` (nothing when every field the
// format's own recount, relinking and checksums would set is as they set it,
// every entry names its block and has a distinct id of at most 254, and every
// key linked from the root is a slot in use whose entry is there).
std::optional<std::string> BookkeepingFault(const std::string& file);

}  // namespace w95::testing
