// Collation without Windows: an ICU collator of the user's locale at secondary strength, which
// tells letters and accents apart but not letter case ("MAT" equals "mat", "más" does not equal
// "mas").
#include <unicode/ucol.h>

#include <cstdlib>

#include "transfer/collation.h"

namespace tpd {

namespace {

class IcuCollator final : public Collator {
 public:
  explicit IcuCollator(const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(locale.c_str(), &status);
    if (U_FAILURE(status) || collator_ == nullptr) {
      status = U_ZERO_ERROR;
      collator_ = ucol_open("", &status);  // the root collation serves every language passably
    }
    ucol_setStrength(collator_, UCOL_SECONDARY);
  }
  ~IcuCollator() override { ucol_close(collator_); }

  int Compare(std::u16string_view a, std::u16string_view b) const override {
    UCollationResult result =
        ucol_strcoll(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                     static_cast<int32_t>(b.size()));
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
  }

  std::string SortKey(std::u16string_view text) const override {
    std::string key(text.size() * 4 + 16, '\0');
    const int32_t length = static_cast<int32_t>(text.size());
    int32_t needed = ucol_getSortKey(collator_, text.data(), length,
                                     reinterpret_cast<uint8_t*>(key.data()),
                                     static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
      key.resize(static_cast<std::size_t>(needed));
      needed = ucol_getSortKey(collator_, text.data(), length,
                               reinterpret_cast<uint8_t*>(key.data()), needed);
    }
    // The key ends with a NUL that only C strings need.
    key.resize(needed > 0 ? static_cast<std::size_t>(needed - 1) : 0);
    return key;
  }

 private:
  UCollator* collator_ = nullptr;
};

// "es_ES.UTF-8@euro" -> "es_ES"; "C" and "POSIX" have no language and take the root collation.
std::string LocaleFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    std::string locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX") return "";
    return locale;
  }
  return "";
}

}  // namespace

const Collator& Collator::User() {
  static const IcuCollator collator(LocaleFromEnvironment());
  return collator;
}

std::unique_ptr<Collator> Collator::ForLocale(const std::string& locale) {
  return std::make_unique<IcuCollator>(locale);
}

}  // namespace tpd
