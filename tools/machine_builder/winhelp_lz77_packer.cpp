#include "machine_builder/winhelp_lz77_packer.h"

#include <algorithm>

#include "machine_builder/le_bytes.h"

namespace dxl::tools {

namespace {

constexpr size_t kWindow = 4096;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;

}  // namespace

void Lz77Packer::Add(std::string_view bytes) {
  size_t at = input_.size();
  input_ += bytes;
  while (at < input_.size()) {
    const size_t longest = std::min(kMaxMatch, input_.size() - at);
    size_t bestLength = 0, bestDistance = 0;
    for (size_t distance = 1; distance <= std::min(at, kWindow) && bestLength < longest; ++distance) {
      size_t length = 0;
      while (length < longest && input_[at - distance + length] == input_[at + length]) ++length;
      if (length > bestLength) bestLength = length, bestDistance = distance;
    }
    if (bestLength < kMinMatch) {
      Item(false);
      packed_ += input_[at++];
      continue;
    }
    Item(true);
    const unsigned code = unsigned(bestDistance - 1) | unsigned(bestLength - kMinMatch) << 12;
    Append16(packed_, code);
    at += bestLength;
  }
}

void Lz77Packer::Item(bool reference) {
  if (bitsUsed_ == 8) {
    flagAt_ = packed_.size();
    packed_ += '\0';
    bitsUsed_ = 0;
  }
  if (reference) packed_[flagAt_] = char(packed_[flagAt_] | 1 << bitsUsed_);
  ++bitsUsed_;
}

}  // namespace dxl::tools
