#include "transfer/first_by_key.h"

#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <utility>

namespace tpd {
namespace {

constexpr std::size_t kMost = std::numeric_limits<std::uint32_t>::max();

std::uint64_t HashOf(std::u16string_view key) { return std::hash<std::u16string_view>{}(key); }

std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32) | 1; }

}  // namespace

void FirstByKey::Reserve(std::size_t keys) {
  if (keys > kMost) throw std::bad_alloc();
  std::size_t slots = 16;
  while (slots < 2 * keys) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

bool FirstByKey::Add(std::u16string_view key, std::size_t value) {
  if (count_ >= kMost || value > kMost || key.size() > kMost - text_.size()) {
    throw std::bad_alloc();
  }
  if (2 * (count_ + 1) > slots_.size()) Grow(slots_.empty() ? 16 : 2 * slots_.size());
  const std::uint64_t hash = HashOf(key);
  Slot& slot = slots_[Place(key, hash)];
  if (slot.tag != 0) return false;
  const auto start = static_cast<std::uint32_t>(text_.size());
  text_ += key;  // first, so that running out of memory here leaves the slot free
  slot = {TagOf(hash), start, static_cast<std::uint32_t>(key.size()),
          static_cast<std::uint32_t>(value)};
  ++count_;
  return true;
}

std::optional<std::size_t> FirstByKey::Find(std::u16string_view key) const {
  if (slots_.empty()) return std::nullopt;
  const Slot& slot = slots_[Place(key, HashOf(key))];
  if (slot.tag == 0) return std::nullopt;
  return slot.value;
}

void FirstByKey::Clear() {
  text_.clear();
  count_ = 0;
  slots_.clear();
}

std::size_t FirstByKey::Place(std::u16string_view key, std::uint64_t hash) const {
  const std::uint32_t tag = TagOf(hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.tag == 0) return at;
    if (slot.tag == tag && slot.size == key.size() &&
        std::memcmp(text_.data() + slot.start, key.data(), key.size() * sizeof(char16_t)) == 0) {
      return at;
    }
  }
}

void FirstByKey::Grow(std::size_t slots) {
  const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(slots));
  const std::size_t mask = slots - 1;
  for (const Slot& slot : old) {
    if (slot.tag == 0) continue;
    // The keys are distinct: each goes to the first free slot from its place, no key compared.
    std::size_t at = HashOf(std::u16string_view(text_).substr(slot.start, slot.size)) & mask;
    while (slots_[at].tag != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace tpd
