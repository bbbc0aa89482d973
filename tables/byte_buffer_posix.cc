// Large record buffers as their own mappings, in whole large pages and aligned to them, so that
// the kernel can back them with large pages: filling a table of tens of megabytes then costs a few
// dozen page faults rather than thousands, and where a fault is dear (a virtual machine) that is
// most of the time it takes. A block grows in place when the address space after it is free, and
// otherwise moves its pages (not its bytes) to a new aligned block. Small buffers come from malloc
// like anything else.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "tables/byte_buffer.h"

namespace tpd::block {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kLarge = std::size_t{256} << 10;

bool IsLarge(std::size_t capacity) { return capacity >= kLarge; }

std::size_t WholeLargePages(std::size_t n) {
  if (n > SIZE_MAX - kLargePage) throw std::bad_alloc();
  return (n + kLargePage - 1) & ~(kLargePage - 1);
}

void AskLargePages(void* p, std::size_t capacity) {
#ifdef MADV_HUGEPAGE
  madvise(p, capacity, MADV_HUGEPAGE);  // a hint: refused or ignored, small pages do
#else
  (void)p, (void)capacity;
#endif
}

// A fresh mapping of `capacity` bytes (whole large pages) that starts on a large-page boundary:
// one large page more is mapped and the ends cut off.
char* MapAligned(std::size_t capacity) {
  const std::size_t span = capacity + kLargePage;
  void* p = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  char* const mapped = static_cast<char*>(p);
  const auto at = reinterpret_cast<std::uintptr_t>(mapped);
  char* const start = mapped + (((at + kLargePage - 1) & ~(kLargePage - 1)) - at);
  if (start > mapped) munmap(mapped, static_cast<std::size_t>(start - mapped));
  char* const end = start + capacity;
  if (end < mapped + span) munmap(end, static_cast<std::size_t>(mapped + span - end));
  AskLargePages(start, capacity);
  return start;
}

}  // namespace

char* Resize(char* old, std::size_t old_capacity, std::size_t& capacity, std::size_t keep) {
  if (!IsLarge(capacity)) {
    void* p = std::realloc(old, capacity);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<char*>(p);
  }
  capacity = WholeLargePages(capacity);
  if (old != nullptr && IsLarge(old_capacity)) {
#ifdef MREMAP_MAYMOVE
    if (mremap(old, old_capacity, capacity, 0) != MAP_FAILED) {  // grown where it is
      AskLargePages(old, capacity);
      return old;
    }
    char* fresh = MapAligned(capacity);
    if (mremap(old, old_capacity, old_capacity, MREMAP_MAYMOVE | MREMAP_FIXED, fresh) ==
        MAP_FAILED) {
      munmap(fresh, capacity);
      throw std::bad_alloc();
    }
    AskLargePages(fresh, capacity);
    return fresh;
#endif
  }
  char* fresh = MapAligned(capacity);
  if (keep > 0) std::memcpy(fresh, old, keep);
  Free(old, old_capacity);
  return fresh;
}

void Free(char* block, std::size_t capacity) {
  if (block == nullptr) return;
  if (IsLarge(capacity)) {
    munmap(block, capacity);
  } else {
    std::free(block);
  }
}

}  // namespace tpd::block
