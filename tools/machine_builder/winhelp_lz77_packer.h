// The LZ77 packing help files use (the reader is platform/help/winhelp_lz77.h):
// greedy, matches of 3 to 18 bytes up to 4096 bytes back. Input may be added
// in parts; references reach into every part added before.
#pragma once

#include <string>
#include <string_view>

namespace dxl::tools {

class Lz77Packer {
 public:
  void Add(std::string_view bytes);
  const std::string& Packed() const { return packed_; }

 private:
  void Item(bool reference);

  std::string input_;
  std::string packed_;
  size_t flagAt_ = 0;
  int bitsUsed_ = 8;
};

}  // namespace dxl::tools
