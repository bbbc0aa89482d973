// File services on Windows. The file system already ignores letter case, so names need no
// resolving. Long paths take the \\?\ form inside the calls (Win32Path).
#include <windows.h>

#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/file_system_platform.h"
#include "transfer/text.h"

namespace tpd {

namespace {

// From this length on, a full path takes the \\?\ form, in every call alike: most calls take the
// plain form up to MAX_PATH - 1 characters, but a folder's path only up to MAX_PATH - 12 (room
// for an 8.3 name).
constexpr std::size_t kLongPathFrom = MAX_PATH - 12;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string Narrow(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

bool IsAbsolute(std::u16string_view path) {
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return true;
  return path.size() >= 3 && path[1] == u':' && IsPathSeparator(path[2]);
}

std::wstring FullPath(const std::wstring& path) {
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

// Follows a link to what it names.
bool LinkTargetIsFile(const std::wstring& path) {
  HANDLE handle =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  BY_HANDLE_FILE_INFORMATION info;
  bool file = GetFileInformationByHandle(handle, &info) &&
              (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(handle);
  return file;
}

}  // namespace

FileStatus FailedWith(unsigned long code) {
  FileStatus s;
  s.code = code == 0 ? ERROR_GEN_FAILURE : static_cast<int>(code);
  s.in_use = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  return s;
}

std::wstring Win32Path(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return L"";
  std::wstring wide = Wide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.size() < kLongPathFrom && IsAbsolute(path)) return wide;
  std::wstring full = FullPath(wide);
  if (full.size() < kLongPathFrom) return wide;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::u16string_view PathSeparator() { return u"\\"; }

bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string ResolvePath(const std::u16string& path) { return path; }

bool FileExists(const std::u16string& path) {
  const std::wstring native = Win32Path(path);
  DWORD attributes = GetFileAttributesW(native.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // A file some program holds exclusively still exists; its folder entry says what it is.
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(native.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    attributes = found.dwFileAttributes;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return LinkTargetIsFile(native);
  return true;
}

bool FolderExists(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(Win32Path(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return false;
    default:
      return true;  // it may be there, only we may not look (access denied)
  }
}

bool RemoveFile(const std::u16string& path) { return DeleteFileW(Win32Path(path).c_str()) != 0; }

std::vector<std::u16string> FolderEntries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  std::u16string pattern = folder;
  if (!pattern.empty() && !IsPathSeparator(pattern.back())) pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Win32Path(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::u16string name = Narrow(data.cFileName);
    if (name != u"." && name != u"..") names.push_back(std::move(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

std::u16string SystemErrorText(int code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) text = u"Error " + IntToText(code);
  return text;
}

std::u16string ReadErrorText(int input_error) {
  switch (input_error) {
    case ERROR_FILE_NOT_FOUND:
      return u"File not found";
    case ERROR_PATH_NOT_FOUND:
      return u"Path not found";
    case ERROR_TOO_MANY_OPEN_FILES:
      return u"Too many open files";
    case ERROR_ACCESS_DENIED:
      return u"File access denied";
    default:
      return u"I/O error " + IntToText(input_error);
  }
}

std::u16string OpenErrorCause(int input_error) { return SystemErrorText(input_error); }

std::u16string CurrentDirectory() {
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(needed, L'\0');
  DWORD length = GetCurrentDirectoryW(needed, folder.data());
  folder.resize(length < needed ? length : 0);
  std::u16string out = Narrow(folder);
  // "C:\" keeps its separator; "C:\work\" does not.
  if (out.size() > 3 && IsPathSeparator(out.back())) out.pop_back();
  return out;
}

std::u16string AbsolutePath(const std::u16string& path) {
  if (IsAbsolute(path)) return path;
  if (path.empty()) return CurrentDirectory();
  return Narrow(FullPath(Wide(path)));
}

// ---- InputFile ----

InputFile::InputFile(const std::u16string& path) {
  // FILE_SHARE_READ alone: other readers are welcome, a writer is not, and a file someone is
  // writing fails with ERROR_SHARING_VIOLATION (32).
  HANDLE handle =
      CreateFileW(Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error_ = static_cast<int>(GetLastError());
    if (error_ == 0) error_ = ERROR_ACCESS_DENIED;
    return;
  }
  // Only files on a disk are read: a device (CON, NUL, COM1, LPT1), a pipe or a console in place
  // of a transfer file would wait for input or never end. Refused as the POSIX build refuses
  // anything that is not a plain file.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    error_ = ERROR_ACCESS_DENIED;
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
}

InputFile::~InputFile() { Close(); }

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  if (handle_ == -1) return 0;
  constexpr std::size_t kLargestRead = 1u << 30;  // ReadFile counts in a DWORD
  DWORD count = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer,
                static_cast<DWORD>(size < kLargestRead ? size : kLargestRead), &count, nullptr)) {
    error_ = static_cast<int>(GetLastError());
    return 0;
  }
  return count;
}

void InputFile::Close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

}  // namespace tpd
