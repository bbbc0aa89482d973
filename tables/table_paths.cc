#include "tables/table_paths.h"

#include "tables/table_file.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd::tables {
namespace {

constexpr std::u16string_view kTableEnding = u".DBF";
constexpr std::u16string_view kTempMark = u".TPD-";
constexpr std::u16string_view kTempEnding = u".TMP";

}  // namespace

std::u16string JoinPath(const std::u16string& folder, std::u16string_view name) {
  std::u16string path = folder;
  if (!path.empty() && !IsPathSeparator(path.back())) path += PathSeparator();
  path += name;
  return path;
}

std::u16string StripTableEnding(std::u16string_view name) {
  if (name.size() > kTableEnding.size() &&
      UpperAscii(name.substr(name.size() - kTableEnding.size())) == kTableEnding) {
    name.remove_suffix(kTableEnding.size());
  }
  return std::u16string(name);
}

// Built by appending to one string (not "~" + ...): GCC 12 warns falsely about operator+ on a
// character literal and a string.
std::u16string TempFileName(std::u16string_view base, long process, int attempt) {
  std::u16string name = u"~";
  name += base;
  name += LowerAscii(kTempMark);
  name += IntToText(process);
  name += u'-';
  name += IntToText(attempt);
  name += LowerAscii(kTempEnding);
  return name;
}

bool IsTempFileOf(std::u16string_view entry, std::u16string_view base) {
  const std::u16string upper = UpperAscii(entry);
  std::u16string prefix = u"~";
  prefix += UpperAscii(base);
  prefix += kTempMark;
  return upper.size() > prefix.size() + kTempEnding.size() && upper.starts_with(prefix) &&
         upper.ends_with(kTempEnding);
}

void RemoveLeftoverFiles(const std::u16string& folder, std::u16string_view base) {
  for (const std::u16string& entry : FolderEntries(folder)) {
    if (IsTempFileOf(entry, base)) RemoveIfUnused(JoinPath(folder, entry));
  }
}

}  // namespace tpd::tables
