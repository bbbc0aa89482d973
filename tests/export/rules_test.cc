// The pure rules of the export run: the short codes, the lesson pattern and the two number
// conversions with their exact error texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "export/lesson_pattern.h"
#include "export/number_text.h"
#include "export/short_code.h"
#include "tests/support/test_support.h"

namespace tpd::test {
namespace {

struct ShortCodeCase {
  std::vector<std::string> taken;  // codes already in the list
  std::string base, suffix;
  std::string expected;            // "" when the record is dropped
};

TEST(ShortCodes, Examples) {
  const std::vector<std::string> historia = {"HISTORIAGE", "HISTORIAG1", "HISTORIAG2", "HISTORIAG3",
                                             "HISTORIAG4", "HISTORIAG5", "HISTORIAG6", "HISTORIAG7",
                                             "HISTORIAG8", "HISTORIAG9"};
  std::vector<std::string> historia_folded = historia;
  historia_folded.push_back("HISTORIA10");
  const std::vector<ShortCodeCase> cases = {
      {{}, "LEN", "", "LEN"},
      {{}, "LEN", "BIL", "LENBIL"},
      {{}, "MATEMATICA", "ING", "MATEMATING"},
      {{"len"}, "LEN", "", "LEN1"},  // the list ignores letter case
      {{"LEN", "LEN1"}, "LEN", "", "LEN2"},
      {{"MATEMATING"}, "MATEMATICA", "ING", "MATEMATIN1"},
      {historia, "HISTORIAGE", "", "HISTORIA10"},
      {historia_folded, "HISTORIAGE", "", ""},
      {{}, "", "ING", "ING"},
      {{}, "", "", ""},
      {{"x"}, "", "", ""},
      {{}, "MATEMATICA", "BILING", "MATEBILING"},  // 6-character suffix keeps 4 of the base
      {{"LENGUACAS"}, "LENGUACAS", "", "LENGUACAS1"},  // 9 characters: not cut before numbering
      {{"Ñandú"}, "ñANDÚ", "", "ñANDÚ1"},
  };
  for (const auto& c : cases) {
    ShortCodes codes;
    for (const auto& t : c.taken) ASSERT_TRUE(codes.AdmitActivity(U(t)));
    EXPECT_EQ(S(codes.AdmitSubject(U(c.base), U(c.suffix))), c.expected)
        << c.base << " + " << c.suffix;
  }
}

TEST(ShortCodes, NumbersAndFoldsASequenceOfEqualBases) {
  // Thirteen subjects with one 9-character base: the base, the numbers 1 to 9, the folded 10;
  // after that the tenth candidate is free again, folds to the taken GEOGRAFI10 and is dropped.
  ShortCodes codes;
  std::vector<std::string> got;
  for (int i = 0; i < 13; ++i) got.push_back(S(codes.AdmitSubject(u"GEOGRAFIA", u"")));
  EXPECT_EQ(got, (std::vector<std::string>{"GEOGRAFIA", "GEOGRAFIA1", "GEOGRAFIA2", "GEOGRAFIA3",
                                           "GEOGRAFIA4", "GEOGRAFIA5", "GEOGRAFIA6", "GEOGRAFIA7",
                                           "GEOGRAFIA8", "GEOGRAFIA9", "GEOGRAFI10", "", ""}));
  // An 8-character base takes two digits unfolded (GEOGRAFI99); the candidate with 100 folds to
  // its first 8 and last 2 characters, once.
  ShortCodes eight;
  for (int i = 0; i < 100; ++i) ASSERT_NE(S(eight.AdmitSubject(u"GEOGRAFI", u"")), "");
  EXPECT_EQ(S(eight.AdmitSubject(u"GEOGRAFI", u"")), "GEOGRAFI00");
  EXPECT_EQ(S(eight.AdmitSubject(u"GEOGRAFI", u"")), "");
  // A code taken in between by another record is passed over by the numbering.
  ShortCodes mixed;
  EXPECT_EQ(S(mixed.AdmitSubject(u"FIS", u"")), "FIS");
  EXPECT_EQ(S(mixed.AdmitSubject(u"FIS", u"")), "FIS1");
  EXPECT_EQ(S(mixed.AdmitSubject(u"FIS2", u"")), "FIS2");
  EXPECT_EQ(S(mixed.AdmitSubject(u"fis", u"")), "fis3");
  EXPECT_FALSE(mixed.AdmitActivity(u"Fis3"));
  EXPECT_TRUE(mixed.AdmitActivity(u"*FIS"));
}

TEST(LessonPattern, Table) {
  const std::string ones13(13, '1');
  const struct {
    double hours;
    std::string pattern;
  } cases[] = {
      {1, "1"},
      {2.5, "11½"},
      {4, "1111"},
      {13, ones13},
      {14, "1" + ones13},
      {15, "2" + ones13},
      {16.5, "3" + ones13 + "½"},
      {25, "12" + ones13},
      {1.25, "1½"},
      {113, "100" + ones13},
  };
  for (const auto& c : cases) EXPECT_EQ(S(LessonPattern(c.hours)), c.pattern) << c.hours;
}

TEST(ParseDecimal, AcceptsSignDigitsPeriodAndExponent) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"2.5", 2.5},   {"2", 2},         {"+3", 3},       {"-1.5", -1.5}, {".5", 0.5},
      {"5.", 5},      {"1E1", 10},      {"1e+2", 100},   {"25e-1", 2.5}, {"007", 7},
      {"1e-400", 0},  {"0.000", 0},     {"16.5", 16.5},  {"1.3333", 1.3333},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDecimal(U(c.text)), c.value) << c.text;
}

TEST(ParseDecimal, RefusesWithTheExactText) {
  for (const char* text : {"", ".", "+", "-", "2,5", "1.2.3", "2 5", "abc", "1e", "1e+", "e5",
                           "0x10", "inf", "nan", "1e400", "1.5h", "½", "\t2"}) {
    EXPECT_ERROR_TEXT(ParseDecimal(U(text)),
                      U("'" + std::string(text) + "' is not a valid floating point value"));
  }
}

TEST(ParseWholeNumber, AcceptsLeadingBlanksAndASign) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"08", 8}, {"0", 0}, {" 8", 8}, {"  -3", -3}, {"+5", 5}, {"-0", 0},
               {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
  for (const auto& c : cases) EXPECT_EQ(ParseWholeNumber(U(c.text)), c.value) << c.text;
}

TEST(ParseWholeNumber, RefusesWithTheExactText) {
  for (const char* text : {"", " ", ":", "8 ", "a0", "9:", "- 1", "+", "1.0", "0x1", "\t1",
                           "2147483648", "-2147483649", "99999999999999999999"}) {
    EXPECT_ERROR_TEXT(ParseWholeNumber(U(text)),
                      U("'" + std::string(text) + "' is not a valid integer value"));
  }
}

}  // namespace
}  // namespace tpd::test
