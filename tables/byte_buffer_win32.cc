// Record buffers from the C heap.
#include <cstdlib>
#include <new>

#include "tables/byte_buffer.h"

namespace tpd::block {

char* Resize(char* old, std::size_t /*old_capacity*/, std::size_t& capacity,
             std::size_t /*keep*/) {
  void* p = std::realloc(old, capacity);
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<char*>(p);
}

void Free(char* block, std::size_t /*capacity*/) { std::free(block); }

}  // namespace tpd::block
