#include "platform/help/winhelp_lz77.h"

#include <algorithm>
#include <cstdint>

namespace w95::winhelp {

std::optional<std::string> Lz77Expand(std::string_view packed, size_t limit) {
  std::string out;
  out.reserve(std::min(limit, packed.size() * 2));
  size_t in = 0;
  while (in < packed.size() && out.size() < limit) {
    const uint8_t flags = static_cast<uint8_t>(packed[in++]);
    for (int bit = 0; bit < 8 && in < packed.size() && out.size() < limit; ++bit) {
      if (!(flags & (1u << bit))) {
        out += packed[in++];
        continue;
      }
      if (packed.size() - in < 2) return out;  // a reference cut by the end: the data ends before it
      const unsigned code = static_cast<uint8_t>(packed[in]) | static_cast<uint8_t>(packed[in + 1]) << 8;
      in += 2;
      const size_t distance = (code & 0x0FFF) + 1;
      const size_t length = (code >> 12) + 3;
      if (distance > out.size()) return std::nullopt;
      for (size_t i = 0; i < length && out.size() < limit; ++i) out += out[out.size() - distance];
    }
  }
  return out;
}

}  // namespace w95::winhelp
