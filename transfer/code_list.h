// Code list: an ordered list of texts compared by the collation of the user's locale with letter
// case ignored. Unsorted: entries in the order of adding, duplicates allowed, position of the first
// equal entry. Sorted: entries in collation order, an equal text is not added again, positions
// found by binary search. Positions are 0-based; -1 when absent.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "transfer/collation.h"

namespace tpd {

class CodeList {
 public:
  explicit CodeList(bool sorted, const Collator& collator = Collator::User());

  // Returns the position of the text (for a sorted list, of the entry already equal to it).
  int Add(std::u16string_view text);
  int IndexOf(std::u16string_view text) const;
  // Adds the text unless an equal entry is there already; true when added.
  bool AddIfNew(std::u16string_view text);
  bool Contains(std::u16string_view text) const { return IndexOf(text) >= 0; }
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::u16string& At(int position) const { return entries_.at(position).text; }

 private:
  struct Entry {
    std::string key;  // sorted: the sort key, for the binary search
    std::u16string text;
  };
  int AddWithKey(std::u16string_view text, const std::string& key);
  int IndexOfKey(const std::string& key) const;

  bool sorted_;
  const Collator& collator_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, int> first_;  // unsorted: sort key -> first position
};

}  // namespace tpd
