// The first value added under each key text: the look-up behind Locate's index and the export's
// match of weekly hours, where a search from the first row or line must find what the look-up
// finds. Keys of several parts are made with CompositeKey (transfer/text.h).
//
// The keys are kept back to back in one text and the slots in one flat array, each slot holding
// where its key is and its value, so that a look-up reads two places in memory, not a chain of
// separately allocated entries: at a school's size either way is instant, but the tables and
// files of a large school outgrow the processor's caches and every separate allocation then costs
// a wait for memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

class FirstByKey {
 public:
  // Room for `keys` keys without growing again (std::bad_alloc beyond the most there can be).
  void Reserve(std::size_t keys);
  // Adds `key` with `value` unless it is there already (the first one stays); true when added.
  // Values and the count of keys go up to 4,294,967,295, and the keys' length together up to as
  // many characters; beyond that is std::bad_alloc, as running out of memory is.
  bool Add(std::u16string_view key, std::size_t value);
  // The value of the first Add of `key`; nullopt when there was none.
  std::optional<std::size_t> Find(std::u16string_view key) const;
  void Clear();

 private:
  struct Slot {
    std::uint32_t tag = 0;    // 0: free; else the high half of the key's hash, made odd
    std::uint32_t start = 0;  // the key is text_[start, start + size)
    std::uint32_t size = 0;
    std::uint32_t value = 0;
  };
  // The slot where `key` is, or the free one where it would go.
  std::size_t Place(std::u16string_view key, std::uint64_t hash) const;
  void Grow(std::size_t slots);

  std::u16string text_;      // every key, back to back
  std::size_t count_ = 0;    // keys added
  std::vector<Slot> slots_;  // a power of two of them, at most half in use
};

}  // namespace tpd
