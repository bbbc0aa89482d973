#include "tests/support/memory_limit.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
std::size_t limit = SIZE_MAX;
std::size_t largest = 0;
}  // namespace

namespace tpd::test {

MemoryLimit::MemoryLimit(std::size_t bytes) {
  limit = bytes;
  largest = 0;
}

MemoryLimit::~MemoryLimit() { limit = SIZE_MAX; }

std::size_t MemoryLimit::LargestRequest() const { return largest; }

}  // namespace tpd::test

void* operator new(std::size_t size) {
  if (size > largest) largest = size;
  if (size > limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
