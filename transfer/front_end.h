// What a run needs of its front end (the dialog or the console): show a message and wait for the
// user, and switch the busy cursor. The runs never print and never touch a window.
#pragma once

#include <string_view>

namespace tpd {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // A modal message captioned "transPelcarDruv", OK button, no icon; returns when confirmed.
  virtual void ShowMessage(std::u16string_view text) = 0;
  // The hourglass for the whole application on (true) or off (false).
  virtual void SetBusy(bool busy) = 0;
};

}  // namespace tpd
