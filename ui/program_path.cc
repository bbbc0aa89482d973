#include "ui/program_path.h"

#include <windows.h>

namespace tpd {

std::wstring ProgramPath() {
  // GetModuleFileNameW cuts a path longer than the buffer: grow it until the path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace tpd
