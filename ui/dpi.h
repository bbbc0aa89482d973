// Sizes are given in pixels at 96 dots per inch and scaled here, in one place, for the screen the
// dialog is on.
#pragma once

#include <windows.h>

namespace tpd {

inline constexpr int kBaseDpi = 96;

// The window's dots per inch (per monitor where the system knows it).
int DpiOf(HWND hwnd);

inline int Scale(int pixels_at_96, int dpi) { return MulDiv(pixels_at_96, dpi, kBaseDpi); }

// The window rectangle that gives a client area of `rect` for the given style and DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi);

}  // namespace tpd
