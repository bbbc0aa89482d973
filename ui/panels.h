// The dialog's panels: the run panels painted with the three-colour vertical gradient, and the
// plain panel below them. Both hand their children's notifications (commands, owner drawing,
// colours) on to the dialog, so that the dialog handles every control in one place.
#pragma once

#include <windows.h>

namespace tpd {

inline constexpr wchar_t kRunPanelClass[] = L"TDraw3D";
inline constexpr wchar_t kPlainPanelClass[] = L"TPanel";

// Registers both window classes; false when the system refused.
bool RegisterPanelClasses(HINSTANCE instance);

// Paints the gradient over the whole of `rect` (top colour, white in the middle, bottom colour).
void PaintRunPanelGradient(HDC dc, const RECT& rect);

}  // namespace tpd
