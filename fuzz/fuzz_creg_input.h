// A binary hive from fuzz input: the first byte chooses what is made right
// first, so that changes reach the structure behind it: bit 0 the checksums,
// bit 1 the free list and each block's header (and then the checksums too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry/creg_format.h"

namespace dxl::fuzz {

inline std::string CregInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 2) {
    w95::creg::RelinkFreeSlots(bytes);
    w95::creg::RecountBlocks(bytes);
  }
  if (data[0] & 3) w95::creg::UpdateChecksums(bytes);
  return bytes;
}

}  // namespace dxl::fuzz
