#include "transfer/replace_file.h"

#include <chrono>
#include <thread>

#include "transfer/file_system.h"
#include "transfer/file_system_platform.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// ".NAME.tpd-<n>.tmp": hidden on POSIX, and the ".tmp" end keeps it away from anything that
// looks for tables or transfer files.
constexpr std::u16string_view kTempStart = u".";
constexpr std::u16string_view kTempMark = u".TPD-";
constexpr std::u16string_view kTempEnd = u".TMP";

// A hold of another program is waited out for kHeldTries tries, kHeldWait apart: an antivirus or
// an indexer lets go of a fresh file within that, a program that has the file open does not.
constexpr int kHeldTries = 20;
constexpr std::chrono::milliseconds kHeldWait{50};

bool IsNameCharacter(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
         c == u'-';
}

}  // namespace

std::u16string TemporaryName(std::u16string_view name, long process, int attempt) {
  return std::u16string(kTempStart) + std::u16string(name) + LowerAscii(kTempMark) +
         IntToText(process) + u"-" + IntToText(attempt) + LowerAscii(kTempEnd);
}

bool IsTemporaryOf(std::u16string_view entry, std::u16string_view name) {
  const std::u16string upper = UpperAscii(entry);
  const std::u16string start =
      std::u16string(kTempStart) + UpperAscii(name) + std::u16string(kTempMark);
  if (upper.size() <= start.size() + kTempEnd.size() || !upper.starts_with(start) ||
      !upper.ends_with(kTempEnd)) {
    return false;
  }
  // Only what this program puts between the two: the temporary file of a target whose own name
  // goes on past NAME is not taken for one of NAME's.
  for (std::size_t i = start.size(); i < upper.size() - kTempEnd.size(); ++i) {
    if (!IsNameCharacter(upper[i])) return false;
  }
  return true;
}

std::u16string FolderOf(const std::u16string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return path.substr(0, i);
  }
  return std::u16string();
}

FileStatus WhileHeld(const std::function<FileStatus()>& attempt) {
  for (int tried = 1;; ++tried) {
    FileStatus status = attempt();
    if (!status.in_use || tried == kHeldTries) return status;
    std::this_thread::sleep_for(kHeldWait);
  }
}

FileReplacement::~FileReplacement() { Abandon(); }

bool FileReplacement::TakeSpace(std::size_t bytes) {
  if (space_ == nullptr) return true;
  if (bytes > space_->left) {
    space_->left = 0;
    return false;
  }
  space_->left -= bytes;
  return true;
}

}  // namespace tpd
