// The platform side of the table store: table files held with a sharing mode, the temporary file
// of a replacement, the rename that commits it, and the folder scan for leftovers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// The result of a platform call: the system's error number (0 when it worked), and whether the
// cause is another program holding the file.
struct FileStatus {
  int code = 0;
  bool in_use = false;
  bool name_taken = false;  // a file of that name exists already (TempFile::Create)
  bool ok() const { return code == 0 && !in_use; }
};

// An existing table file, held open with the requested sharing until Close. Exclusive: no other
// program may open it (share mode 0 / flock LOCK_EX); shared: other programs may read and write
// it too (FILE_SHARE_READ | FILE_SHARE_WRITE / LOCK_SH). Neither waits for the other program.
class HeldFile {
 public:
  HeldFile() = default;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  FileStatus Open(const std::u16string& path, bool exclusive, bool writable);
  // The file's size now.
  FileStatus Size(std::uint64_t& size) const;
  // Up to `size` bytes from `offset` into `out`; `got` tells how many were there (fewer only at
  // the end of the file).
  FileStatus ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t& got) const;
  bool IsOpen() const { return handle_ != kNone; }
  void Close();

 private:
  friend FileStatus RenameOver(const std::u16string& temp, const std::u16string& target,
                               HeldFile* held);
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
};

// A new file that only this handle can open, created so that it never takes the place of an
// existing one. Writes go to the system in large pieces.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile();  // closes and removes a file that was not handed over
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Fails with name_taken when a file of that name exists.
  FileStatus Create(const std::u16string& path);
  FileStatus Write(std::string_view bytes);
  // Writes everything to the disk and closes the file; it stays until renamed or removed.
  FileStatus Finish();
  void Remove();
  const std::u16string& path() const { return path_; }
  bool exists() const { return !path_.empty(); }
  // Forgets the file (after it has been renamed to its final name).
  void Release() { path_.clear(); }

 private:
  std::intptr_t handle_ = -1;
  std::u16string path_;
  std::uint64_t written_ = 0;  // bytes written so far
};

// Takes the place of `target` by `temp` in one rename. Fails with in_use when another program has
// `target` open. `held` is this program's own hold on `target`, if any: it is released around the
// rename where the system needs that.
FileStatus RenameOver(const std::u16string& temp, const std::u16string& target, HeldFile* held);

// Whether `target` could be replaced now: false (in_use) when another program holds it.
FileStatus ProbeReplaceable(const std::u16string& target);

// Removes a leftover temporary file unless a live program still holds it.
void RemoveIfUnused(const std::u16string& path);

// The names of the entries of `folder` (no "." / "..").
std::vector<std::u16string> FolderEntries(const std::u16string& folder);

// A number that tells this process from others that might write into the same folder.
long ProcessId();

// Tests: makes every write fail as on a full disk after `bytes` more bytes; -1 turns this off.
void SetWriteLimitForTesting(long long bytes);
// The counterpart for the platform files: consumes the allowance; false when a write must fail.
bool WriteAllowed(std::size_t bytes);

}  // namespace tpd
