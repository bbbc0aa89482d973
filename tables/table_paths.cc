#include "tables/table_paths.h"

#include "tables/table_file.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {
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

std::u16string TempFileName(std::u16string_view base, long process, int attempt) {
  return u"~" + std::u16string(base) + LowerAscii(kTempMark) + IntToText(process) + u"-" +
         IntToText(attempt) + LowerAscii(kTempEnding);
}

bool IsTempFileOf(std::u16string_view entry, std::u16string_view base) {
  const std::u16string upper = UpperAscii(entry);
  const std::u16string prefix = u"~" + UpperAscii(base) + std::u16string(kTempMark);
  return upper.size() > prefix.size() + kTempEnding.size() && upper.starts_with(prefix) &&
         upper.ends_with(kTempEnding);
}

void RemoveLeftoverFiles(const std::u16string& folder, std::u16string_view base) {
  for (const std::u16string& entry : FolderEntries(folder)) {
    if (IsTempFileOf(entry, base)) RemoveIfUnused(JoinPath(folder, entry));
  }
}

}  // namespace tpd
