// Replacing a file in one step: the one way both the timetable file of the import and the tables
// are written. The new bytes go to a temporary file beside the target, ".NAME.tpd-<n>.tmp", which
// this run holds from its creation until after it has taken the target's place (an exclusive
// lock on POSIX, a handle without sharing on Windows). The file is written, flushed to the disk,
// renamed over the old file and, on POSIX, the folder is flushed, so that after a power cut the
// folder holds the old file or the new one, whole. The new file keeps the old one's permission
// bits (and its owner, where the system lets us). A target marked read-only is refused and left
// as it is. A hold of another program on the target that lasts less than about a second is
// waited out, on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tpd {

// How a step on a file went (a step of a replacement, or the table store's hold on a table): the
// system's error number, 0 when it worked.
struct FileStatus {
  int code = 0;
  bool in_use = false;     // another program holds the file (for longer than the wait, if any)
  bool at_rename = false;  // the new file was whole on the disk; taking the target's place failed
  bool ok() const { return code == 0; }
};

// The room a test leaves on the disk, to play a disk that fills up at a chosen byte: a write that
// does not fit fails as on a full disk, and what fits is taken from it. The program never makes
// one; tests hand it down to the replacements they want to fill.
struct DiskSpace {
  std::uint64_t left = 0;
};

class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();  // an unfinished replacement removes its temporary file
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts replacing `target` (created when missing): removes the leftovers of earlier
  // replacements of it, refuses a target marked read-only (no write bit on POSIX, or one this
  // user may not write; the read-only attribute on Windows) or a folder, and creates the
  // temporary file. `space` is for tests only. A replacement under way is abandoned first.
  FileStatus Begin(const std::u16string& target, DiskSpace* space = nullptr);
  // Appends to the temporary file.
  FileStatus Write(std::string_view bytes);
  // Flushes the temporary file to the disk, renames it over the target and flushes the folder.
  // On failure the target stays as it was and the temporary file is removed.
  FileStatus Commit();
  // Removes the temporary file; the target stays as it was.
  void Abandon();
  bool active() const { return handle_ != kNone; }

 private:
  // Takes `bytes` from the room a test left on the disk; false when they do not fit, and the
  // disk counts as full from then on.
  bool TakeSpace(std::size_t bytes);

  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the temporary file, held until after the rename
  std::u16string target_;         // as the system names it (a link followed)
  std::u16string temp_;
  DiskSpace* space_ = nullptr;
};

// Waits while another program holds `target` (or this program through another handle), for up
// to about a second; in_use when it still does. A missing target is free.
FileStatus WaitUntilFree(const std::u16string& target);

// Removes the temporary files that replacements of `target` left in its folder when they were
// cut short (a crash, a power cut), except those that a live run still holds. Failures are
// ignored.
void RemoveLeftovers(const std::u16string& target);

// The name of the temporary file of a replacement of the file named `name` (no folder).
std::u16string TemporaryName(std::u16string_view name, long process, int attempt);
// Whether the folder entry `entry` is such a temporary file of `name`, letter case ignored.
bool IsTemporaryOf(std::u16string_view entry, std::u16string_view name);

}  // namespace tpd
