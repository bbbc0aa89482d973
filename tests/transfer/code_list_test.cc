#include "transfer/code_list.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "tests/support/test_support.h"

namespace tpd {
namespace {

using test::U;

TEST(CodeListTest, UnsortedKeepsOrderAndFindsTheFirstEqualEntry) {
  CodeList list(false);
  EXPECT_EQ(list.IndexOf(u"MAT"), -1);
  EXPECT_EQ(list.Add(u"MAT"), 0);
  EXPECT_EQ(list.IndexOf(u"mat"), 0);  // letter case ignored
  EXPECT_EQ(list.Add(u"LEN"), 1);
  EXPECT_EQ(list.Add(u"Mat"), 2);      // duplicates are appended all the same
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf(u"mAt"), 0);
  EXPECT_EQ(list.At(2), u"Mat");
  EXPECT_EQ(list.IndexOf(u"MA"), -1);
  EXPECT_TRUE(list.Contains(u"len"));
  EXPECT_FALSE(list.AddIfNew(u"len"));  // an equal entry is there: nothing added
  EXPECT_TRUE(list.AddIfNew(u"Geo"));
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOf(u"GEO"), 3);
}

TEST(CodeListTest, SortedHoldsDistinctTextsInOrder) {
  CodeList list(true);
  EXPECT_EQ(list.Add(u"10:20"), 0);
  EXPECT_EQ(list.Add(u"08:30"), 0);
  EXPECT_EQ(list.Add(u"09:25"), 1);
  EXPECT_EQ(list.Add(u"08:30"), 0);  // already there: its position, nothing added
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.At(0), u"08:30");
  EXPECT_EQ(list.At(1), u"09:25");
  EXPECT_EQ(list.At(2), u"10:20");
  EXPECT_EQ(list.IndexOf(u"10:20"), 2);
  EXPECT_EQ(list.IndexOf(u"09:26"), -1);
  EXPECT_EQ(list.IndexOf(u""), -1);
}

TEST(CodeListTest, FixedFormDigitsSortAsCharacters) {
  // Times of day in hh:mm order the same way by collation as character by character.
  CodeList list(true);
  std::vector<std::u16string> added;
  for (int minutes = 23 * 60 + 59; minutes >= 0; minutes -= 7) {
    char text[6];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    added.push_back(U(text));
    list.Add(added.back());
  }
  std::sort(added.begin(), added.end());
  ASSERT_EQ(list.Count(), static_cast<int>(added.size()));
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.At(i), added[i]);
    EXPECT_EQ(list.IndexOf(added[i]), i);
  }
}

TEST(CodeListTest, AccentsCountCaseDoesNot) {
  for (bool sorted : {false, true}) {
    CodeList list(sorted);
    list.Add(U("Música"));
    EXPECT_GE(list.IndexOf(U("MÚSICA")), 0) << sorted;
    EXPECT_EQ(list.IndexOf(U("Musica")), -1) << sorted;
    list.Add(U("musica"));
    EXPECT_EQ(list.Count(), 2) << sorted;
  }
}

TEST(CollatorTest, SortKeysAgreeWithCompare) {
  const std::unique_ptr<Collator> collators[] = {Collator::ForLocale(""),
                                                 Collator::ForLocale("es_ES")};
  const char* texts[] = {"", "a", "A", "á", "b", "B", "ab", "aB", "ñ", "n", "o", "08:30", "8:30",
                         "10:20", "MAT", "mat", "Mat ", " mat", "z"};
  for (const auto& collator : collators) {
    for (const char* a : texts) {
      for (const char* b : texts) {
        const int compare = collator->Compare(U(a), U(b));
        const int keys = collator->SortKey(U(a)).compare(collator->SortKey(U(b)));
        EXPECT_EQ(compare < 0, keys < 0) << a << " / " << b;
        EXPECT_EQ(compare == 0, keys == 0) << a << " / " << b;
      }
    }
  }
}

TEST(CollatorTest, UnknownLocaleStillCollates) {
  auto collator = Collator::ForLocale("xx_NOWHERE");
  EXPECT_EQ(collator->Compare(u"MAT", u"mat"), 0);
  EXPECT_LT(collator->Compare(u"08:30", u"10:20"), 0);
  EXPECT_NE(collator->SortKey(u"a"), collator->SortKey(u"b"));
}

TEST(CollatorTest, SpanishOrdersEnyeAfterN) {
  auto spanish = Collator::ForLocale("es_ES");
  EXPECT_LT(spanish->Compare(u"n", U("ñ")), 0);
  EXPECT_LT(spanish->Compare(U("ñ"), u"o"), 0);
  EXPECT_EQ(spanish->Compare(U("Ñu"), U("ñU")), 0);
  EXPECT_LT(spanish->Compare(u"08:30", u"10:20"), 0);
}

}  // namespace
}  // namespace tpd
