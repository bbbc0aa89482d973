#include "transfer/codepage.h"

#include "tests/support/test_support.h"

namespace tpd {
namespace {

using test::U;

TEST(CodePageTest, AnsiIsWindows1252Here) {
  // Linux stands in with Windows-1252; Wine's ANSI code page is 1252 as well.
  EXPECT_EQ(AnsiCodePage(), 1252);
}

TEST(CodePageTest, Windows1252DecodesEveryByte) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},  // undefined: kept as C1
      {"\x80\x8A\x9F", u"\u20AC\u0160\u0178"},
      {"\xD1\xF1\xE1\xFC", U("Ññáü")},
      {std::string("A\0\x1A\x7F", 4), std::u16string(u"A\0\x1A\x7F", 4)},
      {"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeAnsi(c.bytes), c.text);
    EXPECT_EQ(EncodeAnsi(c.text), c.bytes) << "round trip";
  }
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
  std::u16string decoded = DecodeAnsi(all);
  ASSERT_EQ(decoded.size(), 256u);
  EXPECT_EQ(EncodeAnsi(decoded), all) << "every byte survives a round trip";
}

TEST(CodePageTest, UnmappableBecomesQuestionMark) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {U("łódź"), "?\xF3" "d?"},   // no best fit: ł is not written as l
      {U("Ω"), "?"},
      {std::u16string(1, u'\xD800') + u"a", "?a"},  // a lone surrogate
      {u"\U0001F600|", "??|"},  // one "?" per UTF-16 unit: later columns keep their place
      {U("\xE2\x80\x9C" "x" "\xE2\x80\x9D"), "\x93x\x94"},  // curly quotes are in the page
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeAnsi(c.text), c.bytes) << test::S(c.text);
    std::string appended = "ab";
    AppendEncodedAnsi(c.text, appended);
    EXPECT_EQ(appended, "ab" + c.bytes) << test::S(c.text);
    // In a field of three bytes: cut, or padded with blanks.
    char field[3];
    EncodeCodePageInField(AnsiCodePage(), c.text, field, sizeof field);
    std::string expected = c.bytes;
    expected.resize(sizeof field, ' ');
    EXPECT_EQ(std::string(field, sizeof field), expected) << test::S(c.text);
  }
}

TEST(CodePageTest, OtherCodePages) {
  struct Case {
    int code_page;
    std::string bytes;
    const char* text;
  };
  const Case cases[] = {
      {437, "\x80\xA4\xE1", "Çñß"},
      {850, "\x80\xA4\xB5", "ÇñÁ"},
      {852, "\x88\x9D\xAA", "łŁ¬"},
      {865, "\x9B\x9D", "øØ"},
      {866, "\x80\xE0", "Ар"},
      {1250, "\xB3\x8A", "łŠ"},
      {1251, "\xC0\xFF", "Ая"},
      {1254, "\xD0\xFE", "Ğş"},
      {437, "A\x1A\x7F", "A\x1A\x7F"},  // the ASCII half is itself, controls included
      {9999, "\x80", "€"},              // unknown: read as Windows-1252
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeCodePage(c.code_page, c.bytes), U(c.text)) << c.code_page;
    EXPECT_EQ(EncodeCodePage(c.code_page, U(c.text)), c.bytes) << c.code_page;
    // The comparison that look-ups make gives what decoding and comparing gives.
    EXPECT_TRUE(DecodesTo(c.code_page, c.bytes, U(c.text))) << c.code_page;
    EXPECT_FALSE(DecodesTo(c.code_page, c.bytes, U(c.text) + u"x")) << c.code_page;
    EXPECT_FALSE(DecodesTo(c.code_page, c.bytes, U(c.text).substr(1))) << c.code_page;
  }
  EXPECT_EQ(EncodeCodePage(866, U("Añ")), "A?");
  // Every byte of a page against its own decoding and against its neighbour's.
  for (int code_page : {437, 850, 1252}) {
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::u16string own = DecodeCodePage(code_page, byte);
      const std::u16string next = DecodeCodePage(code_page, std::string(1, static_cast<char>(b + 1)));
      EXPECT_TRUE(DecodesTo(code_page, byte, own)) << code_page << " " << b;
      EXPECT_EQ(DecodesTo(code_page, byte, next), own == next) << code_page << " " << b;
    }
  }
}

TEST(Utf8Test, StrictDecoding) {
  struct Case {
    std::string bytes;
    bool valid;
    std::u16string text;
  };
  const Case cases[] = {
      {"", true, u""},
      {"abc", true, u"abc"},
      {"\xC3\xB1", true, u"\u00F1"},
      {"\xE2\x82\xAC", true, u"\u20AC"},
      {"\xF0\x9F\x98\x80", true, u"\U0001F600"},
      {"\xF4\x8F\xBF\xBF", true, u"\U0010FFFF"},
      {"\xC3", false, u""},              // cut short
      {"\xE2\x82", false, u""},
      {"\x80", false, u""},              // a continuation byte alone
      {"\xC0\xAF", false, u""},          // overlong
      {"\xE0\x80\xAF", false, u""},
      {"\xED\xA0\x80", false, u""},      // a surrogate
      {"\xF4\x90\x80\x80", false, u""},  // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", false, u""},
      {"\xFF", false, u""},
      {"\xC3\x28", false, u""},          // lead byte without its continuation
      {"\xD1\xF1", false, u""},          // Windows-1252 text is not UTF-8
  };
  for (const Case& c : cases) {
    std::u16string out;
    EXPECT_EQ(DecodeUtf8Strict(c.bytes, out), c.valid) << testing::PrintToString(c.bytes);
    if (c.valid) {
      EXPECT_EQ(out, c.text);
    }
  }
}

TEST(Utf16Test, BothByteOrdersAndAnOddByte) {
  EXPECT_EQ(DecodeUtf16(std::string("A\0\xF1\0", 4), false), u"A\u00F1");
  EXPECT_EQ(DecodeUtf16(std::string("\0A\0\xF1", 4), true), u"A\u00F1");
  EXPECT_EQ(DecodeUtf16(std::string("A\0B", 3), false), u"A\uFFFD");
  EXPECT_EQ(DecodeUtf16("", true), u"");
}

}  // namespace
}  // namespace tpd
