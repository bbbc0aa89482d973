// The table operations and states, as the runs use them.
#include <cmath>
#include <limits>

#include "tests/tables/table_fixtures.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

const std::vector<FieldDef> kAsigFields = {Text(u"COD", 10), Text(u"CODDRUV", 10),
                                           Text(u"CODIDIDRUV", 10), Text(u"NOMBRE", 80)};

class TableTest : public ::testing::Test {
 protected:
  std::u16string folder() const { return dir_.u16(); }
  std::u16string PathOf(const char* file) const { return dir_ / file; }

  // A table of one field of each kind, open for writing, with one new row being inserted.
  void StartRow(Table& t) {
    t.Create({Text(u"T80", 80), Text(u"T10", 10), Text(u"T5", 5), Logical(u"FLAG"), Integer(u"DNI"),
              Number(u"HORAS")});
    t.Open(Share::kShared, Access::kReadWrite);
    t.Append();
  }

  TempDir dir_;
};

TEST_F(TableTest, TextIsCutToTheWidthInBytesAndReadWithoutTrailingBlanks) {
  struct Case {
    const char16_t* field;
    std::string written;
    std::string read;
  } cases[] = {
      {u"T80", std::string(90, 'a'), std::string(80, 'a')},
      {u"T10", "MAT", "MAT"},
      {u"T10", "MAT ", "MAT"},
      {u"T10", "  A  B  ", "  A  B"},
      {u"T10", "", ""},
      {u"T5", "Física y Química", "Físic"},  // one byte per accented letter
      {u"T5", "€uros", "€uros"},
      {u"T5", "łódź", "?ód?"},  // not in the code page: "?"
  };
  for (const Case& c : cases) {
    Table t(folder(), u"KINDS");
    StartRow(t);
    t.SetText(c.field, U(c.written));
    t.Post();
    EXPECT_EQ(t.AsText(c.field), U(c.read)) << c.written;
    t.Close();
    t.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(t.AsText(c.field), U(c.read)) << c.written << " after reopening";
    t.Close();
  }
}

TEST_F(TableTest, NumbersReadBackExactlyOrAreRefused) {
  struct Case {
    const char16_t* field;
    double value;
    bool stored;
  } cases[] = {
      {u"HORAS", 2.5, true},
      {u"HORAS", 16.5, true},
      {u"HORAS", 1.3333, true},
      {u"HORAS", -7.25, true},
      {u"HORAS", 0, true},
      {u"HORAS", 123456789012345.0, true},  // 20 columns with the four decimals
      {u"HORAS", 1.0 / 3, false},
      {u"HORAS", 0.00005, false},
      {u"HORAS", 1e16, false},
      {u"HORAS", std::nan(""), false},
      {u"HORAS", std::numeric_limits<double>::infinity(), false},
      {u"DNI", 2147483647, true},
      {u"DNI", -2147483648.0, true},
      {u"DNI", 12345678, true},
      {u"DNI", 2.5, false},
      {u"DNI", 2147483648.0, false},
  };
  for (const Case& c : cases) {
    Table t(folder(), u"KINDS");
    StartRow(t);
    if (!c.stored) {
      EXPECT_THROW(t.SetNumber(c.field, c.value), Error) << c.value;
      continue;
    }
    t.SetNumber(c.field, c.value);
    t.Post();
    t.Close();
    t.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(t.AsNumber(c.field), c.value);
  }
}

// Row after row in one table, the same values again and again and the same value in fields of
// other kinds: each row reads back what was written to it, and a refused value is refused again.
TEST_F(TableTest, NumbersWrittenRowAfterRow) {
  struct Case {
    const char16_t* field;
    double value;
    bool stored;
  } cases[] = {
      {u"HORAS", 2.5, true},       {u"DNI", 12345678, true}, {u"HORAS", 12345678, true},
      {u"HORAS", 1.0 / 3, false},  {u"HORAS", 4, true},      {u"DNI", 2.5, false},
      {u"HORAS", 16.5, true},      {u"DNI", 4, true},        {u"HORAS", 0, true},
  };
  Table t(folder(), u"KINDS");
  StartRow(t);
  std::vector<const Case*> written;
  for (int round = 0; round < 3; ++round) {
    for (const Case& c : cases) {
      t.Append();
      if (!c.stored) {
        EXPECT_THROW(t.SetNumber(c.field, c.value), Error) << c.value << " round " << round;
      } else {
        t.SetNumber(c.field, c.value);
      }
      t.Post();
      written.push_back(&c);
    }
  }
  t.Close();
  t.Open(Share::kShared, Access::kReadOnly);
  t.First();
  t.Next();  // the row StartRow began
  for (const Case* c : written) {
    EXPECT_EQ(t.AsNumber(c->field), c->stored ? c->value : 0) << c->value;
    t.Next();
  }
}

