#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tables/table_file.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// A NUL inside a path would cut it short and name another file: such a path names nothing.
std::string Native(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return std::string();
  return ToUtf8(path);
}

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// Every this many bytes written, the system is asked to start putting them on the disk.
constexpr std::size_t kWritebackStep = std::size_t{4} << 20;

FileStatus Failed(int code) {
  FileStatus s;
  s.code = code == 0 ? EIO : code;
  s.name_taken = code == EEXIST;
  return s;
}

FileStatus InUse() {
  FileStatus s;
  s.code = EWOULDBLOCK;
  s.in_use = true;
  return s;
}

// Locks without waiting; in use when another open file description holds a conflicting lock.
FileStatus Lock(int fd, int how) {
  while (flock(fd, how | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return InUse();
    return Failed(errno);
  }
  return {};
}

}  // namespace

HeldFile::~HeldFile() { Close(); }

FileStatus HeldFile::Open(const std::u16string& path, bool exclusive, bool writable) {
  Close();
  // O_NONBLOCK, and only plain files: a pipe or a device named like a table would otherwise wait
  // for a writer, or be read without end.
  const int fd =
      ::open(Native(path).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Failed(errno);
  struct stat st;
  if (fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Failed(S_ISDIR(st.st_mode) ? EISDIR : EACCES);
  }
  FileStatus s = Lock(fd, exclusive ? LOCK_EX : LOCK_SH);
  if (!s.ok()) {
    ::close(fd);
    return s;
  }
  handle_ = fd;
  return {};
}

FileStatus HeldFile::Size(std::uint64_t& size) const {
  struct stat st;
  if (fstat(Fd(handle_), &st) != 0) return Failed(errno);
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
      return Failed(errno);
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

TempFile::~TempFile() { Remove(); }

FileStatus TempFile::Create(const std::u16string& path) {
  Remove();
  const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Failed(errno);
  // Held for as long as it is written, so that a later run's clean-up passes it by.
  flock(fd, LOCK_EX | LOCK_NB);
  handle_ = fd;
  path_ = path;
  written_ = 0;
  return {};
}

FileStatus TempFile::Write(std::string_view bytes) {
  if (!WriteAllowed(bytes.size())) return Failed(ENOSPC);
  while (!bytes.empty()) {
    // A piece at a time, each one's writing to the disk started before the next is handed over:
    // the disk works while the rest is copied, and Finish waits for less.
    const std::size_t piece = bytes.size() < kWritebackStep ? bytes.size() : kWritebackStep;
    const ssize_t n = ::write(Fd(handle_), bytes.data(), piece);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(errno);
    }
    if (static_cast<std::size_t>(n) == kWritebackStep) {
      // Only a hint: where it is refused, Finish writes everything as before.
      sync_file_range(Fd(handle_), written_, n, SYNC_FILE_RANGE_WRITE);
    }
    written_ += static_cast<std::uint64_t>(n);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

FileStatus TempFile::Finish() {
  FileStatus s;
  if (fsync(Fd(handle_)) != 0) s = Failed(errno);
  // The lock goes with the descriptor; the rename follows at once.
  if (::close(Fd(handle_)) != 0 && s.ok()) s = Failed(errno);
  handle_ = -1;
  return s;
}

void TempFile::Remove() {
  if (handle_ >= 0) ::close(Fd(handle_));
  handle_ = -1;
  if (!path_.empty()) ::unlink(Native(path_).c_str());
  path_.clear();
}

FileStatus RenameOver(const std::u16string& temp, const std::u16string& target, HeldFile* held) {
  // flock is advisory: take the target's lock ourselves, so that a program holding the table
  // keeps it; our own hold is upgraded in place.
  int fd = held != nullptr && held->IsOpen() ? Fd(held->handle_) : -1;
  const bool own = fd < 0;
  if (own) fd = ::open(Native(target).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    FileStatus s = Lock(fd, LOCK_EX);
    if (!s.ok()) {
      if (own) ::close(fd);
      return s;
    }
  }
  FileStatus result;
  if (::rename(Native(temp).c_str(), Native(target).c_str()) != 0) result = Failed(errno);
  if (own && fd >= 0) ::close(fd);
  if (result.ok()) {
    // Make the rename itself durable.
    std::string folder = Native(target);
    folder.erase(folder.find_last_of('/') == std::string::npos ? 0 : folder.find_last_of('/'));
    const int dir =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      ::close(dir);
    }
  }
  return result;
}

FileStatus ProbeReplaceable(const std::u16string& target) {
  const int fd = ::open(Native(target).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};  // nothing there, or nothing we could hold: the commit will tell
  FileStatus s = Lock(fd, LOCK_EX);
  ::close(fd);
  return s.in_use ? s : FileStatus{};
}

void RemoveIfUnused(const std::u16string& path) {
  const int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(Native(path).c_str());
  ::close(fd);
}

std::vector<std::u16string> FolderEntries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  DIR* dir = opendir(Native(folder).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(FromUtf8(name));
  }
  closedir(dir);
  return names;
}

long ProcessId() { return static_cast<long>(getpid()); }

}  // namespace tpd
