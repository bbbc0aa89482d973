// The dialog's controls as data: kind, parent, position and size at 96 DPI, text and look. The
// dialog creates them in this order, which is also the tab order within each parent.
#pragma once

#include <windows.h>

#include <span>

#include "ui/control_ids.h"

namespace tpd {

// Client area of the dialog at 96 DPI.
inline constexpr int kClientWidth = 599;
inline constexpr int kClientHeight = 270;
// Label2 shows the folder in use shortened to the width of the folder list.
inline constexpr int kFolderLabelMaxWidth = 287;

enum class ControlKind {
  kRunPanel,     // gradient panel holding a run's caption and button
  kPanel,        // plain panel
  kLabel,
  kOkButton,     // "OK" with the check mark; starts a run
  kCloseButton,  // "&Salir" with the open door; closes the dialog
  kPushButton,
  kFolderList,
  kDriveBox,
};

enum class FontKind { kDialog, kDialogBold, kHeading };

// Colours that are not the system's: the system's window text is kWindowText.
inline constexpr COLORREF kWindowText = CLR_INVALID;
inline constexpr COLORREF kBlue = RGB(0x00, 0x00, 0xFF);
inline constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);
inline constexpr COLORREF kChooserBackground = RGB(0xF0, 0xFB, 0xFF);
// The run panels' vertical gradient, top to bottom.
inline constexpr COLORREF kGradientTop = RGB(0xF9, 0xD3, 0x7D);
inline constexpr COLORREF kGradientMiddle = RGB(0xFF, 0xFF, 0xFF);
inline constexpr COLORREF kGradientBottom = RGB(0xFF, 0xEE, 0xDD);

struct ControlLayout {
  ControlId id;
  ControlKind kind;
  int parent;  // a panel's id, or 0 for the dialog itself
  int left, top, width, height;  // 96-DPI pixels; a width of 0 sizes a label to its text
  const wchar_t* text;
  FontKind font;
  COLORREF color;
  bool transparent;  // a label drawn straight on its parent's background
  // The label before this one on its row, listed earlier in the table; 0 for none. When a font
  // wider than the one the table was drawn for makes that label grow, this one moves right by as
  // much, keeping the gap between them, instead of covering the end of its text.
  int after = 0;
};

std::span<const ControlLayout> FormControls();
const ControlLayout& LayoutOf(ControlId id);

}  // namespace tpd
