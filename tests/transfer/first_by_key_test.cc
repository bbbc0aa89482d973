#include "transfer/first_by_key.h"

#include <optional>
#include <string>

#include "tests/support/test_support.h"
#include "transfer/text.h"

namespace tpd {
namespace {

TEST(FirstByKeyTest, KeepsTheFirstValueOfEachKey) {
  FirstByKey first;
  EXPECT_FALSE(first.Find(u"MAT"));  // nothing added yet
  EXPECT_TRUE(first.Add(u"MAT", 7));
  EXPECT_TRUE(first.Add(u"mat", 8));   // letter case counts
  EXPECT_FALSE(first.Add(u"MAT", 9));  // the first one stays
  EXPECT_TRUE(first.Add(u"", 10));     // the empty key is a key like any other
  EXPECT_TRUE(first.Add(std::u16string_view(u"A\0B", 3), 11));
  EXPECT_TRUE(first.Add(u"A", 12));    // a prefix of a stored key is another key
  ASSERT_TRUE(first.Find(u"MAT"));
  EXPECT_EQ(*first.Find(u"MAT"), 7u);
  EXPECT_EQ(*first.Find(u"mat"), 8u);
  EXPECT_EQ(*first.Find(u""), 10u);
  EXPECT_EQ(*first.Find(std::u16string_view(u"A\0B", 3)), 11u);
  EXPECT_EQ(*first.Find(u"A"), 12u);
  EXPECT_FALSE(first.Find(u"MA"));
  EXPECT_FALSE(first.Find(u"MATE"));

  first.Clear();
  EXPECT_FALSE(first.Find(u"MAT"));
  EXPECT_TRUE(first.Add(u"MAT", 1));
  EXPECT_EQ(*first.Find(u"MAT"), 1u);
}

// Many keys, added with and without room made first: every one keeps its first value through
// the growth of the slots, composite keys of the same parts in other groupings stay apart, and
// what was never added is not found.
TEST(FirstByKeyTest, FindsEveryKeyAfterGrowing) {
  for (const bool reserve : {false, true}) {
    SCOPED_TRACE(reserve ? "reserved" : "grown");
    FirstByKey first;
    if (reserve) first.Reserve(20000);
    for (std::size_t i = 0; i < 20000; ++i) {
      const std::u16string n = IntToText(static_cast<long long>(i));
      ASSERT_TRUE(first.Add(CompositeKey({n, u"x"}), i));
      ASSERT_FALSE(first.Add(CompositeKey({n, u"x"}), i + 1));
    }
    for (std::size_t i = 0; i < 20000; ++i) {
      const std::u16string n = IntToText(static_cast<long long>(i));
      const std::optional<std::size_t> found = first.Find(CompositeKey({n, u"x"}));
      ASSERT_TRUE(found) << i;
      EXPECT_EQ(*found, i);
      EXPECT_FALSE(first.Find(CompositeKey({n + u"x"})));
      EXPECT_FALSE(first.Find(CompositeKey({n, u"y"})));
    }
  }
}

}  // namespace
}  // namespace tpd
