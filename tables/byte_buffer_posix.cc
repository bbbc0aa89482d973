// Large record buffers as their own mappings: Linux grows them with mremap, which moves the pages
// instead of copying the bytes, and they may be backed by large pages, so that filling a table of
// tens of megabytes costs a few hundred page faults rather than thousands. Small ones come from
// malloc like anything else.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "tables/byte_buffer.h"

namespace tpd::tables::block {
namespace {

constexpr std::size_t kLarge = std::size_t{1} << 20;

bool IsLarge(std::size_t capacity) { return capacity >= kLarge; }

char* Map(std::size_t capacity) {
  void* p = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(p, capacity, MADV_HUGEPAGE);  // a hint: refused or ignored, small pages do
#endif
  return static_cast<char*>(p);
}

}  // namespace

char* Resize(char* old, std::size_t old_capacity, std::size_t capacity, std::size_t keep) {
  if (!IsLarge(capacity)) {
    void* p = std::realloc(old, capacity);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<char*>(p);
  }
  if (old != nullptr && IsLarge(old_capacity)) {
#ifdef MREMAP_MAYMOVE
    void* p = mremap(old, old_capacity, capacity, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, capacity, MADV_HUGEPAGE);
#endif
    return static_cast<char*>(p);
#endif
  }
  char* fresh = Map(capacity);
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

}  // namespace tpd::tables::block
