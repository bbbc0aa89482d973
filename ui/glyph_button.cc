#include "ui/glyph_button.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "ui/dpi.h"

namespace tpd {
namespace {

constexpr int kGlyphTextGap = 4;  // between the glyph and the caption, 96-DPI pixels
constexpr int kFocusInset = 4;    // the focus rectangle inside the button's face

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The caption's width as shown: the "&" of the access key takes no room.
int CaptionWidth(HDC dc, const std::wstring& text) {
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
  return r.right - r.left;
}

void DrawFace(const DRAWITEMSTRUCT& item, bool is_default, RECT& face) {
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  if (HTHEME theme = OpenThemeData(item.hwndItem, L"BUTTON")) {
    int state = PBS_NORMAL;
    if (disabled)
      state = PBS_DISABLED;
    else if (pressed)
      state = PBS_PRESSED;
    else if (is_default)
      state = PBS_DEFAULTED;
    DrawThemeParentBackground(item.hwndItem, item.hDC, &face);
    DrawThemeBackground(theme, item.hDC, BP_PUSHBUTTON, state, &face, nullptr);
    CloseThemeData(theme);
    return;
  }
  if (is_default) {
    FrameRect(item.hDC, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&face, -1, -1);
  }
  DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
}

}  // namespace

void DrawGlyphButton(const DRAWITEMSTRUCT& item, Glyph glyph, bool is_default, int dpi) {
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  DrawFace(item, is_default, face);

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
  const std::wstring text = WindowText(item.hwndItem);
  const int side = Scale(GlyphSide(glyph), dpi);
  const int gap = Scale(kGlyphTextGap, dpi);
  const int text_width = CaptionWidth(dc, text);
  const int shift = pressed ? 1 : 0;
  const int left = (item.rcItem.left + item.rcItem.right - (side + gap + text_width)) / 2 + shift;
  const int middle = (item.rcItem.top + item.rcItem.bottom) / 2 + shift;

  DrawGlyph(dc, glyph, left, middle - side / 2, side, disabled);

  RECT text_rect{left + side + gap, item.rcItem.top + shift, item.rcItem.right,
                 item.rcItem.bottom + shift};
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  if (disabled) {
    RECT embossed = text_rect;
    OffsetRect(&embossed, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), -1, &embossed, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, text.c_str(), -1, &text_rect, format);
  SetBkMode(dc, old_mode);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -Scale(kFocusInset, dpi), -Scale(kFocusInset, dpi));
    DrawFocusRect(dc, &focus);
  }
  if (old_font) SelectObject(dc, old_font);
}

}  // namespace tpd
