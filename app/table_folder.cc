#include "app/table_folder.h"

#include "transfer/file_system.h"

namespace tpd {

std::u16string TableFolderFor(const std::u16string& chosen_folder) {
  const std::u16string& f = chosen_folder;
  auto is_letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
  if (f.size() >= 2 && is_letter(f[0]) && f[1] == u':') return f.substr(0, 2) + u"\\PTEMP";
  if (f.size() >= 2 && IsPathSeparator(f[0]) && IsPathSeparator(f[1])) {
    // \\server\share\... : the share is the drive.
    std::size_t server_end = 2;
    while (server_end < f.size() && !IsPathSeparator(f[server_end])) ++server_end;
    std::size_t share_end = server_end + 1;
    while (share_end < f.size() && !IsPathSeparator(f[share_end])) ++share_end;
    if (server_end < f.size() && share_end > server_end + 1) {
      return f.substr(0, share_end) + u"\\PTEMP";
    }
  }
  return std::u16string(PathSeparator()) + u"PTEMP";
}

}  // namespace tpd
