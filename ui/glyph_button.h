// The buttons with a glyph beside their caption ("OK" with the check mark, "Salir" with the open
// door), owner-drawn: the system's push-button face, then the glyph and the caption centred
// together. A disabled button shows the greyed glyph and greyed text.
#pragma once

#include <windows.h>

#include "ui/glyphs.h"

namespace tpd {

// `is_default` draws the default-button look (the button that Enter would click).
void DrawGlyphButton(const DRAWITEMSTRUCT& item, Glyph glyph, bool is_default, int dpi);

}  // namespace tpd
