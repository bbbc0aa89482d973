#include "transfer/first_by_key.h"

#include <cstring>
#include <functional>
#include <new>

namespace tpd {
namespace {

// A slot keeps a key's number plus one in its low half.
constexpr std::size_t kMostKeys = 0xFFFFFFFEu;

std::uint64_t HashOf(std::u16string_view key) { return std::hash<std::u16string_view>{}(key); }

}  // namespace

void FirstByKey::Reserve(std::size_t keys) {
  ends_.reserve(keys);
  values_.reserve(keys);
  std::size_t slots = 16;
  while (slots < 2 * keys) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

bool FirstByKey::Add(std::u16string_view key, std::size_t value) {
  if (values_.size() >= kMostKeys) throw std::bad_alloc();
  if (2 * (values_.size() + 1) > slots_.size()) Grow(slots_.empty() ? 16 : 2 * slots_.size());
  const std::uint64_t hash = HashOf(key);
  const std::size_t at = Place(key, hash);
  if (slots_[at] != 0) return false;
  text_ += key;
  ends_.push_back(text_.size());
  values_.push_back(value);
  slots_[at] = Slot(hash, values_.size() - 1);
  return true;
}

const std::size_t* FirstByKey::Find(std::u16string_view key) const {
  if (slots_.empty()) return nullptr;
  const std::uint64_t slot = slots_[Place(key, HashOf(key))];
  return slot == 0 ? nullptr : &values_[(slot & 0xFFFFFFFFu) - 1];
}

void FirstByKey::Clear() {
  text_.clear();
  ends_.clear();
  values_.clear();
  slots_.clear();
}

std::u16string_view FirstByKey::Key(std::size_t key) const {
  const std::size_t start = key == 0 ? 0 : ends_[key - 1];
  return std::u16string_view(text_).substr(start, ends_[key] - start);
}

std::size_t FirstByKey::Place(std::u16string_view key, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) return at;
    if ((slot & 0xFFFFFFFF00000000u) == (hash & 0xFFFFFFFF00000000u)) {
      const std::u16string_view stored = Key((slot & 0xFFFFFFFFu) - 1);
      if (stored.size() == key.size() &&
          std::memcmp(stored.data(), key.data(), key.size() * sizeof(char16_t)) == 0) {
        return at;
      }
    }
  }
}

void FirstByKey::Grow(std::size_t slots) {
  slots_.assign(slots, 0);
  for (std::size_t key = 0; key < values_.size(); ++key) {
    const std::uint64_t hash = HashOf(Key(key));
    slots_[Place(Key(key), hash)] = Slot(hash, key);
  }
}

}  // namespace tpd
