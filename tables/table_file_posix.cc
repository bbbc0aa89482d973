#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tables/table_file.h"
#include "transfer/file_system_platform.h"

namespace tpd {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

HeldFile::~HeldFile() { Close(); }

FileStatus HeldFile::Open(const std::u16string& path, bool exclusive, bool writable) {
  Close();
  // O_NONBLOCK, and only plain files: a pipe or a device named like a table would otherwise wait
  // for a writer, or be read without end.
  const int fd =
      ::open(NativePath(path).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return FailedWith(errno);
  struct stat st;
  if (fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FailedWith(S_ISDIR(st.st_mode) ? EISDIR : EACCES);
  }
  FileStatus s = LockWithoutWaiting(fd, exclusive ? LOCK_EX : LOCK_SH);
  if (!s.ok()) {
    ::close(fd);
    return s;
  }
  handle_ = fd;
  return {};
}

FileStatus HeldFile::Size(std::uint64_t& size) const {
  struct stat st;
  if (fstat(Fd(handle_), &st) != 0) return FailedWith(errno);
  size = static_cast<std::uint64_t>(st.st_size);
  return {};
}

FileStatus HeldFile::ReadAt(std::uint64_t offset, char* out, std::size_t size,
                            std::size_t& got) const {
  got = 0;
  while (got < size) {
    const ssize_t n = pread(Fd(handle_), out + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailedWith(errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return {};
}

void HeldFile::Close() {
  if (handle_ != kNone) ::close(Fd(handle_));
  handle_ = kNone;
}

}  // namespace tpd
