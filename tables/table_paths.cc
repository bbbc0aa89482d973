#include "tables/table_paths.h"

#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {
namespace {

constexpr std::u16string_view kTableEnding = u".DBF";

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

}  // namespace tpd
