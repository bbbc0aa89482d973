#include <windows.h>

#include "tables/table_file.h"
#include "transfer/file_system_platform.h"

namespace tpd {
namespace {

HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

HeldFile::~HeldFile() { Close(); }

FileStatus HeldFile::Open(const std::u16string& path, bool exclusive, bool writable) {
  Close();
  const DWORD access = GENERIC_READ | (writable ? GENERIC_WRITE : 0);
  const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE h = CreateFileW(Win32Path(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FailedWith(GetLastError());
  // Only files on a disk: a device (CON, NUL, COM1), a pipe or a console named like a table would
  // wait for input or be read without end.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return FailedWith(ERROR_ACCESS_DENIED);
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return {};
}

FileStatus HeldFile::Size(std::uint64_t& size) const {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(H(handle_), &s)) return FailedWith(GetLastError());
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
      return FailedWith(code);
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

}  // namespace tpd
