#include "ui/panels.h"

#include "ui/form_layout.h"

namespace tpd {
namespace {

TRIVERTEX Vertex(int x, int y, COLORREF c) {
  TRIVERTEX v{};
  v.x = x;
  v.y = y;
  v.Red = static_cast<COLOR16>(GetRValue(c) << 8);
  v.Green = static_cast<COLOR16>(GetGValue(c) << 8);
  v.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
  return v;
}

// Messages that a control sends to its parent and that the dialog answers.
bool IsForwarded(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_NOTIFY:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsForwarded(msg)) {
    HWND dialog = GetAncestor(hwnd, GA_ROOT);
    if (dialog && dialog != hwnd) return SendMessageW(dialog, msg, wp, lp);
  }
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      HDC dc = reinterpret_cast<HDC>(wp);
      wchar_t cls[16] = {};
      GetClassNameW(hwnd, cls, 16);
      if (lstrcmpW(cls, kRunPanelClass) == 0) {
        PaintRunPanelGradient(dc, rc);
      } else {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
      }
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

void PaintRunPanelGradient(HDC dc, const RECT& rect) {
  const int middle = rect.top + (rect.bottom - rect.top) / 2;
  TRIVERTEX vertices[4] = {
      Vertex(rect.left, rect.top, kGradientTop),
      Vertex(rect.right, middle, kGradientMiddle),
      Vertex(rect.left, middle, kGradientMiddle),
      Vertex(rect.right, rect.bottom, kGradientBottom),
  };
  GRADIENT_RECT halves[2] = {{0, 1}, {2, 3}};
  GradientFill(dc, vertices, 4, halves, 2, GRADIENT_FILL_RECT_V);
}

bool RegisterPanelClasses(HINSTANCE instance) {
  for (const wchar_t* name : {kRunPanelClass, kPlainPanelClass}) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // Repainted whole when resized: the gradient depends on the height.
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  return true;
}

}  // namespace tpd
