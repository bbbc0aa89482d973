// The platform side of the table store: table files held with a sharing mode. A table is written
// by the file replacement of transfer/replace_file.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transfer/replace_file.h"

namespace tpd {

// An existing table file, held open with the requested sharing until Close. Exclusive: no other
// program may open it (share mode 0 / flock LOCK_EX); shared: other programs may read and write
// it too (FILE_SHARE_READ | FILE_SHARE_WRITE / LOCK_SH). Neither waits for the other program.
class HeldFile {
 public:
  HeldFile() = default;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  FileStatus Open(const std::u16string& path, bool exclusive, bool writable);
  // The file's size now.
  FileStatus Size(std::uint64_t& size) const;
  // Up to `size` bytes from `offset` into `out`; `got` tells how many were there (fewer only at
  // the end of the file).
  FileStatus ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t& got) const;
  bool IsOpen() const { return handle_ != kNone; }
  void Close();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
};

}  // namespace tpd
