#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/console.h"
#include "transfer/text.h"

namespace tpd {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace {
void Write(std::FILE* stream, std::u16string_view line) {
  std::string bytes = ToUtf8(line);
  bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}
}  // namespace

void WriteOut(std::u16string_view line) { Write(stdout, line); }
void WriteErr(std::u16string_view line) { Write(stderr, line); }

// A run allocates tens of megabytes in small pieces (codes, keys, texts) and touches each page
// once; on a virtual machine a page fault costs microseconds, so much of a run's time went to
// faulting the heap in four-kilobyte pages. The heap is grown once by a generous stretch of
// address space (nothing is touched until used) that may be backed by large pages, memory freed
// by one step stays for the next instead of being given back and faulted in again, and big arrays
// come from the heap rather than from mappings of their own. A thread that reads ahead for a run
// takes its memory from the same heap rather than from one of its own in small pages. Memory
// checkers bring their own allocator and are left alone.
void PrepareMemory() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE) && !defined(__SANITIZE_ADDRESS__)
  constexpr std::size_t kLargePage = std::size_t{2} << 20;
  constexpr int kHeapStretch = 128 << 20;
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_TRIM_THRESHOLD, 2 * kHeapStretch);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the most glibc allows
  mallopt(M_TOP_PAD, kHeapStretch);
  // An allocation the heap has no room for grows it by the stretch; freed, the room stays.
  void* probe = std::malloc(kLargePage);
  if (probe == nullptr) return;
  const auto from = (reinterpret_cast<std::uintptr_t>(probe) + kLargePage - 1) & ~(kLargePage - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kLargePage - 1);
  std::free(probe);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint
#endif
}

}  // namespace tpd
