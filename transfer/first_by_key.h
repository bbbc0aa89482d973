// A map from a text key (UTF-16 units, or bytes) to the value that came with its first occurrence:
// the look-ups that must find "the first record in file order" with that key, built in one pass.
// Each entry is kept with its key right after it, in large blocks that never move, and found
// through an open-addressing table of slots that hold the key's whole hash: a look-up touches one
// slot and one entry, a map of a hundred thousand keys costs no allocation per key, widening never
// reads an entry, and nothing moves as the map grows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tpd {

template <typename Value, typename Char = char16_t>
class FirstByKey {
 public:
  FirstByKey() = default;
  ~FirstByKey() {
    for (Entry* e = last_; e != nullptr;) {
      Entry* prev = e->prev;
      e->~Entry();
      e = prev;
    }
  }
  FirstByKey(const FirstByKey&) = delete;
  FirstByKey& operator=(const FirstByKey&) = delete;

  // Adds `key` with the value `make()` gives, unless the key is there already (then `make` is
  // not called). True when added. `make` must leave the text that `key` views, and this map,
  // alone.
  template <typename Make>
  bool AddIfNew(std::basic_string_view<Char> key, Make&& make) {
    const std::uint64_t h = HashOf(key);
    const std::size_t at = SlotFor(key, h);
    if (slots_[at].entry != nullptr) return false;
    Enter(at, h, key, make);
    return true;
  }

  // The value of `key`; when the key is new, added first with the value `make()` gives (as
  // AddIfNew). `h` is the key's HashOf.
  template <typename Make>
  const Value& FindOrAdd(std::basic_string_view<Char> key, std::uint64_t h, Make&& make) {
    if (const Value* known = Find(key, h)) return *known;
    return Enter(SlotFor(key, h), h, key, make)->value;
  }
  template <typename Make>
  const Value& FindOrAdd(std::basic_string_view<Char> key, Make&& make) {
    return FindOrAdd(key, HashOf(key), make);
  }

  // The value of `key`, or null.
  const Value* Find(std::basic_string_view<Char> key) const { return Find(key, HashOf(key)); }

