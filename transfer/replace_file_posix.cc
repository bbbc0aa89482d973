// Replacing a file on POSIX. The temporary file is held by an exclusive flock from just after its
// creation until after its rename; a sweep removes only files whose lock it can take. flock is
// advisory: the target is locked too while it is renamed over, so that a program of ours holding
// the old file (another run, the timetabler's side of a test) keeps it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "transfer/file_system.h"
#include "transfer/file_system_platform.h"
#include "transfer/replace_file.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// Names already taken (by leftovers of earlier runs of the same process number) are passed over.
constexpr int kTempAttempts = 1000;

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// The target and what it is: a link is followed to the file it names, so that the link stays.
std::string RealTarget(const std::u16string& target) {
  std::string native = NativePath(ResolvePath(target));
  struct stat info;
  if (!native.empty() && lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* real = realpath(native.c_str(), nullptr)) {
      native = real;
      std::free(real);
    }
  }
  return native;
}

void FlushFolder(const std::string& folder) {
  const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  // A file system that cannot flush a folder has nothing more to do; the rename is done.
  fsync(dir);
  close(dir);
}

}  // namespace

FileStatus FileReplacement::Begin(const std::u16string& target, DiskSpace* space) {
  Abandon();
  const std::string native = RealTarget(target);
  if (native.empty()) return FailedWith(EINVAL);

  struct stat old;
  const bool exists = stat(native.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) return FailedWith(EISDIR);
    // Marked read-only: refused for every user, root included, as the read-only attribute is on
    // Windows. A file that this user may not write is not replaced either, as it would not be
    // had we opened it for writing.
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FailedWith(EACCES);
    if (access(native.c_str(), W_OK) != 0) return FailedWith(errno);
  }

  const std::u16string target16 = FromUtf8(native);
  RemoveLeftovers(target16);
  const std::u16string folder = FolderOf(target16);
  const std::u16string name = target16.substr(folder.size());
  static int next = 0;  // one process, one thread: names go on from the last one tried
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::u16string temp = folder + TemporaryName(name, getpid(), next++);
    const int fd = open(NativePath(temp).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return FailedWith(errno);
    }
    // Between the creation and the lock a sweep of another run may have taken the file for a
    // leftover: it then holds the lock, or has removed the name already. Either way this file is
    // not ours to use. A file system without flock holds nothing, and sweeps nothing either.
    const FileStatus locked = LockWithoutWaiting(fd, LOCK_EX);
    struct stat info;
    if (locked.in_use || (fstat(fd, &info) == 0 && info.st_nlink == 0)) {
      close(fd);
      continue;
    }
    if (exists) {
      // The owner first: a change of owner may clear the set-id bits that the mode then restores.
      if (fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Keeping the owner is a courtesy that only a privileged user can always afford.
      }
      fchmod(fd, old.st_mode & 07777);
    }
    handle_ = fd;
    target_ = target16;
    temp_ = temp;
    space_ = space;
    return {};
  }
  return FailedWith(EEXIST);
}

FileStatus FileReplacement::Write(std::string_view bytes) {
  if (!active()) return FailedWith(EBADF);
  if (!TakeSpace(bytes.size())) return FailedWith(ENOSPC);
  while (!bytes.empty()) {
    const ssize_t n = write(Fd(handle_), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailedWith(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

FileStatus FileReplacement::Commit() {
  if (!active()) return FailedWith(EBADF);
  // A file system that cannot flush a file (EINVAL) writes it through.
  if (fsync(Fd(handle_)) != 0 && errno != EINVAL) {
    const FileStatus s = FailedWith(errno);
    Abandon();
    return s;
  }
  const std::string target = NativePath(target_);
  // Our lock on the old file, while the name passes to the new one.
  const int old = open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  FileStatus status;
  if (old >= 0) {
    status = WhileHeld([&] { return LockWithoutWaiting(old, LOCK_EX); });
    if (!status.in_use) status = {};  // a file system without flock has nothing to hold
  }
  if (status.ok() && rename(NativePath(temp_).c_str(), target.c_str()) != 0) {
    status = FailedWith(errno);
  }
  if (old >= 0) close(old);
  if (!status.ok()) {
    status.at_rename = true;
    Abandon();
    return status;
  }
  FlushFolder(NativePath(FolderOf(target_)));
  close(Fd(handle_));  // the new file is the target now: let go of it
  handle_ = kNone;
  temp_.clear();
  return {};
}

void FileReplacement::Abandon() {
  if (!active()) return;
  // Removed while still held, so that no sweep can meet it unlocked.
  unlink(NativePath(temp_).c_str());
  close(Fd(handle_));
  handle_ = kNone;
  temp_.clear();
}

FileStatus WaitUntilFree(const std::u16string& target) {
  const int fd = open(RealTarget(target).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};  // nothing there, or nothing we could hold: the commit will tell
  FileStatus status = WhileHeld([&] { return LockWithoutWaiting(fd, LOCK_EX); });
  close(fd);
  return status.in_use ? status : FileStatus{};
}

void RemoveLeftovers(const std::u16string& target) {
  const std::u16string folder = FolderOf(target);
  const std::u16string name = target.substr(folder.size());
  for (const std::u16string& entry : FolderEntries(folder.empty() ? u"." : folder)) {
    if (!IsTemporaryOf(entry, name)) continue;
    const std::string path = NativePath(folder + entry);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    // Only a file nobody holds, and only while the name is still that file's: a run that has
    // just renamed its file away let go of it after the rename, and the name is gone by then.
    struct stat held, named;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && held.st_nlink > 0 &&
        lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      unlink(path.c_str());
    }
    close(fd);
  }
}

}  // namespace tpd
