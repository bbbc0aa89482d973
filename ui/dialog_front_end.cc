#include "ui/dialog_front_end.h"

#include <string>

#include "ui/control_ids.h"

namespace tpd {
namespace {

std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

void DialogFrontEnd::ShowMessage(std::u16string_view text) {
  MessageBoxW(owner_, W(text).c_str(), kAppTitle, MB_OK);
}

void DialogFrontEnd::SetBusy(bool busy) {
  busy_ = busy;
  // The dialog answers WM_SETCURSOR from this flag; this shows the change at once, without
  // waiting for the mouse to move.
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void DialogFrontEnd::ShowError(std::u16string_view text) {
  MessageBoxW(owner_, W(ErrorBoxText(text)).c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}

}  // namespace tpd
