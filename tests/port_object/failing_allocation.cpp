#include "failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

bool failing = false;
std::size_t failFrom = 0;

void* Allocate(std::size_t size) noexcept {
  if (failing && size >= failFrom) return nullptr;
  return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
  void* p = Allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace dxl::testing {

FailAllocations::FailAllocations(std::size_t minimumSize) {
  failFrom = minimumSize;
  failing = true;
}

FailAllocations::~FailAllocations() { failing = false; }

}  // namespace dxl::testing

// The replaceable allocation functions of this program.
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
