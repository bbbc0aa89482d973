// Collation on Windows: the user's locale through CompareStringEx, letter case ignored.
#include <windows.h>

#include "transfer/collation.h"

namespace tpd {

namespace {

constexpr DWORD kCompareFlags = NORM_IGNORECASE;

class WindowsCollator final : public Collator {
 public:
  // An empty name is the invariant locale; LOCALE_NAME_USER_DEFAULT is a null pointer.
  explicit WindowsCollator(const wchar_t* locale) : user_default_(locale == nullptr) {
    if (locale != nullptr) locale_ = locale;
  }

  int Compare(std::u16string_view a, std::u16string_view b) const override {
    int result = CompareStringEx(Locale(), kCompareFlags, Text(a), static_cast<int>(a.size()),
                                 Text(b), static_cast<int>(b.size()), nullptr, nullptr, 0);
    return result == 0 ? 0 : result - CSTR_EQUAL;
  }

  std::string SortKey(std::u16string_view text) const override {
    const DWORD flags = LCMAP_SORTKEY | kCompareFlags;
    std::string key;
    int length = static_cast<int>(text.size());
    int needed =
        LCMapStringEx(Locale(), flags, Text(text), length, nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) return key;
    key.resize(static_cast<std::size_t>(needed));
    needed = LCMapStringEx(Locale(), flags, Text(text), length,
                           reinterpret_cast<LPWSTR>(key.data()), needed, nullptr, nullptr, 0);
    // A sort key is bytes although the call is typed for wide text; it ends with a NUL that only
    // C strings need.
    key.resize(needed > 0 ? static_cast<std::size_t>(needed - 1) : 0);
    return key;
  }

 private:
  static const wchar_t* Text(std::u16string_view text) {
    return text.empty() ? L"" : reinterpret_cast<const wchar_t*>(text.data());
  }
  const wchar_t* Locale() const {
    return user_default_ ? LOCALE_NAME_USER_DEFAULT : locale_.c_str();
  }

  bool user_default_;
  std::wstring locale_;
};

}  // namespace

const Collator& Collator::User() {
  static const WindowsCollator collator(LOCALE_NAME_USER_DEFAULT);
  return collator;
}

std::unique_ptr<Collator> Collator::ForLocale(const std::string& locale) {
  // "es_ES" -> "es-ES"; "" stays the invariant locale.
  std::wstring name(locale.begin(), locale.end());
  for (wchar_t& c : name) {
    if (c == L'_') c = L'-';
  }
  name = name.substr(0, name.find_first_of(L".@"));
  // A name Windows does not know would make every comparison fail; the invariant locale stands in.
  if (!name.empty() && !IsValidLocaleName(name.c_str())) name.clear();
  return std::make_unique<WindowsCollator>(name.c_str());
}

}  // namespace tpd
