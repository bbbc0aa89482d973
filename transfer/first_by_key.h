// A map from a text key to the value that came with its first occurrence: the look-ups that must
// find "the first record in file order" with that key, built in one pass. The keys are kept back
// to back in large blocks that never move, and found through an open-addressing table of small
// slots, so that a map of a hundred thousand keys costs no allocation per key, no copying as it
// grows, few cache misses per look-up, and nothing to take apart at the end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tpd {

template <typename Value>
class FirstByKey {
 public:
  // Adds `key` with the value `make()` gives, unless the key is there already (then `make` is
  // not called). True when added. `make` must leave the text that `key` views alone.
  template <typename Make>
  bool AddIfNew(std::u16string_view key, Make&& make) {
    if (entries_.size() >= kMostEntries) throw std::length_error("too many keys");
    if ((entries_.size() + 1) * 2 > slots_.size()) Widen();
    const std::uint64_t h = Hash(key);
    std::size_t at = h & (slots_.size() - 1);
    for (; slots_[at].entry_plus_one != 0; at = (at + 1) & (slots_.size() - 1)) {
      if (Matches(slots_[at], h, key)) return false;
    }
    // Nothing is entered until the value is made and stored: a `make` that throws (or memory
    // running out) leaves the map as it was (a key copied to its block and never entered only
    // takes room there).
    Value value = make();
    const char16_t* kept = Keep(key);
    entries_.push_back(Entry{kept, key.size(), std::move(value)});
    slots_[at] = Slot{Tag(h), static_cast<std::uint32_t>(entries_.size())};
    return true;
  }

  // The value of `key`, or null.
  const Value* Find(std::u16string_view key) const {
    if (slots_.empty()) return nullptr;
    const std::uint64_t h = Hash(key);
    for (std::size_t at = h & (slots_.size() - 1); slots_[at].entry_plus_one != 0;
         at = (at + 1) & (slots_.size() - 1)) {
      if (Matches(slots_[at], h, key)) return &entries_[slots_[at].entry_plus_one - 1].value;
    }
    return nullptr;
  }

  // Starts bringing in the memory that a Find of `key` reads first. A caller about to look up
  // keys in several maps prefetches them all first, so that their waits for memory overlap.
  void Prefetch(std::u16string_view key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Hash(key) & (slots_.size() - 1)]);
  }

  std::size_t size() const { return entries_.size(); }

 private:
  struct Slot {
    std::uint32_t tag = 0;             // the high half of the key's hash
    std::uint32_t entry_plus_one = 0;  // 0: free
  };
  struct Entry {
    const char16_t* key;
    std::size_t key_size;
    Value value;
  };

  // Keys are copied into blocks of this many units; a longer key gets a block of its own.
  static constexpr std::size_t kBlockUnits = std::size_t{1} << 15;

  static constexpr std::size_t kMostEntries = 0xFFFFFFFEu;  // what a slot can number

  static std::uint64_t Hash(std::u16string_view key) {
    return std::hash<std::u16string_view>()(key);
  }
  static std::uint32_t Tag(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }

  bool Matches(const Slot& slot, std::uint64_t h, std::u16string_view key) const {
    if (slot.tag != Tag(h)) return false;
    const Entry& e = entries_[slot.entry_plus_one - 1];
    return std::u16string_view(e.key, e.key_size) == key;
  }

  // A copy of `key` that stays where it is for as long as the map lives.
  const char16_t* Keep(std::u16string_view key) {
    if (key.size() > block_room_) {  // a new block, of a key's size where the key is longer
      const std::size_t units = key.size() > kBlockUnits ? key.size() : kBlockUnits;
      blocks_.push_back(std::unique_ptr<char16_t[]>(new char16_t[units]));  // not zeroed
      block_next_ = blocks_.back().get();
      block_room_ = units;
    }
    char16_t* at = block_next_;
    std::copy(key.begin(), key.end(), at);
    block_next_ += key.size();
    block_room_ -= key.size();
    return at;
  }

  // Twice the slots, every entry placed again (in entry order, so probing stays as it was built).
  void Widen() {
    std::vector<Slot> wider(slots_.empty() ? 64 : slots_.size() * 2);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      const std::uint64_t h = Hash(std::u16string_view(e.key, e.key_size));
      std::size_t at = h & (wider.size() - 1);
      while (wider[at].entry_plus_one != 0) at = (at + 1) & (wider.size() - 1);
      wider[at] = Slot{Tag(h), static_cast<std::uint32_t>(i + 1)};
    }
    slots_ = std::move(wider);
  }

  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  char16_t* block_next_ = nullptr;  // where the next key goes in the last block
  std::size_t block_room_ = 0;      // units left there
  std::deque<Entry> entries_;  // grows without moving what it holds
  std::vector<Slot> slots_;
};

}  // namespace tpd