TEST_F(TableTest, NumberRefusalSaysWhy) {
  Table t(folder(), u"ASIGT.DBF");
  StartRow(t);
  EXPECT_ERROR_TEXT(t.SetNumber(u"HORAS", 0.1 + 0.2),
                    u"Cannot write field 'HORAS': the number 0.30000000000000004 cannot be stored "
                    u"exactly in N(20,4).\nTable: " +
                        PathOf("ASIGT.DBF"));
  EXPECT_ERROR_TEXT(t.SetNumber(u"DNI", 1e10),
                    u"Cannot write field 'DNI': the number 10000000000 is not a 32-bit whole "
                    u"number.\nTable: " +
                        PathOf("ASIGT.DBF"));
}

TEST_F(TableTest, FieldsNeverWrittenReadEmpty) {
  Table t(folder(), u"KINDS");
  StartRow(t);
  t.Post();
  t.Close();
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.AsText(u"T10"), u"");
  EXPECT_EQ(t.AsNumber(u"HORAS"), 0);
  EXPECT_EQ(t.AsInteger(u"HORAS"), 0);
  EXPECT_EQ(t.AsText(u"HORAS"), u"");
  EXPECT_EQ(t.AsInteger(u"DNI"), 0);
  EXPECT_EQ(t.AsText(u"FLAG"), u"");
}

TEST_F(TableTest, ReadsConvertBetweenKinds) {
  struct Case {
    const char16_t* field;
    std::u16string text;  // written with SetText
    std::u16string as_text;
    double as_number;
    std::int32_t as_integer;
  } cases[] = {
      {u"HORAS", u"2.5", u"2.5", 2.5, 2},  // halves go to the even neighbour
      {u"HORAS", u"3.5", u"3.5", 3.5, 4}, {u"HORAS", u"-2.5", u"-2.5", -2.5, -2},
      {u"HORAS", u"16", u"16", 16, 16},   {u"DNI", u" 42 ", u"42", 42, 42},
      {u"T10", u"7", u"7", 7, 7},         {u"T10", u" -12", u" -12", -12, -12},
  };
  for (const Case& c : cases) {
    Table t(folder(), u"KINDS");
    StartRow(t);
    t.SetText(c.field, c.text);
    t.Post();
    EXPECT_EQ(t.AsText(c.field), c.as_text) << S(c.text);
    EXPECT_EQ(t.AsNumber(c.field), c.as_number) << S(c.text);
    EXPECT_EQ(t.AsInteger(c.field), c.as_integer) << S(c.text);
  }
}

TEST_F(TableTest, ReadsThatDoNotConvertNameFieldAndRow) {
  Table t(folder(), u"KINDS");
  StartRow(t);
  t.SetText(u"T10", u"L");
  t.SetLogical(u"FLAG", true);
  t.Post();
  EXPECT_EQ(t.AsText(u"FLAG"), u"True");
  const std::u16string table = u"\nTable: " + PathOf("KINDS.DBF");
  EXPECT_ERROR_TEXT(t.AsInteger(u"T10"),
                    u"Cannot read field 'T10' of row 1: 'L' is not a 32-bit whole number." + table);
  EXPECT_ERROR_TEXT(t.AsNumber(u"FLAG"),
                    u"Cannot read field 'FLAG' of row 1: 'True' is not a number." + table);
  t.Edit();
  EXPECT_ERROR_TEXT(t.SetText(u"HORAS", u"2,5"),
                    u"Cannot write field 'HORAS': the text '2,5' is not a number." + table);
  EXPECT_ERROR_TEXT(
      t.SetLogical(u"T10", true),
      u"Cannot write field 'T10': a logical value cannot be stored in C(10)." + table);
}

