// The first value added under each key text: the look-up behind Locate's index and the export's
// match of weekly hours, where a search from the first row or line must find what the look-up
// finds. Keys of several parts are made with CompositeKey (transfer/text.h).
//
// The keys are kept back to back in one text and the slots in one flat array, so that a look-up
// reads two places in memory, not a chain of separately allocated entries: at a school's size
// either way is instant, but the tables and files of a large school outgrow the processor's
// caches and every separate allocation then costs a wait for memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

class FirstByKey {
 public:
  // Room for `keys` keys without growing again.
  void Reserve(std::size_t keys);
  // Adds `key` with `value` unless it is there already (the first one stays); true when added.
  // Holds up to 4,294,967,294 keys; one more is std::bad_alloc, as running out of memory is.
  bool Add(std::u16string_view key, std::size_t value);
  // The value of the first Add of `key`; nullptr when there was none.
  const std::size_t* Find(std::u16string_view key) const;
  void Clear();

 private:
  // A used slot holds the high half of its key's hash and the key's number plus one; 0 is free.
  static std::uint64_t Slot(std::uint64_t hash, std::size_t key) {
    return (hash & 0xFFFFFFFF00000000u) | (key + 1);
  }
  std::u16string_view Key(std::size_t key) const;
  // The slot where `key` is, or the free one where it would go.
  std::size_t Place(std::u16string_view key, std::uint64_t hash) const;
  void Grow(std::size_t slots);

  std::u16string text_;             // every key, back to back
  std::vector<std::size_t> ends_;   // where each key ends in text_
  std::vector<std::size_t> values_;
  std::vector<std::uint64_t> slots_;  // a power of two of them, at most half in use
};

}  // namespace tpd
