// The failed property of a harness: named on standard error, then abort, so
// that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace dxl::fuzz {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace dxl::fuzz
