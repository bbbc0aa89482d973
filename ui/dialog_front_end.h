// The dialog's side of the runs: modal message boxes over the dialog and the hourglass for the
// whole application.
#pragma once

#include <windows.h>

#include "transfer/front_end.h"
#include "transfer/error.h"

namespace tpd {

class DialogFrontEnd : public FrontEnd {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowMessage(std::u16string_view text) override;
  void SetBusy(bool busy) override;
  bool Busy() const { return busy_; }

  // The application's standard error box: the error's text with the full-stop rule, an error
  // icon and an OK button.
  void ShowError(std::u16string_view text);

 private:
  HWND owner_ = nullptr;
  bool busy_ = false;
};

}  // namespace tpd
