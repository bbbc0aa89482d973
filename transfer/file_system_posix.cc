// File services on POSIX. Names are matched without regard to ASCII letter case, as on Windows;
// readers hold a shared flock and writers an exclusive one, so that a file being read admits
// other readers but no writer among the programs that take these locks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {

namespace {

// Writes are gathered into pieces of this size before they reach the system.
constexpr std::size_t kWriteBufferSize = 64 * 1024;

// Every this many bytes written, the system is asked to start putting them on the disk, so that
// the disk works while the rest is made and the wait at the commit is for the last piece only.
constexpr off_t kWritebackStep = 4 * 1024 * 1024;

// The temporary file of a replacement: hidden, beside its target, and recognisable by later runs.
// ".NAME.tpd-XXXXXX.tmp", the X's chosen by mkostemps.
constexpr std::string_view kTempPrefix = ".";
constexpr std::string_view kTempMarker = ".tpd-";
constexpr std::string_view kTempRandom = "XXXXXX";
constexpr std::string_view kTempSuffix = ".tmp";

// The path as the system takes it; false when it cannot name a file (a NUL inside would cut it
// short and name another one).
bool NativePath(const std::u16string& path, std::string& native) {
  if (path.find(u'\0') != std::u16string::npos) return false;
  native = ToUtf8(path);
  return true;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::u16string CreateErrorText(const std::u16string& path, int error) {
  return Subst(u"Cannot create file \"%s\". %s", {path, SystemErrorText(error)});
}

// Removes the temporary files that earlier replacements of `name` left in `folder` when they were
// cut short (a crash, a power cut). One still being written is locked and stays.
void RemoveLeftovers(const std::string& folder, const std::string& name) {
  const std::string prefix = std::string(kTempPrefix) + name + std::string(kTempMarker);
  const std::size_t length = prefix.size() + kTempRandom.size() + kTempSuffix.size();
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    std::string_view candidate = entry->d_name;
    if (candidate.size() != length || !candidate.starts_with(prefix) ||
        !candidate.ends_with(kTempSuffix)) {
      continue;
    }
    const std::string leftover = folder + std::string(candidate);
    int fd = open(leftover.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(leftover.c_str());
    close(fd);
  }
  closedir(dir);
}

}  // namespace

std::u16string_view PathSeparator() { return u"/"; }

bool IsPathSeparator(char16_t c) { return c == u'/'; }

std::u16string ResolvePath(const std::u16string& path) {
  std::string native;
  struct stat info;
  if (path.empty() || !NativePath(path, native) || lstat(native.c_str(), &info) == 0) return path;

  // The last component, leaving any trailing separators where they are.
  std::size_t end = path.find_last_not_of(u'/');
  if (end == std::u16string::npos) return path;
  std::size_t slash = path.rfind(u'/', end);
  std::size_t name_begin = slash == std::u16string::npos ? 0 : slash + 1;
  std::string folder = slash == std::u16string::npos ? "." : ToUtf8(path.substr(0, slash + 1));
  std::string name = ToUtf8(path.substr(name_begin, end + 1 - name_begin));

  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return path;
  std::string best;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    std::string_view candidate = entry->d_name;
    if (EqualIgnoringAsciiCase(candidate, name) && (!found || candidate < best)) {
      best = candidate;
      found = true;
    }
  }
  closedir(dir);
  if (!found) return path;
  return path.substr(0, name_begin) + FromUtf8(best) + path.substr(end + 1);
}

bool FileExists(const std::u16string& path) {
  std::string native;
  struct stat info;
  if (!NativePath(ResolvePath(path), native) || stat(native.c_str(), &info) != 0) return false;
  return !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::u16string& path) {
  std::string native;
  if (!NativePath(ResolvePath(path), native)) return false;
  struct stat info;
  if (stat(native.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return false;
    default:
      return true;  // it may be there, only we may not look (EACCES)
  }
}

bool RemoveFile(const std::u16string& path) {
  std::string native;
  return NativePath(ResolvePath(path), native) && unlink(native.c_str()) == 0;
}

std::u16string SystemErrorText(int code) {
  return FromUtf8(std::generic_category().message(code));
}

std::u16string ReadErrorText(int input_error) {
  switch (input_error) {
    case ENOENT:
      return u"File not found";
    case ENOTDIR:
      return u"Path not found";
    case EACCES:
    case EPERM:
    case EISDIR:
      return u"File access denied";
    case EMFILE:
    case ENFILE:
      return u"Too many open files";
    default:
      return u"I/O error " + IntToText(input_error);
  }
}

std::u16string OpenErrorCause(int input_error) {
  return SystemErrorText(input_error == InputFile::kHeldByWriter ? EWOULDBLOCK : input_error);
}

std::u16string CurrentDirectory() {
  std::string buffer(PATH_MAX, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return u".";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return FromUtf8(buffer);
}

std::u16string AbsolutePath(const std::u16string& path) {
  if (!path.empty() && path[0] == u'/') return path;
  std::u16string folder = CurrentDirectory();
  if (path.empty()) return folder;
  if (folder.back() != u'/') folder += u'/';
  return folder + path;
}

// ---- InputFile ----

InputFile::InputFile(const std::u16string& path) {
  std::string native;
  if (!NativePath(ResolvePath(path), native)) {
    error_ = ENOENT;
    return;
  }
  // O_NONBLOCK: opening a named pipe must not wait for a writer that never comes.
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  // Only plain files are read: a folder is refused, and so is a pipe or a device in place of a
  // transfer file, which would hang the run or never end.
  struct stat info;
  if (fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
    close(fd);
    error_ = S_ISDIR(info.st_mode) ? EISDIR : EACCES;
    return;
  }
  // A writer holding LOCK_EX keeps us out, as a sharing violation would on Windows. A file system
  // without flock support simply goes unlocked.
  if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    error_ = kHeldByWriter;
    return;
  }
  handle_ = fd;
}

InputFile::~InputFile() { Close(); }

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  if (handle_ < 0) return 0;
  for (;;) {
    ssize_t count = read(static_cast<int>(handle_), buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) {
      error_ = errno;
      return 0;
    }
  }
}

