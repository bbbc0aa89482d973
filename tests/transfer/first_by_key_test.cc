#include "transfer/first_by_key.h"

#include <stdexcept>
#include <string>

#include "tests/support/test_support.h"

namespace tpd {
namespace {

// The value of a key is the one that came with its first occurrence, however many keys follow
// (the table widens several times on the way) and however alike they are.
TEST(FirstByKeyTest, KeepsTheFirstValueOfEveryKey) {
  FirstByKey<int> first;
  EXPECT_EQ(first.Find(u"A"), nullptr);  // nothing added yet
  int made = 0;
  auto make = [&](int v) { return [&made, v] { ++made; return v; }; };

  EXPECT_TRUE(first.AddIfNew(u"A", make(1)));
  EXPECT_FALSE(first.AddIfNew(u"A", make(2)));  // not even made
  EXPECT_TRUE(first.AddIfNew(u"", make(3)));    // the empty key is a key
  EXPECT_TRUE(first.AddIfNew(u"AB", make(4)));  // a longer key with the same start
  EXPECT_TRUE(first.AddIfNew(u"a", make(5)));   // letter case counts
  EXPECT_TRUE(first.AddIfNew(std::u16string(u"A\0B", 3), make(6)));
  const std::u16string long_key(100000, u'L');  // longer than the blocks keys are kept in
  EXPECT_TRUE(first.AddIfNew(long_key, make(7)));
  EXPECT_EQ(made, 6);

  for (int i = 0; i < 20000; ++i) first.AddIfNew(u"K" + std::u16string(1, char16_t(i)), make(i));
  for (int i = 0; i < 20000; ++i) first.AddIfNew(u"K" + std::u16string(1, char16_t(i)), make(-1));
  EXPECT_EQ(first.size(), 6u + 20000u);

  EXPECT_EQ(*first.Find(u"A"), 1);
  EXPECT_EQ(*first.Find(u""), 3);
  EXPECT_EQ(*first.Find(u"AB"), 4);
  EXPECT_EQ(*first.Find(u"a"), 5);
  EXPECT_EQ(*first.Find(std::u16string(u"A\0B", 3)), 6);
  EXPECT_EQ(*first.Find(long_key), 7);
  EXPECT_EQ(first.Find(long_key.substr(1)), nullptr);
  for (int i = 0; i < 20000; ++i) {
    const int* v = first.Find(u"K" + std::u16string(1, char16_t(i)));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(*v, i);
  }
  EXPECT_EQ(first.Find(u"B"), nullptr);
  EXPECT_EQ(first.Find(std::u16string(u"A\0", 2)), nullptr);

  // FindOrAdd gives what is there without making anything, and adds what is not.
  made = 0;
  EXPECT_EQ(first.FindOrAdd(u"AB", make(-1)), 4);
  EXPECT_EQ(first.FindOrAdd(u"B", make(8)), 8);
  EXPECT_EQ(first.FindOrAdd(u"B", make(-1)), 8);
  EXPECT_EQ(&first.FindOrAdd(u"B", make(-1)), first.Find(u"B"));
  EXPECT_EQ(made, 1);
}

// Keys of bytes of every length up to a few words, alike but for their last byte, each find
// their own value and no other.
TEST(FirstByKeyTest, ByteKeysOfEveryShortLength) {
  FirstByKey<int, char> first;
  for (int length = 0; length < 20; ++length) {
    for (char last : {'a', 'b'}) {
      std::string key(static_cast<std::size_t>(length), 'k');
      if (length > 0) key.back() = last;
      first.AddIfNew(key, [&] { return length * 2 + (last == 'b'); });
    }
  }
  for (int length = 0; length < 20; ++length) {
    for (char last : {'a', 'b', 'c'}) {
      std::string key(static_cast<std::size_t>(length), 'k');
      if (length > 0) key.back() = last;
      const int* v = first.Find(key);
      if (length > 0 && last == 'c') {
        EXPECT_EQ(v, nullptr) << key;
      } else {
        ASSERT_NE(v, nullptr) << key;
        EXPECT_EQ(*v, length * 2 + (length > 0 && last == 'b')) << key;
      }
    }
  }
}

// A value that cannot be made enters nothing: the key can be added later, and the map still
// widens and finds everything.
TEST(FirstByKeyTest, AValueThatFailsEntersNothing) {
  FirstByKey<std::u16string> first;
  EXPECT_THROW(first.AddIfNew(u"G1", []() -> std::u16string { throw std::runtime_error("no"); }),
               std::runtime_error);
  EXPECT_EQ(first.Find(u"G1"), nullptr);
  EXPECT_EQ(first.size(), 0u);
  EXPECT_THROW(first.FindOrAdd(u"G1", []() -> std::u16string { throw std::runtime_error("no"); }),
               std::runtime_error);
  EXPECT_EQ(first.size(), 0u);
  EXPECT_TRUE(first.AddIfNew(u"G1", [] { return std::u16string(u"1A"); }));
  for (int i = 0; i < 1000; ++i) {
    first.AddIfNew(u"G" + std::u16string(1, char16_t(u'a' + i)), [] { return std::u16string(); });
  }
  EXPECT_EQ(*first.Find(u"G1"), u"1A");
}

}  // namespace
}  // namespace tpd
