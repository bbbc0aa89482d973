#include <windows.h>
#include <shellapi.h>

#include "cli/console.h"
#include "transfer/text.h"

namespace tpd {

std::vector<std::string> Arguments(int, char**) {
  // The narrow argv of Windows is in the ANSI code page and loses what it cannot hold; the wide
  // command line keeps every character of a folder name.
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    args.push_back(ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(wide[i]))));
  }
  LocalFree(wide);
  return args;
}

namespace {
void Write(DWORD which, std::u16string_view line) {
  HANDLE h = GetStdHandle(which);
  DWORD mode = 0;
  if (h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode)) {
    std::u16string text(line);
    text += u"\r\n";
    DWORD written = 0;
    WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  // Redirected: UTF-8 with the platform's line end.
  std::string bytes = ToUtf8(line);
  bytes += "\r\n";
  DWORD written = 0;
  if (h != INVALID_HANDLE_VALUE && h != nullptr) {
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}
}  // namespace

void WriteOut(std::u16string_view line) { Write(STD_OUTPUT_HANDLE, line); }
void WriteErr(std::u16string_view line) { Write(STD_ERROR_HANDLE, line); }

}  // namespace tpd
