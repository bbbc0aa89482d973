#include "transfer/code_list.h"

#include <algorithm>

namespace tpd {

CodeList::CodeList(bool sorted, const Collator& collator) : sorted_(sorted), collator_(collator) {}

// Texts are compared through their sort keys: equal keys are exactly the texts that the collation
// finds no difference between, and the keys' byte order is the collation order.
const std::string& CodeList::KeyOf(std::u16string_view text) const {
  if (!have_last_ || text != last_text_) {
    last_key_ = collator_.SortKey(text);
    last_text_ = text;
    have_last_ = true;
  }
  return last_key_;
}

bool CodeList::AddIfNew(std::u16string_view text) {
  if (Contains(text)) return false;
  Add(text);
  return true;
}

int CodeList::Add(std::u16string_view text) {
  const std::string& key = KeyOf(text);
  if (!sorted_) {
    const int position = Count();
    first_.AddIfNew(key, [&] { return position; });  // keeps the first position of a repeat
    entries_.push_back({{}, std::u16string(text)});  // found through first_: no key kept here
    return position;
  }
  auto place =
      std::lower_bound(entries_.begin(), entries_.end(), key,
                       [](const Entry& entry, const std::string& k) { return entry.key < k; });
  const int position = static_cast<int>(place - entries_.begin());
  if (place == entries_.end() || place->key != key) {
    entries_.insert(place, {key, std::u16string(text)});
  }
  return position;
}

int CodeList::IndexOf(std::u16string_view text) const {
  const std::string& key = KeyOf(text);
  if (!sorted_) {
    const int* found = first_.Find(key);
    return found == nullptr ? -1 : *found;
  }
  auto place =
      std::lower_bound(entries_.begin(), entries_.end(), key,
                       [](const Entry& entry, const std::string& k) { return entry.key < k; });
  if (place == entries_.end() || place->key != key) return -1;
  return static_cast<int>(place - entries_.begin());
}

}  // namespace tpd
