#include "transfer/error.h"

#include <utility>

#include "transfer/text.h"

namespace tpd {

Error::Error(std::u16string text) : text_(std::move(text)), utf8_(ToUtf8(text_)) {}

std::u16string Subst(std::u16string_view pattern, std::initializer_list<std::u16string_view> values) {
  std::u16string out;
  auto next = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's' &&
        next != values.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::u16string ErrorBoxText(std::u16string_view text) {
  std::u16string out(text);
  if (!out.empty() && out.back() > u'.') out += u'.';
  return out;
}

}  // namespace tpd