TEST_F(TableTest, WalkingFollowsTableOrderAndEndOfTable) {
  MakeTextTable(folder(), u"ASIGNOMT.DBF", kAsigFields, {{u"A"}, {u"B"}, {u"C"}});
  Table t(folder(), u"ASIGNOMT");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_FALSE(t.Eof());
  std::u16string walked;
  for (t.First(); !t.Eof(); t.Next()) walked += t.AsText(u"COD");
  EXPECT_EQ(walked, u"ABC");
  EXPECT_EQ(t.AsText(u"COD"), u"C");  // the last row stays current
  t.Next();
  EXPECT_TRUE(t.Eof());
  t.First();
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(t.AsText(u"COD"), u"A");
  EXPECT_EQ(t.RowCount(), 3);
}

TEST_F(TableTest, EmptyTableIsAtItsEndAtOnce) {
  Table t(folder(), u"EMPTY");
  t.Create(kAsigFields);
  t.Open(Share::kShared, Access::kReadWrite);
  EXPECT_TRUE(t.Eof());
  t.First();
  EXPECT_TRUE(t.Eof());
  EXPECT_FALSE(t.Locate(u"COD", {u""}));
  EXPECT_EQ(t.AsText(u"COD"), u"");
  t.Close();
  t.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_TRUE(t.Eof());
  t.Next();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RowCount(), 0);
}

TEST_F(TableTest, ChangedRowIsStoredByPostFirstNextAndLocate) {
  for (int how = 0; how < 4; ++how) {
    Table t(folder(), u"ASIGNOMT");
    t.Create(kAsigFields);
    t.Open(Share::kShared, Access::kReadWrite);
    for (const char16_t* cod : {u"A", u"B"}) {
      t.Append();
      t.SetText(u"COD", cod);
      t.Post();
    }
    t.First();
    t.Edit();
    t.SetText(u"NOMBRE", u"changed");
    switch (how) {
      case 0:
        t.Post();
        break;
      case 1:
        t.First();
        break;
      case 2:
        t.Next();
        break;
      case 3:
        t.Locate(u"COD", {u"B"});
        break;
    }
    t.First();
    EXPECT_EQ(t.AsText(u"NOMBRE"), u"changed") << how;
    t.Next();
    EXPECT_EQ(t.AsText(u"NOMBRE"), u"") << how;
    t.Close();
    t.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(t.AsText(u"NOMBRE"), u"changed") << how << " after reopening";
    EXPECT_EQ(t.RowCount(), 2);
  }
}

TEST_F(TableTest, PostedRowGoesToTheEndAndIsCurrent) {
  Table t(folder(), u"ORDER");
  t.Create(kAsigFields);
  t.Open(Share::kShared, Access::kReadWrite);
  for (const char16_t* cod : {u"Z", u"A", u"M"}) {
    t.Append();
    t.SetText(u"COD", cod);
    t.Post();
    EXPECT_EQ(t.AsText(u"COD"), cod);
    EXPECT_FALSE(t.Eof());
  }
  t.First();
  t.Edit();
  t.SetText(u"COD", u"Y");
  t.Next();  // posts in place, moves to the second row
  EXPECT_EQ(t.AsText(u"COD"), u"A");
  t.Close();
  t.Open(Share::kShared, Access::kReadOnly);
  std::u16string walked;
  for (t.First(); !t.Eof(); t.Next()) walked += t.AsText(u"COD");
  EXPECT_EQ(walked, u"YAM");
}