void InputFile::Close() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
}

// ---- FileReplacer ----

struct FileReplacer::Impl {
  std::u16string shown;  // the path as given, for the error text
  std::string target;
  std::string temp;
  int fd = -1;
  std::string buffer;
  off_t written = 0;      // bytes handed to the system
  off_t written_back = 0;  // of those, the bytes whose writing to the disk was started

  ~Impl() { Discard(); }

  void Discard() {
    if (fd >= 0) close(fd);
    fd = -1;
    if (!temp.empty()) unlink(temp.c_str());
    temp.clear();
  }

  [[noreturn]] void Fail(int error) {
    Discard();
    throw Error(CreateErrorText(shown, error));
  }

  void Open();
  void Flush();
};

void FileReplacer::Impl::Open() {
  if (!NativePath(ResolvePath(shown), target)) Fail(EINVAL);

  // Replace what a link points to, not the link.
  struct stat info;
  if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* real = realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  mode_t mode;
  bool exists = stat(target.c_str(), &info) == 0;
  if (exists) {
    if (S_ISDIR(info.st_mode)) Fail(EISDIR);
    // A file we may not write stays as it is, as it would had we opened it for writing.
    if (access(target.c_str(), W_OK) != 0) Fail(errno);
    mode = info.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }

  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  RemoveLeftovers(folder, name);
  std::string pattern = folder;
  for (std::string_view part : {kTempPrefix, std::string_view(name), kTempMarker, kTempRandom,
                                kTempSuffix}) {
    pattern += part;
  }
  fd = mkostemps(pattern.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
  if (fd < 0) Fail(errno);
  temp = pattern;
  flock(fd, LOCK_EX | LOCK_NB);  // nobody else is to read it half-written
  fchmod(fd, mode);
  if (exists && fchown(fd, info.st_uid, info.st_gid) != 0) {
    // Keeping the owner is a courtesy; a file of our own is still correct.
  }
}

void FileReplacer::Impl::Flush() {
  std::size_t done = 0;
  while (done < buffer.size()) {
    ssize_t count = write(fd, buffer.data() + done, buffer.size() - done);
    if (count < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    done += static_cast<std::size_t>(count);
  }
  written += static_cast<off_t>(done);
  buffer.clear();
  if (written - written_back >= kWritebackStep) {
    // Only a hint: where it is refused, the commit's fsync writes everything as before.
    sync_file_range(fd, written_back, written - written_back, SYNC_FILE_RANGE_WRITE);
    written_back = written;
  }
}

FileReplacer::FileReplacer(const std::u16string& path) : impl_(std::make_unique<Impl>()) {
  impl_->shown = path;
  impl_->Open();
}

FileReplacer::~FileReplacer() = default;

void FileReplacer::Write(std::string_view bytes) {
  if (impl_->fd < 0) impl_->Fail(EBADF);
  impl_->buffer += bytes;
  if (impl_->buffer.size() >= kWriteBufferSize) impl_->Flush();
}

void FileReplacer::Commit() {
  Impl& out = *impl_;
  if (out.fd < 0) out.Fail(EBADF);
  out.Flush();
  if (fsync(out.fd) != 0 && errno != EINVAL) out.Fail(errno);
  int fd = out.fd;
  out.fd = -1;
  if (close(fd) != 0) out.Fail(errno);
  if (rename(out.temp.c_str(), out.target.c_str()) != 0) out.Fail(errno);
  out.temp.clear();
}

void ReplaceFileBytes(const std::u16string& path, std::string_view bytes) {
  FileReplacer out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace tpd
