// Seeded, repeatable garbage for robustness tests: random texts biased toward
// the bytes that mean something to the parsers, and mutations of real files.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace dxl::testing {

class RandomBytes {
 public:
  explicit RandomBytes(std::uint32_t seed) : engine_(seed) {}

  std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : engine_() % bound; }

  // `size` bytes; about half of them from `alphabet`, the rest any byte.
  std::string Text(std::size_t size, std::string_view alphabet) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i)
      out += Below(2) ? alphabet[Below(alphabet.size())] : static_cast<char>(Below(256));
    return out;
  }

  // `text` with a few random bytes changed, inserted or removed, or cut short.
  std::string Mutate(std::string text, std::string_view alphabet) {
    for (std::size_t edits = 1 + Below(4); edits > 0 && !text.empty(); --edits) {
      const std::size_t at = Below(text.size());
      switch (Below(4)) {
        case 0: text[at] = alphabet[Below(alphabet.size())]; break;
        case 1: text.insert(at, Text(1 + Below(3), alphabet)); break;
        case 2: text.erase(at, 1 + Below(8)); break;
        default: text.resize(at); break;
      }
    }
    return text;
  }

 private:
  std::mt19937 engine_;
};

}  // namespace dxl::testing