// Locate answers the same whether it searches row by row (a table being written) or through
// its index (a table only read).
class LocateTest : public TableTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LocateTest, FindsTheFirstExactWholeMatchWithCase) {
  MakeTextTable(folder(), u"ASIGNOMT.DBF", kAsigFields,
                {{u"MAT", u"MATE", u"A", u"first"},
                 {u"MATE", u"MATE", u"B", u"second"},
                 {u"LENB", u"LCL", u"ING", u"third"},
                 {u"LENB", u"LCL", u"", u"fourth"},
                 {u"MAT", u"X", u"Y", u"fifth"},
                 {u"ABCDEFGHIJ", u"", u"", u"sixth"},
                 {u"M*", u"Ñ", u"é", u"seventh"}});
  const bool being_written = GetParam();
  Table t(folder(), u"ASIGNOMT", u"wwTableNomAsg");
  t.Open(Share::kExclusive, being_written ? Access::kReadWrite : Access::kReadOnly);
  if (being_written) {
    t.Edit();  // an unchanged row posted: the table now counts as written
    t.Post();
  }
  struct Case {
    const char16_t* keys;
    std::vector<std::u16string> values;
    const char16_t* found;  // NOMBRE of the row found; nullptr: none
  } cases[] = {
      {u"COD", {u"MAT"}, u"first"},
      {u"COD", {u"mat"}, nullptr},
      {u"COD", {u"MA"}, nullptr},
      {u"CODDRUV", {u"MAT"}, nullptr},
      {u"COD", {u"MATE"}, u"second"},
      {u"COD", {u"LENB"}, u"third"},
      {u"CODDRUV;CODIDIDRUV", {u"LCL", u"ING"}, u"third"},
      {u"CODDRUV;CODIDIDRUV", {u"LCL", u""}, u"fourth"},
      {u"CODDRUV;CODIDIDRUV", {u"MATE", u"ING"}, nullptr},
      {u"CODDRUV;CODIDIDRUV", {u"X", u"Y"}, u"fifth"},
      {u"COD", {u"ABCDEFGHIJ"}, u"sixth"},
      {u"COD", {u"ABCDEFGHIJK"}, nullptr},  // longer than the field: never cut to fit
      {u"COD", {u"M*"}, u"seventh"},
      {u"COD", {u"MA*"}, nullptr},  // "*" is no wildcard
      {u"CODDRUV;CODIDIDRUV", {u"Ñ", u"é"}, u"seventh"},
      {u"COD", {u""}, nullptr},
      {u"COD", {u"MAT "}, nullptr},
  };
  for (const Case& c : cases) {
    t.Locate(u"COD", {u"LENB"});  // a known current row
    const bool found = c.values.size() == 1 ? t.Locate(c.keys, {c.values[0]})
                                            : t.Locate(c.keys, {c.values[0], c.values[1]});
    EXPECT_EQ(found, c.found != nullptr) << S(c.keys) << " " << S(c.values[0]);
    EXPECT_EQ(t.AsText(u"NOMBRE"), c.found ? c.found : u"third") << S(c.values[0]);
  }
  // From wherever the current row is, the end of the table included.
  while (!t.Eof()) t.Next();
  EXPECT_TRUE(t.Locate(u"COD", {u"MAT"}));
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(t.AsText(u"NOMBRE"), u"first");
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyAndBeingWritten, LocateTest, ::testing::Values(false, true));

TEST_F(TableTest, LocateSeesRowsPostedAfterAnEarlierLocate) {
  Table t(folder(), u"ASIGNOMT");
  t.Create(kAsigFields);
  t.Open(Share::kShared, Access::kReadWrite);
  EXPECT_FALSE(t.Locate(u"COD", {u"A"}));
  t.Append();
  t.SetText(u"COD", u"A");
  EXPECT_TRUE(t.Locate(u"COD", {u"A"}));  // the row being inserted is posted first
  t.Edit();
  t.SetText(u"COD", u"B");
  EXPECT_FALSE(t.Locate(u"COD", {u"A"}));
  EXPECT_TRUE(t.Locate(u"COD", {u"B"}));
}

TEST_F(TableTest, IndexedLocateKeepsTableOrderAtScale) {
  std::vector<std::vector<std::u16string>> rows;
  for (int i = 0; i < 20000; ++i) {
    rows.push_back({u"K" + IntToText(i % 5000), u"", u"", IntToText(i)});
  }
  MakeTextTable(folder(), u"BIG", kAsigFields, rows);
  Table t(folder(), u"BIG");
  t.Open(Share::kShared, Access::kReadOnly);
  for (int k = 0; k < 5000; k += 7) {
    ASSERT_TRUE(t.Locate(u"COD", {u"K" + IntToText(k)}));
    EXPECT_EQ(t.AsText(u"NOMBRE"), IntToText(k));  // the first of its four rows
  }
  EXPECT_FALSE(t.Locate(u"COD", {u"K5000"}));
}

