// The small pictures of the dialog, drawn by our own code from pixel tables: the check mark of the
// run buttons, the open door of "Salir", and the folder icons of the folder list.
#pragma once

#include <windows.h>

namespace tpd {

enum class Glyph { kCheck, kDoor, kFolderOpen, kFolderClosed };

// Side of the glyph's square at 96 DPI: 18 for the button glyphs, 16 for the folder icons.
int GlyphSide(Glyph glyph);

// Draws the glyph with its top-left corner at (x, y), `side` pixels square (the 96-DPI side
// scaled). The greyed form, for a disabled button, is the glyph's outline embossed in the system's
// shadow and highlight colours.
void DrawGlyph(HDC dc, Glyph glyph, int x, int y, int side, bool greyed);

}  // namespace tpd
