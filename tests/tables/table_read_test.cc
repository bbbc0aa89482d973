// Tables written by other programs: the dBase variants, their field types and code pages, rows
// marked deleted, and strict refusal of corrupt files.
#include <cstring>
#include <limits>
#include <string>

#include "tests/support/memory_limit.h"
#include "tests/tables/table_fixtures.h"

namespace tpd::test {
namespace {

std::string Fixture(const char* name) {
  return tpd::test::ReadBytes(tpd::test::SourceDir() / "tests/tables/data" / name);
}

struct SolucRow {
  const char* dia;
  std::int32_t dia_number;
  const char* hora;
  const char* marco;
  const char* prof;
  const char* grupo;
  const char* asig;
  const char* aula;
};

// python3-dbf's SOLUC fixtures: the third of four rows is marked deleted.
const SolucRow kSolucRows[] = {
    {"2", 2, "3", "0", "JPG", "1ESOA", "LENB", "A12"},
    {"0", 0, "1", "0", "MRL", "2BACH", "", ""},
    {"1", 1, "12", "01", "NÚÑEZ", "1º ESO", "FÍSICA", "Aula é"},
};

class SolucFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(SolucFixture, ReadsEveryLiveRow) {
  const char* const fixture = GetParam();
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "SOLUC.DBF", Fixture(fixture));
  Components c(dir.u16());
  Table& soluc = c.wwTableSoluc;
  soluc.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_EQ(soluc.RowCount(), 3);
  const bool dia_is_text = std::strstr(fixture, "TXT") != nullptr;
  EXPECT_EQ(soluc.Fields()[0].kind, dia_is_text ? FieldKind::kText : FieldKind::kInteger);
  std::size_t i = 0;
  for (soluc.First(); !soluc.Eof(); soluc.Next(), ++i) {
    ASSERT_LT(i, std::size(kSolucRows));
    const SolucRow& r = kSolucRows[i];
    EXPECT_EQ(soluc.AsText(u"DIA"), U(r.dia));
    EXPECT_EQ(soluc.AsInteger(u"DIA"), r.dia_number);
    EXPECT_EQ(soluc.AsText(u"HORA"), U(r.hora));
    EXPECT_EQ(soluc.AsText(u"MARCO"), U(r.marco));
    EXPECT_EQ(soluc.AsText(u"PROF"), U(r.prof));
    EXPECT_EQ(soluc.AsText(u"CODGRUPO"), U(r.grupo));
    EXPECT_EQ(soluc.AsText(u"ASIG"), U(r.asig));
    EXPECT_EQ(soluc.AsText(u"AULA"), U(r.aula));
  }
  EXPECT_EQ(i, 3u);
  EXPECT_THROW(soluc.AsText(u"NADA"), Error);
  EXPECT_FALSE(soluc.Locate(u"PROF", {u"DELETED"}));
  EXPECT_TRUE(soluc.Locate(u"PROF", {U("NÚÑEZ")}));
  EXPECT_TRUE(soluc.Locate(u"DIA", {u"2"}));
  EXPECT_EQ(soluc.AsText(u"PROF"), u"JPG");
  // After look-ups a walk starts again from the first row.
  soluc.First();
  EXPECT_EQ(soluc.AsText(u"PROF"), u"JPG");
  soluc.Next();
  soluc.Next();
  EXPECT_EQ(soluc.AsText(u"PROF"), U("NÚÑEZ"));
}

INSTANTIATE_TEST_SUITE_P(DbaseAndVisualFoxPro, SolucFixture,
                         ::testing::Values("SOLUC_DB3_NUM.DBF", "SOLUC_DB3_TXT.DBF",
                                           "SOLUC_VFP_NUM.DBF", "SOLUC_VFP_TXT.DBF"),
                         [](const auto& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

std::string Le(std::uint64_t v, int size) {
  std::string s(size, '\0');
  for (int i = 0; i < size; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string Be(std::uint64_t v, int size) {
  std::string s = Le(v, size);
  return std::string(s.rbegin(), s.rend());
}

std::uint64_t Bits(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

// Level 7 keeps numbers so that their bytes sort: sign bit flipped, negatives inverted.
std::string Level7Double(double d) {
  const std::uint64_t b = Bits(d);
  return Be(d >= 0 ? b ^ (std::uint64_t{1} << 63) : ~b, 8);
}

std::string Level7Int(std::int32_t v) { return Be(static_cast<std::uint32_t>(v) ^ 0x80000000u, 4); }

constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

struct Expect {
  const char16_t* field;
  const char* text;  // AsText; nullptr: reading as text fails
  double number;     // AsNumber, when `text` is a number
};

void CheckRows(const std::string& file, const std::vector<std::vector<Expect>>& rows) {
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "T.DBF", file);
  Table t(dir.u16(), u"T");
  t.Open(Share::kShared, Access::kReadOnly);
  ASSERT_EQ(t.RowCount(), static_cast<long>(rows.size()));
  t.First();
  for (const auto& row : rows) {
    for (const Expect& e : row) {
      if (e.text == nullptr) {
        EXPECT_THROW(t.AsText(e.field), Error) << S(e.field);
        continue;
      }
      EXPECT_EQ(t.AsText(e.field), U(e.text)) << S(e.field);
      if (e.number == e.number) {
        EXPECT_EQ(t.AsNumber(e.field), e.number) << S(e.field);
      }
    }
    t.Next();
  }
}

TEST(OtherWriters, EveryVersionByteOfTheVariants) {
  // dBase III to 5 with and without memo, FoxPro, Visual FoxPro, level 7.
  for (std::uint8_t version :
       {0x03, 0x83, 0x8B, 0x43, 0xCB, 0xF5, 0xFB, 0x30, 0x31, 0x32, 0x04, 0x8C}) {
    const bool foxpro = version >= 0x30 && version <= 0x32;
    CheckRows(RawTable(version, 0x57, {{"COD", 'C', 4}, {"N", 'N', 3}},
                       {" MAT   7", "*DEL   1", " LENB 12"}, foxpro ? 263 : 0),
              {{{u"COD", "MAT", kNoNumber}, {u"N", "7", 7}},
               {{u"COD", "LENB", kNoNumber}, {u"N", "12", 12}}});
  }
}

// Milliseconds since the day before 0001-01-01: day 738536 is 2023-01-16.
TEST(OtherWriters, Level7Types) {
  std::string driver_name(32, '\0');
  driver_name.replace(0, 8, "DBWINUS0");
  std::string file =
      RawTable(0x04, 0x00,
               {{"NOMBRE", 'C', 6},
                {"I", 'I', 4},
                {"AUTO", '+', 4},
                {"O", 'O', 8},
                {"D", 'D', 8},
                {"TS", '@', 8}},
               {std::string(" P\xE9rez ") + Level7Int(-5) + Level7Int(7) + Level7Double(2.5) +
                    "20260115" + Level7Double((738535.0 + 1) * 86400000.0 + 3723000),
                std::string(" ") + "      " + std::string(4, '\0') + Level7Int(0) +
                    Level7Double(-1.5) + "        " + std::string(8, '\0')});
  file.replace(32, 32, driver_name);
  CheckRows(file, {{{u"NOMBRE", "Pérez", kNoNumber},
                    {u"I", "-5", -5},
                    {u"AUTO", "7", 7},
                    {u"O", "2.5", 2.5},
                    {u"D", "20260115", kNoNumber},
                    {u"TS", "2023-01-16 01:02:03", kNoNumber}},
                   {{u"NOMBRE", "", 0},
                    {u"I", "", 0},
                    {u"AUTO", "0", 0},
                    {u"O", "-1.5", -1.5},
                    {u"D", "", 0},
                    {u"TS", "", 0}}});
}

TEST(OtherWriters, VisualFoxProTypesAndHiddenNullFlags) {
  // Julian day 2460000 is 2023-02-24.
  std::string file =
      RawTable(0x30, 0x03,
               {{"I", 'I', 4},
                {"B", 'B', 8},
                {"Y", 'Y', 8},
                {"T", 'T', 8},
                {"L", 'L', 1},
                {"_NullFlags", '0', 1}},
               {std::string(" ") + Le(static_cast<std::uint32_t>(-30), 4) + Le(Bits(16.5), 8) +
                    Le(123456, 8) + Le(2460000, 4) + Le(45296000, 4) + "t" + std::string(1, '\0'),
                std::string(" ") + std::string(4, '\0') + std::string(8, '\0') +
                    std::string(8, '\0') + std::string(8, '\0') + "?" + std::string(1, '\0')},
               263);
  CheckRows(file, {{{u"I", "-30", -30},
                    {u"B", "16.5", 16.5},
                    {u"Y", "12.3456", 12.3456},
                    {u"T", "2023-02-24 12:34:56", kNoNumber},
                    {u"L", "True", kNoNumber}},
                   {{u"I", "0", 0}, {u"B", "0", 0}, {u"Y", "0", 0}, {u"T", "", 0}, {u"L", "", 0}}});
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "T.DBF", file);
  Table t(dir.u16(), u"T");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.FieldCount(), 5);
  EXPECT_ERROR_TEXT(t.AsText(u"_NullFlags"), u"Field '_NullFlags' not found");
}

TEST(OtherWriters, DbaseFloatsDatesMemosAndWideText) {
  std::string file = RawTable(
      0x8B, 0x57, {{"F", 'F', 10, 3}, {"N", 'N', 5, 1}, {"M", 'M', 10}, {"WIDE", 'C', 300}},
      {std::string(" ") + " -1234.500" + "  2.5" + "         7" + std::string(299, 'w') + "x",
       " " + std::string(10, ' ') + "  abc" + std::string(10, ' ') + std::string(300, ' ')});
  CheckRows(file, {{{u"F", "-1234.5", -1234.5},
                    {u"N", "2.5", 2.5},
                    {u"M", nullptr, 0},
                    {u"WIDE", (std::string(299, 'w') + "x").c_str(), kNoNumber}},
                   {{u"F", "", 0}, {u"N", nullptr, 0}, {u"M", "", 0}, {u"WIDE", "", 0}}});
}

TEST(OtherWriters, LanguageDriverChoosesTheCodePage) {
  struct Case {
    std::uint8_t driver;
    const char* text;  // bytes 0x80 0xB3
  } cases[] = {
      // 1252, also for no driver or an unknown one
      {0x57, "€³"},
      {0x00, "€³"},
      {0x7F, "€³"},
      {0x01, "Ç│"},  // 437
      {0x02, "Ç│"},  // 850
      {0x65, "А│"},  // 866
      {0x66, "Ç│"},  // 865
      {0xC8, "€ł"},  // 1250
      {0xC9, "Ђі"},  // 1251
  };
  for (const Case& c : cases) {
    TempDir dir;
    tpd::test::WriteBytes(dir.path() / "T.DBF",
                          RawTable(0x03, c.driver, {{"C", 'C', 2}}, {" \x80\xB3"}));
    Table t(dir.u16(), u"T");
    t.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(t.AsText(u"C"), U(c.text)) << int(c.driver);
  }
}

// Every structural fault of a valid table, one at a time: a clear error, never a read past the
// data. The fixture: header 289 bytes, 8 fields, records of 58 bytes, 4 records, then 0x1A.
TEST(CorruptTables, AreRefusedWithWhatIsWrong) {
  const std::string good = Fixture("SOLUC_DB3_NUM.DBF");
  ASSERT_EQ(good.size(), 289u + 4 * 58 + 1);
  auto with = [&](std::size_t at, std::string bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  struct Case {
    std::string file;
    std::string what;
  } cases[] = {
      {"", "the file is shorter than its header"},
      {good.substr(0, 31), "the file is shorter than its header"},
      {good.substr(0, 200), "the file is shorter than its header"},
      {good.substr(0, 289 + 3 * 58 + 20), "the record count exceeds the file size"},
      {with(4, std::string("\x05\0\0\0", 4)), "the record count exceeds the file size"},
      {with(4, "\xFF\xFF\xFF\xFF"), "the record count exceeds the file size"},
      {with(8, std::string("\x20\x01", 2)),
       "the header length does not match its field descriptors"},
      {with(8, std::string("\x40\0", 2)), "the header length does not match its field descriptors"},
      {with(288, "X"), "the field descriptors have no terminator"},
      {with(32 + 11, "Q"), "field 'DIA' has the unknown type 0x51"},
      {with(32 + 11, std::string(1, '\0')), "field 'DIA' has the unknown type 0x00"},
      {with(32 + 11, "I"), "field 'DIA' has the unknown type 0x49"},  // not in dBase III
      {with(128 + 16, "\x14"), "field 'AULA' runs past the end of the record"},
      {with(10, std::string("\x39\0", 2)), "field 'AULA' runs past the end of the record"},
      {with(10, std::string("\x3B\0", 2)), "the record length does not match its fields"},
      {with(289 + 58, "X"), "row 2 has an invalid deletion mark"},
      {with(0, "\x07"), "the version byte 0x07 is not that of a dBase table"},
      {with(0, "\x02"), "the version byte 0x02 is not that of a dBase table"},
      {RawTable(0x03, 0x57, {{"OK", 'L', 2}}, {}), "field 'OK' has the invalid length 2"},
      {RawTable(0x30, 0x03, {{"I", 'I', 8}}, {}, 263), "field 'I' has the invalid length 8"},
      {RawTable(0x03, 0x57, {{"C", 'C', 0}}, {}), "field 'C' has the invalid length 0"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    tpd::test::WriteBytes(dir.path() / "SOLUC.DBF", c.file);
    Components comp(dir.u16());
    EXPECT_ERROR_TEXT(comp.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly),
                      U("Corrupt table: " + c.what + ".\nTable: ") + (dir / "SOLUC.DBF"));
    EXPECT_FALSE(comp.wwTableSoluc.IsOpen());
  }
}

// A header may claim any number of rows. One that claims more than the file holds is refused
// before memory is taken for them; a table, or the index of a look-up, too large for the memory
// at hand is refused naming the table, never with the allocator's bare text.
TEST(CorruptTables, RowCountsBeyondTheFileOrTheMemoryAreRefusedNamingTheTable) {
  std::string claims = Fixture("SOLUC_DB3_NUM.DBF");
  claims.replace(4, 4, Le(2000000000, 4));
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "SOLUC.DBF", claims);
  Components comp(dir.u16());
  {
    const MemoryLimit watch(std::size_t{1} << 40);
    EXPECT_ERROR_TEXT(comp.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly),
                      u"Corrupt table: the record count exceeds the file size.\nTable: " +
                          (dir / "SOLUC.DBF"));
    EXPECT_LT(watch.LargestRequest(), std::size_t{1} << 20);
  }

  // 20,000 rows of 58 bytes: more than the memory allowed here.
  std::string large = Fixture("SOLUC_DB3_NUM.DBF");
  const std::string row = large.substr(289, 58);
  large.resize(289);
  large.replace(4, 4, Le(20000, 4));
  for (int i = 0; i < 20000; ++i) large += row;
  tpd::test::WriteBytes(dir.path() / "SOLUC.DBF", large);
  {
    const MemoryLimit watch(500000);
    EXPECT_ERROR_TEXT(comp.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly),
                      u"Cannot read the table: not enough memory.\nTable: " + (dir / "SOLUC.DBF"));
  }
  comp.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_EQ(comp.wwTableSoluc.RowCount(), 20000);

  // So is the index of a look-up; the table is searched all the same once the memory is there.
  const std::u16string teacher = comp.wwTableSoluc.AsText(u"PROF");
  {
    const MemoryLimit watch(500000);
    EXPECT_ERROR_TEXT(comp.wwTableSoluc.Locate(u"PROF", {teacher}),
                      u"Cannot search the table: not enough memory.\nTable: " + (dir / "SOLUC.DBF"));
  }
  comp.wwTableSoluc.Next();
  EXPECT_TRUE(comp.wwTableSoluc.Locate(u"PROF", {teacher}));
}

TEST(CorruptTables, DecorationIsAccepted) {
  std::string file = Fixture("SOLUC_DB3_NUM.DBF");
  file.pop_back();             // no 0x1A
  file[28] = 1;                // index flag without an index file
  file[29] = '\x42';           // unknown language driver
  file[1] = file[2] = '\xFF';  // odd date
  file += "trailing bytes after the counted records";
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "SOLUC.DBF", file);
  Table t(dir.u16(), u"SOLUC");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.RowCount(), 3);
}

