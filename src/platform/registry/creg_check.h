// A check of a whole binary hive (CREG) against the bookkeeping Windows 95
// keeps in it and the structure readers need (docs/registry.md, "The
// bookkeeping of a binary hive"): bounds and links, the free slots and their
// list, the name entries and free records of every block, the block headers'
// sizes, offsets and ids, the checksums a flag declares valid, and the 4 KiB
// steps of the navigation area and of blocks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace w95 {

// The first rule the file breaks, as "at 0x<file offset>: <rule>", or nothing
// when every rule holds. Any bytes are safe: every walk is bounded.
std::optional<std::string> CheckCregFile(std::string_view bytes);

}  // namespace w95
