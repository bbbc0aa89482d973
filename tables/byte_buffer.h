// The bytes of a table's records. A table of half a million rows grows by appends; the memory
// comes from the platform side (byte_buffer_<platform>.cc), which lets a large block grow by
// moving its pages rather than copying them, and never touches what it only reserves.
// std::string would copy the whole table at every doubling and write every byte it reserves.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace tpd {

namespace block {
// A block of at least `capacity` bytes holding the first `keep` bytes of `old` (of `old_capacity`,
// may be null); `old` is given back. `capacity` becomes what the block holds: a large block is
// rounded up to whole large pages. Throws std::bad_alloc.
char* Resize(char* old, std::size_t old_capacity, std::size_t& capacity, std::size_t keep);
void Free(char* block, std::size_t capacity);
}  // namespace block

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() { Release(); }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  const char* data() const { return data_; }
  char* data() { return data_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {data_, size_}; }

  // Room for `capacity` bytes in all; the bytes beyond size() are not initialised.
  void Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    data_ = block::Resize(data_, capacity_, capacity, size_);
    capacity_ = capacity;  // as rounded by the block
  }

  void Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) {
      std::size_t want = capacity_ < 4096 ? 4096 : capacity_ * 2;
      if (want - size_ < bytes.size()) want = size_ + bytes.size();
      Reserve(want);
    }
    if (!bytes.empty()) std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }

  // The spare room after size(), to be filled by the caller and then taken with Grow().
  char* spare() { return data_ + size_; }
  std::size_t spare_size() const { return capacity_ - size_; }
  void Grow(std::size_t n) { size_ += n; }

  // Keeps the first `n` bytes (n <= size()).
  void Truncate(std::size_t n) {
    if (n < size_) size_ = n;
  }

  // Empty, with the memory given back.
  void Release() {
    if (data_ != nullptr) block::Free(data_, capacity_);
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tpd
