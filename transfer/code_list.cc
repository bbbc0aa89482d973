#include "transfer/code_list.h"

#include <algorithm>

namespace tpd {

CodeList::CodeList(bool sorted, const Collator& collator) : sorted_(sorted), collator_(collator) {}

// Texts are compared through their sort keys: equal keys are exactly the texts that the collation
// finds no difference between, and the keys' byte order is the collation order.

bool CodeList::AddIfNew(std::u16string_view text) {
  const std::string key = collator_.SortKey(text);
  if (IndexOfKey(key) >= 0) return false;
  AddWithKey(text, key);
  return true;
}

int CodeList::Add(std::u16string_view text) { return AddWithKey(text, collator_.SortKey(text)); }

int CodeList::IndexOf(std::u16string_view text) const {
  return IndexOfKey(collator_.SortKey(text));
}

int CodeList::AddWithKey(std::u16string_view text, const std::string& key) {
  if (!sorted_) {
    const int position = Count();
    first_.try_emplace(key, position);  // keeps the first position of a repeat
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

int CodeList::IndexOfKey(const std::string& key) const {
  if (!sorted_) {
    const auto found = first_.find(key);
    return found == first_.end() ? -1 : found->second;
  }
  auto place =
      std::lower_bound(entries_.begin(), entries_.end(), key,
                       [](const Entry& entry, const std::string& k) { return entry.key < k; });
  if (place == entries_.end() || place->key != key) return -1;
  return static_cast<int>(place - entries_.begin());
}

}  // namespace tpd
