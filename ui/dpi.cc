#include "ui/dpi.h"

namespace tpd {
namespace {

// Per-monitor DPI functions exist from Windows 10 on: looked up at run time so that the program
// still starts on older systems, where the system DPI applies.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

int DpiOf(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi && hwnd) {
    const UINT dpi = get_dpi(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
  using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
}

}  // namespace tpd
