// Locale collation with letter case ignored, for the code list: CompareStringEx with
// NORM_IGNORECASE on Windows; an ICU collator of the user's locale (LC_ALL, LC_COLLATE, LANG; the
// root locale when none) at secondary strength elsewhere: case ignored, accents kept.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tpd {

class Collator {
 public:
  virtual ~Collator() = default;
  // <0, 0 or >0. Zero means the collation finds no difference.
  virtual int Compare(std::u16string_view a, std::u16string_view b) const = 0;
  // Bytes whose plain byte-wise order is the collation's order: equal keys exactly when
  // Compare() gives 0. Lets code lists answer membership through a hash or a binary search.
  virtual std::string SortKey(std::u16string_view text) const = 0;

  // The collator of the user's locale, made once per process.
  static const Collator& User();
  // A collator of a named locale ("es_ES", "en_US", "" for root); for tests.
  static std::unique_ptr<Collator> ForLocale(const std::string& locale);
};

}  // namespace tpd
