#include "platform/help/winhelp_lz77.h"

#include <algorithm>
#include <cstdint>

#include "platform/help/winhelp_bytes.h"

namespace w95::winhelp {

std::optional<std::string> Lz77Expand(std::string_view packed, size_t limit) {
  std::string out;
  out.reserve(std::min(limit, packed.size() * 2));
  ByteReader in(packed);
  while (!in.AtEnd() && out.size() < limit) {
    const uint8_t flags = in.U8();
    for (int bit = 0; bit < 8 && !in.AtEnd() && out.size() < limit; ++bit) {
      if (!(flags & (1u << bit))) {
        out += char(in.U8());
        continue;
      }
      const unsigned code = in.U16();
      if (!in.ok()) return out;  // a reference cut by the end: the data ends before it
      const size_t distance = (code & 0x0FFF) + 1;
      const size_t length = (code >> 12) + 3;
      if (distance > out.size()) return std::nullopt;
      for (size_t i = 0; i < length && out.size() < limit; ++i) out += out[out.size() - distance];
    }
  }
  return out;
}

}  // namespace w95::winhelp
