// Makes the allocations of this test program fail on request, to drive code
// down its out-of-memory paths: while a FailAllocations lives, every
// operator new of at least `minimumSize` bytes fails (throwing, or null for
// the nothrow forms).
#pragma once

#include <cstddef>

namespace dxl::testing {

class FailAllocations {
 public:
  explicit FailAllocations(std::size_t minimumSize = 0);
  ~FailAllocations();
  FailAllocations(const FailAllocations&) = delete;
  FailAllocations& operator=(const FailAllocations&) = delete;
};

}  // namespace dxl::testing
