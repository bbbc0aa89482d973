#include "ui/glyphs.h"

#include <cstring>

namespace tpd {
namespace {

struct PaletteEntry {
  char key;
  COLORREF color;
};

struct PixelTable {
  int side;
  const char* const* rows;  // `side` rows of `side` characters; '.' is transparent
  const PaletteEntry* palette;
  int palette_size;
};

// A thick green check mark with a dark edge.
constexpr const char* kCheckRows[18] = {
    "..................",
    "..................",
    "..................",
    "..............D...",
    ".............DGD..",
    "............DGGD..",
    "...........DGGD...",
    "..........DGGD....",
    "...D.....DGGD.....",
    "..DGD...DGGD......",
    "..DGGD.DGGD.......",
    "...DGGDGGD........",
    "....DGGGD.........",
    ".....DGD..........",
    "......D...........",
    "..................",
    "..................",
    "..................",
};
constexpr PaletteEntry kCheckPalette[] = {
    {'D', RGB(0x00, 0x60, 0x00)},
    {'G', RGB(0x00, 0xC0, 0x00)},
};

// A doorway with light inside and the door swung open towards us.
constexpr const char* kDoorRows[18] = {
    "..................",
    ".......KKKKKKKKK..",
    "...BB..KYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BbBBKYYYYYYYK..",
    "...BbBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "...BBBBKYYYYYYYK..",
    "....BBBKYYYYYYYK..",
    "......BKKKKKKKKK..",
    "..................",
};
constexpr PaletteEntry kDoorPalette[] = {
    {'K', RGB(0x30, 0x20, 0x10)},
    {'Y', RGB(0xFF, 0xF4, 0xA0)},
    {'B', RGB(0x8B, 0x4A, 0x1C)},
    {'b', RGB(0xE0, 0xB0, 0x30)},
};

constexpr const char* kFolderClosedRows[16] = {
    "................",
    "................",
    "................",
    "..KKKKK.........",
    ".KYYYYYK........",
    ".KYYYYYYKKKKKKK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KYYYYYYYYYYYYK.",
    ".KKKKKKKKKKKKKK.",
    "................",
    "................",
};

constexpr const char* kFolderOpenRows[16] = {
    "................",
    "................",
    "................",
    "..KKKKK.........",
    ".KYYYYYK........",
    ".KYYYYYYKKKKKK..",
    ".KYYYYYYYYYYYK..",
    ".KYYKKKKKKKKKKKK",
    ".KYKLLLLLLLLLLLK",
    ".KYKLLLLLLLLLLK.",
    ".KKLLLLLLLLLLLK.",
    ".KKLLLLLLLLLLK..",
    ".KLLLLLLLLLLLK..",
    ".KKKKKKKKKKKKK..",
    "................",
    "................",
};
constexpr PaletteEntry kFolderPalette[] = {
    {'K', RGB(0x80, 0x60, 0x00)},
    {'Y', RGB(0xFF, 0xD2, 0x4D)},
    {'L', RGB(0xFF, 0xE9, 0x8F)},
};

const PixelTable& TableOf(Glyph glyph) {
  static const PixelTable kCheck{18, kCheckRows, kCheckPalette, 2};
  static const PixelTable kDoor{18, kDoorRows, kDoorPalette, 4};
  static const PixelTable kOpen{16, kFolderOpenRows, kFolderPalette, 3};
  static const PixelTable kClosed{16, kFolderClosedRows, kFolderPalette, 3};
  switch (glyph) {
    case Glyph::kCheck: return kCheck;
    case Glyph::kDoor: return kDoor;
    case Glyph::kFolderOpen: return kOpen;
    case Glyph::kFolderClosed: break;
  }
  return kClosed;
}

bool ColorOf(const PixelTable& table, char key, COLORREF& color) {
  for (int i = 0; i < table.palette_size; ++i) {
    if (table.palette[i].key == key) {
      color = table.palette[i].color;
      return true;
    }
  }
  return false;
}

// Pixels that make the outline of the greyed form: the darker ones.
bool IsDark(COLORREF c) {
  const int luma = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
  return luma < 160;
}

// Fills table pixel (col, row), scaled to `side`, shifted by `shift` pixels of the table.
void FillPixel(HDC dc, int x, int y, int side, int n, int col, int row, int shift, COLORREF c) {
  RECT r{x + MulDiv(col + shift, side, n), y + MulDiv(row + shift, side, n),
         x + MulDiv(col + shift + 1, side, n), y + MulDiv(row + shift + 1, side, n)};
  SetDCBrushColor(dc, c);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace

int GlyphSide(Glyph glyph) { return TableOf(glyph).side; }

void DrawGlyph(HDC dc, Glyph glyph, int x, int y, int side, bool greyed) {
  const PixelTable& table = TableOf(glyph);
  const int n = table.side;
  const COLORREF old_brush = GetDCBrushColor(dc);
  // The greyed form: highlight one pixel down and right, then the shadow over it.
  const int passes = greyed ? 2 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (int row = 0; row < n; ++row) {
      for (int col = 0; col < n; ++col) {
        COLORREF c;
        if (!ColorOf(table, table.rows[row][col], c)) continue;
        if (!greyed) {
          FillPixel(dc, x, y, side, n, col, row, 0, c);
        } else if (IsDark(c)) {
          if (pass == 0) {
            FillPixel(dc, x, y, side, n, col, row, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
          } else {
            FillPixel(dc, x, y, side, n, col, row, 0, GetSysColor(COLOR_BTNSHADOW));
          }
        }
      }
    }
  }
  SetDCBrushColor(dc, old_brush);
}

}  // namespace tpd
