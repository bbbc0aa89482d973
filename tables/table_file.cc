#include "tables/table_file.h"

namespace tpd {
namespace {
long long write_limit = -1;  // bytes still allowed before writes fail; -1: no limit
}  // namespace

void SetWriteLimitForTesting(long long bytes) { write_limit = bytes; }

bool WriteAllowed(std::size_t bytes) {
  if (write_limit < 0) return true;
  if (static_cast<long long>(bytes) > write_limit) {
    write_limit = 0;
    return false;
  }
  write_limit -= static_cast<long long>(bytes);
  return true;
}

}  // namespace tpd
