// For the test programs that link memory_limit.cc: the program's allocations pass through a
// replaced operator new, which can be told to fail as a machine out of memory does, and which
// remembers the largest single request. One thread, as the runs are.
#pragma once

#include <cstddef>

namespace tpd::test {

// While alive, every allocation of more than `bytes` fails with std::bad_alloc; LargestRequest()
// counts from its start.
class MemoryLimit {
 public:
  explicit MemoryLimit(std::size_t bytes);
  ~MemoryLimit();
  MemoryLimit(const MemoryLimit&) = delete;
  MemoryLimit& operator=(const MemoryLimit&) = delete;

  // The largest single allocation asked for since the limit was set, refused ones included.
  std::size_t LargestRequest() const;
};

}  // namespace tpd::test
