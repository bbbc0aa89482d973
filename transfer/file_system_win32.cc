// File services on Windows. The file system already ignores letter case, so names need no
// resolving. Paths longer than MAX_PATH - 1 characters take the \\?\ form inside the calls.
#include <windows.h>

#include <atomic>

#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {

namespace {

// Writes are gathered into pieces of this size before they reach the system.
constexpr std::size_t kWriteBufferSize = 64 * 1024;

// A replacement that meets a reader or a virus scanner holding the old file tries again for a
// while before it gives up: kMoveAttempts tries, kMoveWaitMs apart.
constexpr int kMoveAttempts = 20;
constexpr DWORD kMoveWaitMs = 50;

// The temporary file of a replacement: beside its target and recognisable by later runs,
// ".NAME.tpd-XXXXXX.tmp".
constexpr char16_t kTempPrefix[] = u".";
constexpr char16_t kTempInfix[] = u".tpd-";
constexpr char16_t kTempSuffix[] = u".tmp";
constexpr int kTempAttempts = 100;

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

// The path as a Win32 call takes it: \\?\ (or \\?\UNC\) before a full path that MAX_PATH would
// cut short. A NUL inside would make the call see another name, so such a path names nothing.
std::wstring Win32Path(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return L"";
  std::wstring wide = Wide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.size() < MAX_PATH && IsAbsolute(path)) return wide;
  std::wstring full = FullPath(wide);
  if (full.size() < MAX_PATH) return wide;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::u16string CreateErrorText(const std::u16string& path, DWORD error) {
  return Subst(u"Cannot create file \"%s\". %s", {path, SystemErrorText(static_cast<int>(error))});
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

// Removes the temporary files that earlier replacements of `name` left in `folder` when they were
// cut short (a crash, a power cut). One still being written is open without sharing and stays.
void RemoveLeftovers(const std::u16string& folder, const std::u16string& name) {
  const std::u16string pattern = folder + kTempPrefix + name + kTempInfix + u"??????" + kTempSuffix;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Win32Path(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileW(Win32Path(folder + Narrow(found.cFileName)).c_str());
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

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

// ---- FileReplacer ----

struct FileReplacer::Impl {
  std::u16string shown;  // the path as given, for the error text
  std::u16string temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::string buffer;

  ~Impl() { Discard(); }

  void Discard() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    if (!temp.empty()) DeleteFileW(Win32Path(temp).c_str());
    temp.clear();
  }

  [[noreturn]] void Fail(DWORD error) {
    Discard();
    throw Error(CreateErrorText(shown, error));
  }

  void Open();
  void Flush();
};

void FileReplacer::Impl::Open() {
  const std::wstring target = Win32Path(shown);
  if (target.empty()) Fail(ERROR_INVALID_NAME);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    // A folder, or a file marked read-only, is not to be replaced.
    Fail(ERROR_ACCESS_DENIED);
  }

  std::size_t slash = shown.find_last_of(u"\\/:");
  std::u16string folder = slash == std::u16string::npos ? u"" : shown.substr(0, slash + 1);
  std::u16string name = slash == std::u16string::npos ? shown : shown.substr(slash + 1);
  RemoveLeftovers(folder, name);
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    unsigned stamp = (GetTickCount() * 2654435761u) ^ (GetCurrentProcessId() << 8) ^ ++counter;
    wchar_t digits[8];
    wsprintfW(digits, L"%06x", stamp & 0xFFFFFF);
    std::u16string candidate =
        folder + kTempPrefix + name + kTempInfix + Narrow(digits) + kTempSuffix;
    // Share mode 0: nobody opens the file while it is half-written.
    handle = CreateFileW(Win32Path(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temp = candidate;
      return;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) Fail(error);
  }
  Fail(ERROR_FILE_EXISTS);
}

void FileReplacer::Impl::Flush() {
  std::size_t done = 0;
  while (done < buffer.size()) {
    constexpr std::size_t kLargestWrite = 1u << 30;  // WriteFile counts in a DWORD
    std::size_t piece = buffer.size() - done < kLargestWrite ? buffer.size() - done : kLargestWrite;
    DWORD count = 0;
    if (!WriteFile(handle, buffer.data() + done, static_cast<DWORD>(piece), &count, nullptr)) {
      Fail(GetLastError());
    }
    if (count == 0) Fail(ERROR_DISK_FULL);
    done += count;
  }
  buffer.clear();
}

FileReplacer::FileReplacer(const std::u16string& path) : impl_(std::make_unique<Impl>()) {
  impl_->shown = path;
  impl_->Open();
}

FileReplacer::~FileReplacer() = default;

void FileReplacer::Write(std::string_view bytes) {
  if (impl_->handle == INVALID_HANDLE_VALUE) impl_->Fail(ERROR_INVALID_HANDLE);
  impl_->buffer += bytes;
  if (impl_->buffer.size() >= kWriteBufferSize) impl_->Flush();
}

void FileReplacer::Commit() {
  Impl& out = *impl_;
  if (out.handle == INVALID_HANDLE_VALUE) out.Fail(ERROR_INVALID_HANDLE);
  out.Flush();
  if (!FlushFileBuffers(out.handle)) out.Fail(GetLastError());
  CloseHandle(out.handle);
  out.handle = INVALID_HANDLE_VALUE;

  const std::wstring from = Win32Path(out.temp);
  const std::wstring to = Win32Path(out.shown);
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      out.temp.clear();
      return;
    }
    DWORD error = GetLastError();
    bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!busy || attempt == kMoveAttempts) out.Fail(error);
    Sleep(kMoveWaitMs);
  }
}

void ReplaceFileBytes(const std::u16string& path, std::string_view bytes) {
  FileReplacer out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace tpd
