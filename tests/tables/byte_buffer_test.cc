// The record buffer keeps every byte through its growth: from the C heap to a mapping of its own,
// and from mapping to mapping, whether a block grows where it is or moves its pages elsewhere.
#include "tables/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tpd {
namespace {

// Byte i of the pattern, different from its neighbours and from the bytes a page away.
char PatternByte(std::size_t i) { return static_cast<char>((i * 131 + i / 4093) & 0xFF); }

bool HoldsPattern(const ByteBuffer& buffer) {
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (buffer.data()[i] != PatternByte(i)) return false;
  }
  return true;
}

TEST(ByteBufferTest, AppendsKeepEveryByteThroughGrowth) {
  // Pieces of odd sizes, up to several large pages, so that growth crosses every kind of block.
  for (std::size_t piece : {1u, 7u, 4096u, 100'003u}) {
    ByteBuffer buffer;
    std::string bytes;
    while (buffer.size() < (std::size_t{9} << 20)) {
      bytes.clear();
      for (std::size_t i = 0; i < piece; ++i) bytes += PatternByte(buffer.size() + i);
      buffer.Append(bytes);
    }
    EXPECT_TRUE(HoldsPattern(buffer)) << "pieces of " << piece;
  }
}

TEST(ByteBufferTest, ReserveThenFillTheSpareRoom) {
  ByteBuffer buffer;
  buffer.Append("ab");
  buffer.Reserve(3 << 20);  // past the heap: the two bytes move to a mapping
  ASSERT_GE(buffer.spare_size(), (std::size_t{3} << 20) - 2);
  std::memset(buffer.spare(), 'c', buffer.spare_size());
  buffer.Grow(buffer.spare_size());
  EXPECT_EQ(buffer.view().substr(0, 3), "abc");
  EXPECT_EQ(buffer.view().back(), 'c');
  buffer.Truncate(2);
  EXPECT_EQ(buffer.view(), "ab");
  buffer.Release();
  EXPECT_EQ(buffer.size(), 0u);
  buffer.Append("x");
  EXPECT_EQ(buffer.view(), "x");
}

}  // namespace
}  // namespace tpd
