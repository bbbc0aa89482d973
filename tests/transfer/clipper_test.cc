#include "transfer/Clipper.h"

#include "tests/support/test_support.h"
#include "transfer/error.h"

namespace tpd {
namespace {

using test::U;

TEST(CopyTest, CutsAndClipsColumns) {
  struct Case {
    const char* text;
    int start;
    int count;
    const char* expected;
  };
  const Case cases[] = {
      {"ABCDEF", 2, 3, "BCD"},
      {"ABCDEF", 4, 10, "DEF"},   // runs past the end: cut there
      {"ABCDEF", 6, 1, "F"},
      {"ABCDEF", 7, 1, ""},       // starts past the end
      {"ABCDEF", 0, 2, "AB"},     // below 1 counts as 1, count kept
      {"ABCDEF", -5, 3, "ABC"},
      {"ABCDEF", 2, 0, ""},
      {"ABCDEF", 2, -1, ""},      // negative count
      {"", 1, 5, ""},
      {"ñáé", 2, 1, "á"},         // columns count characters, not bytes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Copy(U(c.text), c.start, c.count), U(c.expected))
        << c.text << " " << c.start << " " << c.count;
  }
}

TEST(CopyTest, HugeStartAndCountDoNotOverflow) {
  EXPECT_EQ(Copy(u"ABC", 2147483647, 2147483647), u"");
  EXPECT_EQ(Copy(u"ABC", 3, 2147483647), u"C");
  EXPECT_EQ(Copy(u"ABC", -2147483647 - 1, 2), u"AB");
}

TEST(TrimTest, OnlyBlanksAreTrimmed) {
  struct Case {
    const char* text;
    const char* rtrim;
    const char* ltrim;
    const char* alltrim;
  };
  const Case cases[] = {
      {"", "", "", ""},
      {"   ", "", "", ""},
      {"  a b  ", "  a b", "a b  ", "a b"},
      {"\tx\t", "\tx\t", "\tx\t", "\tx\t"},  // tabs are ordinary characters
      {" \t ", " \t", "\t ", "\t"},
      {"\xC2\xA0x", "\xC2\xA0x", "\xC2\xA0x", "\xC2\xA0x"},  // no-break space is not a blank
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RTrim(U(c.text)), U(c.rtrim)) << '"' << c.text << '"';
    EXPECT_EQ(LTrim(U(c.text)), U(c.ltrim)) << '"' << c.text << '"';
    EXPECT_EQ(AllTrim(U(c.text)), U(c.alltrim)) << '"' << c.text << '"';
  }
}

TEST(FieldTest, IsTheTrimmedCut) {
  const std::u16string line = u"1  MAT   Matematicas";
  EXPECT_EQ(Field(line, 2, 7), u"MAT");
  EXPECT_EQ(Field(line, 10, 40), u"Matematicas");
  EXPECT_EQ(Field(line, 60, 5), u"");
}

TEST(InicialesTest, TakesTheCharacterAfterEachBlank) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"Lengua Castellana y Literatura", "CyL"},
      {"Ciencias ", ""},  // a blank in the last position adds nothing
      {"a  b", " b"},     // a blank after a blank is itself taken
      {"", ""},
      {" x", "x"},        // the first character is never taken, but what follows it may be
      {"Matematicas", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Iniciales(U(c.text), u" "), U(c.expected)) << c.text;
    EXPECT_EQ(Iniciales(U(c.text), u"-"), U(c.expected)) << "the separator plays no part";
  }
}

// Column 1, then columns 2-51 as given (filled with blanks to width 50), then columns 52 on.
std::u16string NameColumns(const char* type, const char* name, const char* rest = "") {
  std::u16string columns = U(name);
  if (columns.size() < 50) columns.resize(50, u' ');
  return U(type) + columns + U(rest);
}

TEST(RecordTest, HeaderTrailerAndRecordName) {
  struct Case {
    std::u16string line;
    const char* record_name;
    bool data;
  };
  const Case cases[] = {
      {NameColumns("0", "ANYTHING"), "DRUV_PROF.TXT", false},
      {u"0", "DRUV_PROF.TXT", false},
      {NameColumns("9", ""), "DRUV_PROF.TXT", false},
      {NameColumns("1", "DRUV_PROF.TXT"), "DRUV_PROF.TXT", false},
      {NameColumns("X", "   druv_prof.txt", "12345678"), "DRUV_PROF.TXT", false},
      {U("X druv_prof.txt"), "DRUV_PROF.TXT", false},  // a short line is cut where it ends
      {NameColumns("1", "DRUV_PROF.TXT 1"), "DRUV_PROF.TXT", true},
      {NameColumns("1", "DRUV_GRUPO.TXT"), "DRUV_GRUPOS.TXT", true},   // singular is data
      {NameColumns("1", "DRUV_GRUPOS.TXT"), "DRUV_GRUPOS.TXT", false},
      {NameColumns("1", "DRUV_PROF.TXTX"), "DRUV_PROF.TXT", true},
      {u"", "DRUV_PROF.TXT", true},       // an empty line is a data record
      {u"     ", "DRUV_PROF.TXT", true},  // so is a line of blanks
      {u"\x1A", "DRUV_PROF.TXT", true},   // a Ctrl-Z line read whole
      {U("1ñame"), "ÑAME", true},          // only a-z are upper-cased
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDataRecord(c.line, U(c.record_name)), c.data) << test::S(c.line);
  }
}

TEST(RecordTest, RecordNameIsColumnsTwoToFiftyOne) {
  std::u16string line = u"0" + std::u16string(49, u' ') + u"ab" + u"CENTRO";
  EXPECT_EQ(RecordName(line), u"A");  // column 51 is the last one read
  EXPECT_EQ(RecordName(U("9  druv_horário.txt  ")), U("DRUV_HORáRIO.TXT"));
  EXPECT_EQ(RecordName(u"9"), u"");
}

TEST(ErrorTextTest, FullStopRule) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"I/O error 32", "I/O error 32."},
      {"File not found", "File not found."},
      {"Ends with a stop.", "Ends with a stop."},
      {"Ends with a dash-", "Ends with a dash-"},   // '-' is below '.'
      {"Ends with a slash/", "Ends with a slash/."},  // '/' is above '.'
      {"Quoted \"x\"", "Quoted \"x\""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(U(c.text)), U(c.shown)) << c.text;
}

TEST(ErrorTextTest, SubstInsertsValuesVerbatim) {
  EXPECT_EQ(Subst(u"Cannot open file \"%s\". %s", {u"C:\\a%sb%d.txt", u"Access %s denied"}),
            u"Cannot open file \"C:\\a%sb%d.txt\". Access %s denied");
  EXPECT_EQ(Subst(u"%s and %s", {u"one"}), u"one and %s");
  EXPECT_EQ(Subst(u"100%", {u"x"}), u"100%");
  EXPECT_EQ(Error(u"Añ").what(), std::string("A\xC3\xB1"));
}

}  // namespace
}  // namespace tpd
