// Every failure that ends a run is an Error carrying the exact text that the standard error box
// shows (before the full-stop rule). Front ends catch Error and show ErrorBoxText(e.text()).
#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tpd {

class Error : public std::exception {
 public:
  explicit Error(std::u16string text);
  const std::u16string& text() const noexcept { return text_; }
  const char* what() const noexcept override { return utf8_.c_str(); }  // UTF-8 of text()

 private:
  std::u16string text_;
  std::string utf8_;
};

// Replaces each "%s" of the pattern, in order, by the next value. Values are inserted verbatim
// and never read as patterns, so a user's text can hold "%s" or "%d" safely.
std::u16string Subst(std::u16string_view pattern, std::initializer_list<std::u16string_view> values);

// The text as the standard error box shows it: a "." is appended when the last character's code
// is above that of "." (U+002E).
std::u16string ErrorBoxText(std::u16string_view text);

}  // namespace tpd