  // The same for a key whose HashOf the caller has already (as when it prefetched).
  const Value* Find(std::basic_string_view<Char> key, std::uint64_t h) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t at = h & (slots_.size() - 1); slots_[at].entry != nullptr;
         at = (at + 1) & (slots_.size() - 1)) {
      if (Matches(slots_[at], h, key)) return &slots_[at].entry->value;
    }
    return nullptr;
  }

  // Starts bringing in the memory that a Find of the key with this HashOf reads first. A caller
  // about to look up keys in several maps prefetches them all first, so that their waits for
  // memory overlap.
  void Prefetch(std::uint64_t h) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[h & (slots_.size() - 1)]);
  }

  std::size_t size() const { return size_; }

  // The hash by which the map finds `key`: a fast hash of its bytes, eight at a time, with a final
  // mix so that the low bits that pick a slot depend on every byte.
  static std::uint64_t HashOf(std::basic_string_view<Char> key) {
    const char* p = reinterpret_cast<const char*>(key.data());
    const std::size_t size = key.size() * sizeof(Char);
    std::size_t n = size;
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xFF51AFD7ED558CCDull);
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      h = (h ^ word) * 0xC4CEB9FE1A85EC53ull;
      h ^= h >> 29;
    }
    if (n > 0) {
      // The last bytes, read in fixed sizes (without a call to copy a few bytes): a key of eight
      // bytes or more ends with its last eight, some of them hashed already; a shorter one is
      // read as two overlapping halves, or byte by byte. Every byte counts, and the length was
      // mixed in first.
      std::uint64_t word;
      if (size >= 8) {
        std::memcpy(&word, p + n - 8, 8);
      } else if (n >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        word = first | (std::uint64_t{last} << 32);
      } else {
        word = static_cast<unsigned char>(p[0]) |
               (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8) |
               (std::uint64_t{static_cast<unsigned char>(p[n - 1])} << 16);
      }
      h = (h ^ word) * 0xC4CEB9FE1A85EC53ull;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
  }

 private:
  struct Entry {
    Entry* prev;  // the entry added before, for taking the map apart
    std::size_t key_size;
    Value value;
    // The key's units follow the entry.
    Char* key() { return reinterpret_cast<Char*>(this + 1); }
    const Char* key() const { return reinterpret_cast<const Char*>(this + 1); }
  };
  static_assert(sizeof(Entry) % alignof(Char) == 0);

  struct Slot {
    std::uint64_t hash = 0;
    Entry* entry = nullptr;  // null: free
  };

  // Entries are placed in blocks of this many bytes, or larger for a long key.
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

  static bool Matches(const Slot& slot, std::uint64_t h, std::basic_string_view<Char> key) {
    if (slot.hash != h) return false;
    const Entry& e = *slot.entry;
    return e.key_size == key.size() && SameBytes(e.key(), key.data(), key.size() * sizeof(Char));
  }

  // Keys are short (a code, a few fields side by side): compared here eight bytes at a time
  // rather than through a call to memcmp.
  static bool SameBytes(const void* a, const void* b, std::size_t n) {
    const char* p = static_cast<const char*>(a);
    const char* q = static_cast<const char*>(b);
    for (; n >= 8; p += 8, q += 8, n -= 8) {
      std::uint64_t x, y;
      std::memcpy(&x, p, 8);
      std::memcpy(&y, q, 8);
      if (x != y) return false;
    }
    if (n >= 4) {
      std::uint32_t x, y;
      std::memcpy(&x, p, 4);
      std::memcpy(&y, q, 4);
      if (x != y) return false;
      p += 4, q += 4, n -= 4;
    }
    for (; n > 0; ++p, ++q, --n) {
      if (*p != *q) return false;
    }
    return true;
  }

  // The slot that holds `key` (of hash `h`), or the free one where it would go; the slots are
  // widened first when they are half full.
  std::size_t SlotFor(std::basic_string_view<Char> key, std::uint64_t h) {
    if ((size_ + 1) * 2 > slots_.size()) Widen();
    std::size_t at = h & (slots_.size() - 1);
    for (; slots_[at].entry != nullptr; at = (at + 1) & (slots_.size() - 1)) {
      if (Matches(slots_[at], h, key)) break;
    }
    return at;
  }

  // Enters `key` with the value `make()` gives at the free slot `at`. Nothing is entered until
  // the value is made and stored: a `make` that throws (or memory running out) leaves the map as
  // it was.
  template <typename Make>
  Entry* Enter(std::size_t at, std::uint64_t h, std::basic_string_view<Char> key, Make& make) {
    Value value = make();
    Entry* entry = new (Place(key.size())) Entry{last_, key.size(), std::move(value)};
    if (!key.empty()) std::memcpy(entry->key(), key.data(), key.size() * sizeof(Char));
    last_ = entry;
    ++size_;
    slots_[at] = Slot{h, entry};
    return entry;
  }

  // Room for an entry with a key of `units`, aligned for the entry, where it will never move.
  void* Place(std::size_t units) {
    constexpr std::size_t kAlign = alignof(Entry);
    if (units > (SIZE_MAX - sizeof(Entry) - kAlign) / sizeof(Char)) throw std::bad_alloc();
    const std::size_t bytes =
        (sizeof(Entry) + units * sizeof(Char) + kAlign - 1) / kAlign * kAlign;
    if (bytes > block_room_) {
      const std::size_t size = std::max(bytes, kBlockBytes);
      blocks_.push_back(
          std::unique_ptr<Block[]>(new Block[(size + sizeof(Block) - 1) / sizeof(Block)]));
      block_next_ = reinterpret_cast<char*>(blocks_.back().get());
      block_room_ = size;
    }
    void* at = block_next_;
    block_next_ += bytes;
    block_room_ -= bytes;
    return at;
  }

  // Twice the slots, every entry placed again by the hash its slot kept.
  void Widen() {
    if (slots_.size() > SIZE_MAX / 2 / sizeof(Slot)) throw std::length_error("too many keys");
    std::vector<Slot> wider(slots_.empty() ? 64 : slots_.size() * 2);
    for (const Slot& slot : slots_) {
      if (slot.entry == nullptr) continue;
      std::size_t at = slot.hash & (wider.size() - 1);
      while (wider[at].entry != nullptr) at = (at + 1) & (wider.size() - 1);
      wider[at] = slot;
    }
    slots_ = std::move(wider);
  }

  // Raw memory aligned for any entry.
  struct alignas(alignof(Entry)) Block {
    unsigned char bytes[alignof(Entry)];
  };

  std::vector<std::unique_ptr<Block[]>> blocks_;
  char* block_next_ = nullptr;  // where the next entry goes in the last block
  std::size_t block_room_ = 0;  // bytes left there
  Entry* last_ = nullptr;
  std::size_t size_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace tpd
