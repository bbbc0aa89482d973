// Replacing a file on Windows. The temporary file is opened without sharing and with the right to
// rename it, and it is renamed over the target through that same handle: from its creation until
// after it has taken the target's place no other program, and no sweep of another run, can open,
// move or delete it.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "transfer/file_system.h"
#include "transfer/file_system_platform.h"
#include "transfer/replace_file.h"

namespace tpd {
namespace {

// Names already taken (by leftovers of earlier runs of the same process number) are passed over.
constexpr int kTempAttempts = 1000;
// WriteFile counts in a DWORD: larger writes go in pieces of this size.
constexpr std::size_t kLargestWrite = std::size_t{1} << 30;

HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Whether another program has `path` open without letting it be renamed over.
bool HeldByOther(const std::wstring& path) {
  const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(path.c_str(), DELETE, share_all, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  }
  CloseHandle(h);
  return false;
}

}  // namespace

FileStatus FileReplacement::Begin(const std::u16string& target, DiskSpace* space) {
  Abandon();
  const std::wstring native = Win32Path(target);
  if (native.empty()) return FailedWith(ERROR_INVALID_NAME);
  const DWORD attributes = GetFileAttributesW(native.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    // A folder, or a file marked read-only, is not to be replaced.
    return FailedWith(ERROR_ACCESS_DENIED);
  }

  RemoveLeftovers(target);
  const std::u16string folder = FolderOf(target);
  const std::u16string name = target.substr(folder.size());
  static int next = 0;  // one process, one thread: names go on from the last one tried
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::u16string temp =
        folder + TemporaryName(name, static_cast<long>(GetCurrentProcessId()), next++);
    // Share mode 0: nobody else opens it; DELETE: the right to rename it over the target.
    HANDLE h = CreateFileW(Win32Path(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
      return FailedWith(code);
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    target_ = target;
    temp_ = temp;
    space_ = space;
    return {};
  }
  return FailedWith(ERROR_FILE_EXISTS);
}

FileStatus FileReplacement::Write(std::string_view bytes) {
  if (!active()) return FailedWith(ERROR_INVALID_HANDLE);
  if (!TakeSpace(bytes.size())) return FailedWith(ERROR_DISK_FULL);
  while (!bytes.empty()) {
    const std::size_t piece = bytes.size() < kLargestWrite ? bytes.size() : kLargestWrite;
    DWORD count = 0;
    if (!WriteFile(H(handle_), bytes.data(), static_cast<DWORD>(piece), &count, nullptr)) {
      return FailedWith(GetLastError());
    }
    if (count == 0) return FailedWith(ERROR_DISK_FULL);
    bytes.remove_prefix(count);
  }
  return {};
}

FileStatus FileReplacement::Commit() {
  if (!active()) return FailedWith(ERROR_INVALID_HANDLE);
  if (!FlushFileBuffers(H(handle_))) {
    const FileStatus s = FailedWith(GetLastError());
    Abandon();
    return s;
  }
  const std::wstring to = Win32Path(target_);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
  // A program that has the old file open without sharing its deletion (a reader, a virus
  // scanner, an indexer) makes the rename fail with "access denied" for as long as it holds it.
  FileStatus status = WhileHeld([&] {
    if (SetFileInformationByHandle(H(handle_), FileRenameInfo, info,
                                   static_cast<DWORD>(buffer.size()))) {
      return FileStatus{};
    }
    const DWORD code = GetLastError();
    FileStatus s = FailedWith(code);
    s.in_use = s.in_use || code == ERROR_ACCESS_DENIED;
    return s;
  });
  if (!status.ok()) {
    // "Access denied" for want of rights, not because of a hold, is said as it is.
    if (status.in_use) status.in_use = HeldByOther(to);
    status.at_rename = true;
    Abandon();
    return status;
  }
  CloseHandle(H(handle_));  // the new file is the target now: let go of it
  handle_ = kNone;
  temp_.clear();
  return {};
}

void FileReplacement::Abandon() {
  if (!active()) return;
  CloseHandle(H(handle_));
  handle_ = kNone;
  DeleteFileW(Win32Path(temp_).c_str());
  temp_.clear();
}

FileStatus WaitUntilFree(const std::u16string& target) {
  const std::wstring native = Win32Path(target);
  return WhileHeld([&] {
    FileStatus s;
    if (HeldByOther(native)) {
      s.code = ERROR_SHARING_VIOLATION;
      s.in_use = true;
    }
    return s;
  });
}

void RemoveLeftovers(const std::u16string& target) {
  const std::u16string folder = FolderOf(target);
  const std::u16string name = target.substr(folder.size());
  for (const std::u16string& entry : FolderEntries(folder.empty() ? u"." : folder)) {
    // One that a live run is writing is open without sharing, and the delete fails.
    if (IsTemporaryOf(entry, name)) DeleteFileW(Win32Path(folder + entry).c_str());
  }
}

}  // namespace tpd
