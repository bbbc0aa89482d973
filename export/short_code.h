// The short subject codes of ASIGNOMT: at most 10 characters, unique over subjects and activities
// together without regard to letter case.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "transfer/code_list.h"

namespace tpd {

class ShortCodes {
 public:
  explicit ShortCodes(const Collator& collator = Collator::User());

  // The code of a subject with this base (columns 2-11) and suffix: joined, numbered when taken,
  // folded when numbering made it too long. Returns the code, now taken, or the empty text when
  // the record is dropped (an empty code, or a folded code that is taken too).
  std::u16string AdmitSubject(std::u16string_view base, std::u16string_view suffix);

  // An activity code ("*" and the activity's own code) is taken as it is or not at all: true when
  // it was free and is now taken.
  bool AdmitActivity(std::u16string_view code);

 private:
  CodeList taken_;
  // Per numbered stem, the first number whose candidate was still free when last tried. Codes are
  // never released, so every smaller number stays taken and the next search may start there.
  std::unordered_map<std::u16string, int> next_number_;
};

}  // namespace tpd
