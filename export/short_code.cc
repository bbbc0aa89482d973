#include "export/short_code.h"

#include "transfer/text.h"

namespace tpd {
namespace {

// COD of ASIGNOMT holds 10 characters.
constexpr size_t kCodeWidth = 10;
// A taken code of full width loses its last character before a number is appended, so that a
// one-digit number still fits.
constexpr size_t kNumberedStem = kCodeWidth - 1;
// A numbered code that grew past the width keeps its first 8 and last 2 characters.
constexpr size_t kFoldHead = 8;
constexpr size_t kFoldTail = kCodeWidth - kFoldHead;

}  // namespace

ShortCodes::ShortCodes(const Collator& collator) : taken_(/*sorted=*/false, collator) {}

std::u16string ShortCodes::AdmitSubject(std::u16string_view base, std::u16string_view suffix) {
  std::u16string code(base);
  if (!suffix.empty()) {
    if (code.size() + suffix.size() > kCodeWidth) {
      code.resize(suffix.size() < kCodeWidth ? kCodeWidth - suffix.size() : 0);
    }
    code += suffix;
  }
  if (taken_.Contains(code)) {
    if (code.size() >= kCodeWidth) code.resize(kNumberedStem);
    int& number = next_number_.try_emplace(code, 1).first->second;
    while (taken_.Contains(code + IntToText(number))) ++number;
    code += IntToText(number);
  }
  if (code.size() > kCodeWidth) {
    code = code.substr(0, kFoldHead) + code.substr(code.size() - kFoldTail);
  }
  if (code.empty() || !taken_.AddIfNew(code)) return {};
  return code;
}

bool ShortCodes::AdmitActivity(std::u16string_view code) { return taken_.AddIfNew(code); }

}  // namespace tpd