// The same handle closed and opened again on a table rebuilt with its fields in another order:
// Locate must look in the fields of the table now open, not where they were before.
TEST_F(TableTest, LocateAfterReopenUsesTheNewFieldOrder) {
  MakeTextTable(folder(), u"GRUPOST", {Text(u"ABREV", 10), Text(u"NIVEL", 5)},
                {{u"G1", u"ESO"}, {u"G2", u"BAC"}});
  Table t(folder(), u"GRUPOST");
  t.Open(Share::kShared, Access::kReadOnly);
  ASSERT_TRUE(t.Locate(u"ABREV", {u"G2"}));
  EXPECT_EQ(t.AsText(u"NIVEL"), u"BAC");
  t.Close();

  MakeTextTable(folder(), u"GRUPOST", {Text(u"NIVEL", 5), Text(u"ABREV", 10)},
                {{u"FP", u"G3"}, {u"ESO", u"G2"}});
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_FALSE(t.Locate(u"ABREV", {u"BAC"}));
  ASSERT_TRUE(t.Locate(u"ABREV", {u"G2"}));
  EXPECT_EQ(t.AsText(u"NIVEL"), u"ESO");
  ASSERT_TRUE(t.Locate(u"NIVEL", {u"FP"}));  // another key on the same handle
  EXPECT_EQ(t.AsText(u"ABREV"), u"G3");
  ASSERT_TRUE(t.Locate(u"ABREV", {u"G2"}));  // and back
  EXPECT_EQ(t.AsText(u"NIVEL"), u"ESO");
}

TEST_F(TableTest, UnknownFieldNamesTheComponent) {
  MakeTextTable(folder(), u"ASIGNOMT", {Text(u"COD", 10)}, {{u"A"}});
  Table step(folder(), u"ASIGNOMT.DBF");
  Table component(folder(), u"ASIGNOMT", u"wwTableNomAsg");
  step.Open(Share::kShared, Access::kReadWrite);
  EXPECT_ERROR_TEXT(step.AsText(u"CODDRUV"), u"Field 'CODDRUV' not found");
  EXPECT_ERROR_TEXT(step.Locate(u"COD;CODDRUV", {u"A", u"B"}), u"Field 'CODDRUV' not found");
  step.Append();
  EXPECT_ERROR_TEXT(step.SetNumber(u"HORAS", 1), u"Field 'HORAS' not found");
  step.Close();
  component.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_ERROR_TEXT(component.Locate(u"CODDRUV;CODIDIDRUV", {u"A", u"B"}),
                    u"wwTableNomAsg: Field 'CODDRUV' not found");
  EXPECT_ERROR_TEXT(component.AsInteger(u"DIA"), u"wwTableNomAsg: Field 'DIA' not found");
  EXPECT_EQ(component.AsText(u"cod"), u"A");  // names are matched without regard to case
  component.Close();
  EXPECT_ERROR_TEXT(component.AsText(u"COD"), u"wwTableNomAsg: Field 'COD' not found");
}

TEST_F(TableTest, StateErrors) {
  MakeTextTable(folder(), u"AULAT", {Text(u"ABREV", 10)}, {{u"A12"}});
  const std::u16string table = u"\nTable: " + PathOf("AULAT.DBF");
  Table t(folder(), u"AULAT");
  EXPECT_ERROR_TEXT(t.First(), u"The table is not open." + table);
  EXPECT_TRUE(t.Eof());
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_ERROR_TEXT(t.Append(), u"The table is open for reading only." + table);
  EXPECT_ERROR_TEXT(t.Edit(), u"The table is open for reading only." + table);
  t.Close();
  t.Open(Share::kShared, Access::kReadWrite);
  EXPECT_ERROR_TEXT(
      t.SetText(u"ABREV", u"X"),
      u"Cannot write field 'ABREV': the row is not being inserted or changed." + table);
}

