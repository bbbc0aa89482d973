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
#include "transfer/file_system_platform.h"
#include "transfer/text.h"

namespace tpd {

namespace {

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

// The entry of `folder` whose name equals `name` ignoring ASCII letter case, the first in byte
// order when several do; empty when none does.
std::string EntryIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::string();
  std::string best;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view candidate = entry->d_name;
    if (EqualIgnoringAsciiCase(candidate, name) && (best.empty() || candidate < best)) {
      best = candidate;
    }
  }
  closedir(dir);
  return best;
}

}  // namespace

FileStatus FailedWith(int code) {
  FileStatus s;
  s.code = code == 0 ? EIO : code;
  return s;
}

FileStatus LockWithoutWaiting(int fd, int how) {
  while (flock(fd, how | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    FileStatus s = FailedWith(errno);
    s.in_use = errno == EWOULDBLOCK;
    return s;
  }
  return {};
}

std::string NativePath(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return std::string();
  return ToUtf8(path);
}

std::u16string_view PathSeparator() { return u"/"; }

bool IsPathSeparator(char16_t c) { return c == u'/'; }

std::u16string ResolvePath(const std::u16string& path) {
  const std::string native = NativePath(path);
  struct stat info;
  if (native.empty() || lstat(native.c_str(), &info) == 0) return path;

  // Component by component from the start: one that does not exist under its own name takes the
  // name of the entry of its folder that matches it ignoring case. From the first that matches
  // nothing on, the rest stays as given (a file about to be created in a folder typed in another
  // case goes into that folder). Separators stay where they are.
  std::string resolved;
  std::size_t at = 0;
  while (at < path.size() && path[at] == u'/') resolved += static_cast<char>(path[at++]);
  while (at < path.size()) {
    std::size_t end = path.find(u'/', at);
    if (end == std::u16string::npos) end = path.size();
    const std::string name = ToUtf8(path.substr(at, end - at));
    if (lstat((resolved + name).c_str(), &info) == 0) {
      resolved += name;
    } else {
      const std::string match = EntryIgnoringCase(resolved.empty() ? "." : resolved, name);
      if (match.empty()) return FromUtf8(resolved) + path.substr(at);
      resolved += match;
    }
    while (end < path.size() && path[end] == u'/') resolved += static_cast<char>(path[end++]);
    at = end;
  }
  return FromUtf8(resolved);
}

bool FileExists(const std::u16string& path) {
  const std::string native = NativePath(ResolvePath(path));
  struct stat info;
  if (native.empty() || stat(native.c_str(), &info) != 0) return false;
  return !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::u16string& path) {
  const std::string native = NativePath(ResolvePath(path));
  if (native.empty()) return false;
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
  const std::string native = NativePath(ResolvePath(path));
  return !native.empty() && unlink(native.c_str()) == 0;
}

std::vector<std::u16string> FolderEntries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  DIR* dir = opendir(NativePath(folder).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(FromUtf8(name));
  }
  closedir(dir);
  return names;
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
  const std::string native = NativePath(ResolvePath(path));
  if (native.empty()) {
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

}  // namespace tpd
