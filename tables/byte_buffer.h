// The bytes of a table's records. A table of half a million rows grows by appends; a buffer that
// grows with realloc lets the system move a large block's pages instead of copying them (Linux
// does so with mremap), and never touches the memory it only reserves. std::string would copy the
// whole table at every doubling and write every byte it reserves.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace tpd::tables {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() { std::free(data_); }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  const char* data() const { return data_; }
  char* data() { return data_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {data_, size_}; }

  // Room for `capacity` bytes in all; the bytes beyond size() are not initialised.
  void Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }

  void Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) {
      std::size_t want = capacity_ < 4096 ? 4096 : capacity_ + capacity_ / 2;
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
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tpd::tables