TEST_F(TableTest, OpenFailuresNameTheFileOrFolder) {
  const std::u16string missing = dir_ / "PTEMP";
  EXPECT_ERROR_TEXT(Table(missing, u"PROFT").Open(Share::kExclusive, Access::kReadOnly),
                    u"Folder does not exist.\nFolder: " + missing);
  EXPECT_ERROR_TEXT(Table(missing, u"PROFT.DBF").Create({Text(u"A", 1)}),
                    u"Folder does not exist.\nFolder: " + missing);
  Components c(folder());
  EXPECT_ERROR_TEXT(c.wwTableProfesor.Open(Share::kExclusive, Access::kReadOnly),
                    u"Table does not exist.\nTable: " + PathOf("PROFT.DBF"));
  EXPECT_FALSE(c.wwTableProfesor.IsOpen());
}

TEST_F(TableTest, NameWithOrWithoutEndingInAnyCase) {
  MakeTextTable(folder(), u"GRUPOST.DBF", {Text(u"ABREV", 10)}, {{u"1A"}});
  for (const char16_t* name : {u"GRUPOST", u"GRUPOST.DBF", u"grupost.dbf", u"GrupoSt"}) {
    Table t(folder(), name);
    t.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(t.AsText(u"ABREV"), u"1A") << S(name);
  }
  // A table whose file name another program wrote in lower case.
  std::filesystem::rename(dir_.path() / "GRUPOST.DBF", dir_.path() / "soluc.dbf");
  Table soluc(folder() + u"/", u"SOLUC");
  soluc.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_EQ(soluc.AsText(u"ABREV"), u"1A");
}

TEST_F(TableTest, FieldListsThatCannotBeATable) {
  const std::u16string table = u"\nTable: " + PathOf("BAD.DBF");
  struct Case {
    std::vector<FieldDef> fields;
    std::u16string text;
  } cases[] = {
      {{}, u"Cannot create the table: it has no fields."},
      {{Text(u"A", 1), Text(u"A", 2)}, u"Cannot create the table: the field 'A' is listed twice."},
      {{Text(u"NAMETOOLONG", 2)},
       u"Cannot create the table: the field name 'NAMETOOLONG' is not valid."},
      {{Text(u"cod", 2)}, u"Cannot create the table: the field name 'cod' is not valid."},
      {{Text(u"T", 0)},
       u"Cannot create the table: the text field 'T' has the width 0, not 1 to 254."},
      {{Text(u"T", 255)},
       u"Cannot create the table: the text field 'T' has the width 255, not 1 to 254."},
  };
  for (const Case& c : cases) {
    Table t(folder(), u"BAD");
    EXPECT_ERROR_TEXT(t.Create(c.fields), c.text + table);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(TableTest, FieldsOfACreatedTable) {
  Table t(folder(), u"KINDS");
  StartRow(t);
  ASSERT_EQ(t.FieldCount(), 6);
  EXPECT_EQ(t.Fields()[0].name, u"T80");
  EXPECT_EQ(t.Fields()[0].width, 80);
  EXPECT_EQ(t.Fields()[3].kind, FieldKind::kLogical);
  EXPECT_EQ(t.Fields()[4].kind, FieldKind::kInteger);
  EXPECT_EQ(t.Fields()[5].kind, FieldKind::kNumber);
  t.Post();
  t.Close();
  EXPECT_EQ(t.FieldCount(), 0);
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.Fields()[4].kind, FieldKind::kInteger);
  EXPECT_EQ(t.Fields()[5].kind, FieldKind::kNumber);
}

TEST(TableComponents, SevenNamedHandlesNoneOpen) {
  Components c(u"/PTEMP");
  const Table* all[] = {&c.wwTableNomAsg, &c.wwTableAulas,    &c.wwTableAlumnos, &c.wwTableGrupos,
                        &c.wwTableTramos, &c.wwTableProfesor, &c.wwTableSoluc};
  const char16_t* names[] = {u"wwTableNomAsg", u"wwTableAulas",  u"wwTableAlumnos",
                             u"wwTableGrupos", u"wwTableTramos", u"wwTableProfesor",
                             u"wwTableSoluc"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(all[i]->component(), names[i]);
    EXPECT_FALSE(all[i]->IsOpen());
  }
  const std::u16string folder = u"/PTEMP" + std::u16string(PathSeparator());
  EXPECT_EQ(c.wwTableSoluc.Path(), folder + u"SOLUC.DBF");
  EXPECT_EQ(c.wwTableTramos.Path(), folder + u"DIASHORAST.DBF");
}

}  // namespace
}  // namespace tpd::test