TEST(CorruptTables, BadValuesFailWhenRead) {
  TempDir dir;
  tpd::test::WriteBytes(dir.path() / "T.DBF",
                        RawTable(0x03, 0x57, {{"N", 'N', 4}}, {" 1.2.", "  abc", " 9e99"}));
  Table t(dir.u16(), u"T", u"wwTableSoluc");
  t.Open(Share::kShared, Access::kReadOnly);
  const std::u16string table = u"\nTable: " + (dir / "T.DBF");
  EXPECT_ERROR_TEXT(t.AsInteger(u"N"),
                    u"wwTableSoluc: Cannot read field 'N' of row 1: the stored "
                    u"value is not valid for its type." +
                        table);
  t.Next();
  EXPECT_ERROR_TEXT(t.AsText(u"N"),
                    u"wwTableSoluc: Cannot read field 'N' of row 2: the stored "
                    u"value is not valid for its type." +
                        table);
  t.Next();
  EXPECT_ERROR_TEXT(t.AsInteger(u"N"),
                    u"wwTableSoluc: Cannot read field 'N' of row 3: '9e+99' "
                    u"is not a 32-bit whole number." +
                        table);
  EXPECT_FALSE(t.Locate(u"N", {u"abc"}));
}

}  // namespace
}  // namespace tpd::test
