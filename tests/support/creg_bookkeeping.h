// What the binary writer keeps beyond the rules every hive keeps
// (creg_check.h): the fields it derives from the rest of the file are exactly
// as it sets them, where Windows' own files may differ (a block's free offset
// naming another of its free records, free runs split or listed out of order).
#pragma once

#include <optional>
#include <string>

#include "platform/registry/creg_check.h"
#include "platform/registry/creg_format.h"

namespace dxl::testing {

// The first rule of the check the file breaks, or else whether a block header,
// the free list or a checksum is not as its records, free slots and bytes set it.
inline std::optional<std::string> WrittenBookkeepingFault(const std::string& file) {
  if (auto broken = w95::CheckCregFile(file)) return broken;
  std::string recounted = file;
  w95::creg::RecountBlocks(recounted);
  w95::creg::RelinkFreeSlots(recounted);
  w95::creg::UpdateChecksums(recounted);
  if (recounted != file) return "a block header or the free list is not as the writer sets it";
  return std::nullopt;
}

}  // namespace dxl::testing
