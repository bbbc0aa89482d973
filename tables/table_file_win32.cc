#include <windows.h>

#include "tables/table_file.h"

namespace tpd {
namespace {

// Paths near or beyond MAX_PATH take the long-path form "\\?\" of their full path.
constexpr std::size_t kLongPathFrom = 240;

// A NUL inside a path would cut it short and name another file: such a path names nothing.
std::wstring Native(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return std::wstring();
  std::wstring p(path.begin(), path.end());
  if (p.size() < kLongPathFrom || p.rfind(L"\\\\?\\", 0) == 0) return p;
  const DWORD size = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
  if (size == 0) return p;
  std::wstring full(size, L'\0');
  const DWORD written = GetFullPathNameW(p.c_str(), size, full.data(), nullptr);
  if (written == 0 || written >= size) return p;
  full.resize(written);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsSharingError(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

FileStatus Status(DWORD code) {
  FileStatus s;
  s.code = code == 0 ? ERROR_GEN_FAILURE : static_cast<int>(code);
  s.in_use = IsSharingError(code);
  s.name_taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
  return s;
}

// Whether another program holds `path` so that it cannot be renamed over.
bool HeldByOther(const std::u16string& path) {
  const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(Native(path).c_str(), DELETE, share_all, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return IsSharingError(GetLastError());
  CloseHandle(h);
  return false;
}

}  // namespace

HeldFile::~HeldFile() { Close(); }

FileStatus HeldFile::Open(const std::u16string& path, bool exclusive, bool writable) {
  Close();
  const DWORD access = GENERIC_READ | (writable ? GENERIC_WRITE : 0);
  const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE h = CreateFileW(Native(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Status(GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return {};
}

FileStatus HeldFile::Size(std::uint64_t& size) const {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(H(handle_), &s)) return Status(GetLastError());
  size = static_cast<std::uint64_t>(s.QuadPart);
  return {};
}

FileStatus HeldFile::ReadAt(std::uint64_t offset, char* out, std::size_t size,
                            std::size_t& got) const {
  got = 0;
  while (got < size) {
    OVERLAPPED at{};
    const std::uint64_t from = offset + got;
    at.Offset = static_cast<DWORD>(from & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(from >> 32);
    const std::size_t left = size - got;
    const DWORD want = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
    DWORD n = 0;
    if (!ReadFile(H(handle_), out + got, want, &n, &at)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF) break;
      return Status(code);
    }
    if (n == 0) break;
    got += n;
  }
  return {};
}

void HeldFile::Close() {
  if (handle_ != kNone) CloseHandle(H(handle_));
  handle_ = kNone;
}

TempFile::~TempFile() { Remove(); }

FileStatus TempFile::Create(const std::u16string& path) {
  Remove();
  // Share mode 0: no other program can open the file before it takes its final name.
  HANDLE h = CreateFileW(Native(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Status(GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(h);
  path_ = path;
  return {};
}

FileStatus TempFile::Write(std::string_view bytes) {
  if (!WriteAllowed(bytes.size())) return Status(ERROR_DISK_FULL);
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD n = 0;
    if (!WriteFile(H(handle_), bytes.data(), chunk, &n, nullptr)) return Status(GetLastError());
    bytes.remove_prefix(n);
  }
  return {};
}

FileStatus TempFile::Finish() {
  FileStatus s;
  if (!FlushFileBuffers(H(handle_))) s = Status(GetLastError());
  CloseHandle(H(handle_));
  handle_ = -1;
  return s;
}

void TempFile::Remove() {
  if (handle_ != -1) CloseHandle(H(handle_));
  handle_ = -1;
  if (!path_.empty()) DeleteFileW(Native(path_).c_str());
  path_.clear();
}

FileStatus RenameOver(const std::u16string& temp, const std::u16string& target, HeldFile* held) {
  // Our own handle has no FILE_SHARE_DELETE either: it must go before the rename.
  if (held != nullptr) held->Close();
  if (MoveFileExW(Native(temp).c_str(), Native(target).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  const DWORD code = GetLastError();
  FileStatus s = Status(code);
  if (code == ERROR_ACCESS_DENIED && HeldByOther(target)) s.in_use = true;
  return s;
}

FileStatus ProbeReplaceable(const std::u16string& target) {
  if (HeldByOther(target)) return Status(ERROR_SHARING_VIOLATION);
  return {};
}

void RemoveIfUnused(const std::u16string& path) {
  // A temporary file still being written is open with share mode 0, so this fails for it.
  DeleteFileW(Native(path).c_str());
}

std::vector<std::u16string> FolderEntries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  std::u16string pattern = folder;
  if (!pattern.empty() && pattern.back() != u'\\' && pattern.back() != u'/') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Native(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
    if (name != u"." && name != u"..") names.push_back(std::move(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

}  // namespace tpd
