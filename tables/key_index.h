// An index from a key to the first row in table order that has it: open addressing over row
// numbers, so that a table of half a million rows costs a few megabytes and no object per row.
// Keys are compared through the caller's functions; the index keeps only part of their hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tpd {

class KeyIndex {
 public:
  // Rows 0 .. rows-1 in table order. `hash(row)` hashes a row's key; `same(a, b)` tells whether
  // rows a and b have equal keys. A later row equal to an earlier one is not entered.
  template <typename Hash, typename Same>
  void Build(std::size_t rows, Hash hash, Same same) {
    std::size_t capacity = 16;
    while (capacity < rows * 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    for (std::size_t row = 0; row < rows; ++row) {
      const std::uint64_t h = hash(row);
      std::size_t at = h & (capacity - 1);
      bool duplicate = false;
      while (slots_[at].row_plus_one != 0) {
        const Slot& s = slots_[at];
        if (s.tag == Tag(h) && same(static_cast<std::size_t>(s.row_plus_one - 1), row)) {
          duplicate = true;
          break;
        }
        at = (at + 1) & (capacity - 1);
      }
      if (!duplicate) slots_[at] = Slot{Tag(h), static_cast<std::uint32_t>(row + 1)};
    }
  }

  // The first row whose key has hash `h` and for which `matches(row)` holds.
  template <typename Matches>
  std::optional<std::size_t> Find(std::uint64_t h, Matches matches) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = h & mask; slots_[at].row_plus_one != 0; at = (at + 1) & mask) {
      const Slot& s = slots_[at];
      if (s.tag == Tag(h) && matches(static_cast<std::size_t>(s.row_plus_one - 1))) {
        return static_cast<std::size_t>(s.row_plus_one - 1);
      }
    }
    return std::nullopt;
  }

  bool built() const { return !slots_.empty(); }
  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
  }

 private:
  // Eight bytes a slot, so that more of the index stays in the cache: the low bits of the hash
  // choose the slot, the high half is kept to pass over most other keys without reading a row.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t row_plus_one = 0;  // 0: free
  };
  static std::uint32_t Tag(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }
  std::vector<Slot> slots_;
};

// FNV-1a over UTF-16 units, chained across the fields of a key.
inline std::uint64_t HashText(std::u16string_view text, std::uint64_t h = 1469598103934665603ull) {
  for (char16_t c : text) {
    h ^= static_cast<std::uint64_t>(c);
    h *= 1099511628211ull;
  }
  // A separator, so that ("AB", "C") and ("A", "BC") differ.
  h ^= 0xFFFFu;
  h *= 1099511628211ull;
  return h;
}

}  // namespace tpd
