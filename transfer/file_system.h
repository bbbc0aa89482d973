// The file-system services of the transfer files and tables. Paths are UTF-16 and absolute or
// relative to the current directory. On a case-sensitive file system every name of a path, the
// folders' as well as the file's, is matched without regard to letter case, as on Windows: the
// exact name first, else the entry of its folder whose name equals it ignoring ASCII letter case
// (the first in byte order when several do). Reading, testing, deleting and replacing
// (transfer/replace_file.h) all go through ResolvePath, so that a folder found by the folder test
// is the folder its files are looked for in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// u"\\" on Windows, u"/" elsewhere: what a run appends to the chosen folder to make `dirTxt`.
std::u16string_view PathSeparator();
// True for "\\" and "/" on Windows, "/" elsewhere.
bool IsPathSeparator(char16_t c);

// The path with each component that does not exist under its own name replaced by the existing
// entry that matches it ignoring ASCII letter case; from the first that matches nothing on, the
// rest as given. Unchanged when the path exists as it is.
std::u16string ResolvePath(const std::u16string& path);

// File test: an existing entry that is not a folder, links followed. A file locked by another
// program counts as existing.
bool FileExists(const std::u16string& path);
// Folder test: false only when the system reports the path as not found (file or path not found,
// device not ready, bad network path or name, invalid name, bad path name); any other failure of
// the query (access denied) counts as true. An existing entry that is not a folder is false.
bool FolderExists(const std::u16string& path);
// Removes the file; false when it could not. Callers ignore the result.
bool RemoveFile(const std::u16string& path);
// The names of the entries of `folder` (no "." / ".."), whatever the length of its path.
std::vector<std::u16string> FolderEntries(const std::u16string& folder);

// The system's own text for an error number (FormatMessageW / strerror), without a final line end.
std::u16string SystemErrorText(int code);

// Texts for an InputFile error (its error()). The "I/O error %d" family of line-by-line reading:
// a few errors have texts of their own ("File not found", "File access denied", ...), any other
// gives "I/O error N". A file held for writing by another program gives "I/O error 32".
std::u16string ReadErrorText(int input_error);
// The system's text for the cause, as "Cannot open file "%s". %s" shows it (SystemErrorText, but
// for the file held by another program, which POSIX reports through its own lock error).
std::u16string OpenErrorCause(int input_error);

// The process's current directory, without a trailing separator (except at a drive's root).
std::u16string CurrentDirectory();
// The path made absolute against the current directory; unchanged when already absolute.
std::u16string AbsolutePath(const std::u16string& path);

// A file opened for reading that other programs may read but not write while it is open.
class InputFile {
 public:
  // Throws nothing; check ok() / error(). `error` is the system's error number, 32
  // (kHeldByWriter) when another program holds the file for writing (on every platform).
  static constexpr int kHeldByWriter = 32;
  explicit InputFile(const std::u16string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool ok() const { return error_ == 0; }
  int error() const { return error_; }
  // Reads up to `size` bytes; returns the count, 0 at the end. Sets error() and returns 0 on a
  // read failure.
  std::size_t Read(char* buffer, std::size_t size);
  void Close();

 private:
  std::intptr_t handle_ = -1;
  int error_ = 0;
};

}  // namespace tpd
