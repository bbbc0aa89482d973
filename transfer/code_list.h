// Code list: an ordered list of texts compared by the collation of the user's locale with letter
// case ignored. Unsorted: entries in the order of adding, duplicates allowed, position of the first
// equal entry. Sorted: entries in collation order, an equal text is not added again, positions
// found by binary search. Positions are 0-based; -1 when absent.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/collation.h"
#include "transfer/first_by_key.h"

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
  // The sort key of `text`. The last one made is kept: callers ask whether a text is there and
  // then add it, and a sort key is most of what either costs.
  const std::string& KeyOf(std::u16string_view text) const;

  bool sorted_;
  const Collator& collator_;
  mutable std::u16string last_text_;
  mutable std::string last_key_;
  mutable bool have_last_ = false;
  std::vector<Entry> entries_;
  FirstByKey<int, char> first_;  // unsorted: sort key -> first position
};

}  // namespace tpd
