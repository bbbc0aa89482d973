// Step 5: subject-group assignments into ASIGT, with group data and weekly hours.
#include <filesystem>

#include "tables/table.h"
#include "tests/export/export_fixture.h"

namespace tpd::test {
namespace {

using Table = std::vector<std::vector<std::string>>;

// Assignment record: group (2-11), DRUV subject code (12-31), suffix (32-37).
std::u16string Assignment(std::string_view group, std::string_view subject,
                          std::string_view suffix = "") {
  return Rec("1", {{2, group}, {12, subject}, {32, suffix}});
}
// Hours record: level (2-4), shift (5-7), course (8-10), subject (24-43), hours (44-49),
// suffix (50-55).
std::u16string Hours(std::string_view level, std::string_view shift, std::string_view course,
                     std::string_view subject, std::string_view hours,
                     std::string_view suffix = "") {
  return Rec("1", {{2, level}, {5, shift}, {8, course}, {24, subject}, {44, hours}, {50, suffix}});
}

// A GRUPOST left by another program, without GRUPO, with one row for the group `abrev`.
void WriteGroupsWithoutGrupo(const std::u16string& table_folder, std::u16string_view abrev) {
  tpd::Table groups(table_folder, u"GRUPOST.DBF");
  DeleteTableFiles(table_folder, u"GRUPOST");
  groups.Create({{u"ABREV", FieldKind::kText, 10},
                 {u"TURNO", FieldKind::kText, 1},
                 {u"NIVEL", FieldKind::kText, 5},
                 {u"CURSO", FieldKind::kText, 3}});
  groups.Open(Share::kShared, Access::kReadWrite);
  groups.Append();
  groups.SetText(u"ABREV", abrev);
  groups.Post();
  groups.Close();
}

class AssignmentsTest : public ExportTest {
 protected:
  // ASIGNOMT and GRUPOST as steps 1 and 4 build them.
  void SetUp() override {
    WriteInput("druv_asignat.txt",
               Framed("DRUV_ASIGNAT.TXT",
                      {
                          Rec("1", {{2, "MAT"}, {22, "Matemáticas"}}),
                          Rec("1", {{2, "MAT"}, {22, "Matemáticas bilingüe"}, {172, "BIL"}}),
                          Rec("1", {{2, "LEN"}, {22, "Lengua"}}),
                          Rec("1", {{2, "LEN"}, {22, "Lengua, otra"}}),  // LEN1, same DRUV key
                          Rec("1", {{2, "FIS"}, {22, "Física"}, {172, "ING"}}),
                      }));
    TraspasaAsignaturas(ctx());
    WriteInput("druv_grupo.txt",
               Framed("DRUV_GRUPOS.TXT",
                      {
                          Rec("1", {{2, "1ESOA"}, {15, "ESO"}, {21, "1"}, {34, "M"}}),
                          Rec("1", {{2, "1ESOA"}, {15, "BAC"}, {21, "2"}, {34, "T"}}),  // not used
                          Rec("1", {{2, "2ESOB"}, {15, "ESO"}, {21, "2"}, {34, "M"}}),
                      }));
    TraspasaGrupos(ctx());
  }

  Table Asigt() {
    return Rows("ASIGT", {"CASIG", "CPROF", "CGRUP", "CAULA", "CTAREA", "TURNO", "NIVEL", "CURSO",
                          "GRUPO", "SESIONES", "NCONEX", "CASIGDRUV", "CODIDIDRUV"});
  }

  void WriteAssignments() {
    WriteInput("druv_asignatgrupo.txt",
               Framed("DRUV_ASIGNATGRUPO.TXT",
                      {
                          Assignment("1ESOA", "MAT"),
                          Assignment("1ESOA", "MAT", "BIL"),
                          Assignment("2ESOB", "LEN"),         // the first of LEN and LEN1
                          Assignment("2ESOB", "MAT", "ZZZ"),  // no such subject: dropped
                          Assignment("9XXX", "FIS", "ING"),   // no such group
                          Assignment("1ESOA", "MAT"),         // duplicates stay
                          Assignment("2ESOB", "mat"),         // subjects match with case: dropped
                          Assignment("2ESOB", "FIS"),         // empty suffix finds only empty
                          Assignment("2ESOB", "MAT"),         // no hours record
                      }));
  }
};

TEST_F(AssignmentsTest, RowsGetGroupDataAndWeeklyHours) {
  WriteAssignments();
  WriteInput("druv_asignatcurso.txt",
             Framed("DRUV_ASIGNATCURSO.TXT",
                    {
                        Hours("ESO", "M", "1", "MAT", "2,5"),
                        Hours("ESO", "M", "1", "MAT", "mal"),  // a later match is never read
                        Hours("ESO", "M", "1", "MAT", "15", "BIL"),
                        Hours("ESO", "MTX", "2", "LEN", "7"),  // TURNO holds one character
                        Hours("ESO", "M", "2", "LEN", "0,5"),
                        Hours("", "", "", "FIS", "16.5", "ING"),  // the row without group data
                        Hours("BAC", "T", "2", "MAT", "x"),       // matches no row: never read
                    }));
  TraspasaAsignaturasGrupos(ctx());

  const std::string ones13(13, '1');
  const Table expected = {
      {"MAT", "", "1ESOA", "", "*LEC", "M", "ESO", "1", "A", "11½", "", "MAT", ""},
      {"MATBIL", "", "1ESOA", "", "*LEC", "M", "ESO", "1", "A", "2" + ones13, "", "MAT", "BIL"},
      {"LEN", "", "2ESOB", "", "*LEC", "M", "ESO", "2", "B", "1", "", "LEN", ""},
      {"FISING", "", "9XXX", "", "*LEC", "", "", "", "", "3" + ones13 + "½", "", "FIS", "ING"},
      {"MAT", "", "1ESOA", "", "*LEC", "M", "ESO", "1", "A", "11½", "", "MAT", ""},
      {"MAT", "", "2ESOB", "", "*LEC", "M", "ESO", "2", "B", "1", "", "MAT", ""},
  };
  EXPECT_EQ(Asigt(), expected);
  EXPECT_EQ(Numbers("ASIGT", "HORAS"), (std::vector<double>{2.5, 15, 1, 16.5, 2.5, 1}));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

// Many rows: each gets the hours of its own match, or the default, in table order.
TEST_F(AssignmentsTest, EveryRowOfManyGetsItsOwnHours) {
  const struct {
    std::u16string assignment;
    double hours;
  } kinds[] = {{Assignment("1ESOA", "MAT"), 3},
               {Assignment("1ESOA", "MAT", "BIL"), 5},
               {Assignment("1ESOA", "LEN"), 1}};  // no hours record: the default
  std::vector<std::u16string> assignments;
  std::vector<double> expected;
  for (int i = 0; i < 20; ++i) {
    assignments.push_back(kinds[i % 3].assignment);
    expected.push_back(kinds[i % 3].hours);
  }
  WriteInput("druv_asignatgrupo.txt", Framed("DRUV_ASIGNATGRUPO.TXT", assignments));
  WriteInput("druv_asignatcurso.txt",
             Framed("DRUV_ASIGNATCURSO.TXT", {Hours("ESO", "M", "1", "MAT", "3"),
                                              Hours("ESO", "M", "1", "MAT", "5", "BIL")}));
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(Numbers("ASIGT", "HORAS"), expected);
}

TEST_F(AssignmentsTest, HoursTexts) {
  const std::string ones13(13, '1');
  const struct {
    const char* hours;
    double value;
    std::string pattern;
  } cases[] = {
      {"2.5", 2.5, "11½"},   {"2,5", 2.5, "11½"},         {"", 1, "1"},
      {"0,5", 1, "1"},       {"-3", 1, "1"},              {"0", 1, "1"},
      {"13", 13, ones13},    {"14", 14, "1" + ones13},    {"25", 25, "12" + ones13},
      {"1E1", 10, "1111111111"}, {"+4,00", 4, "1111"},    {"1e-400", 1, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hours);
    WriteInput("druv_asignatgrupo.txt",
               Framed("DRUV_ASIGNATGRUPO.TXT", {Assignment("1ESOA", "MAT")}));
    WriteInput("druv_asignatcurso.txt",
               Framed("DRUV_ASIGNATCURSO.TXT", {Hours("ESO", "M", "1", "MAT", c.hours)}));
    TraspasaAsignaturasGrupos(ctx());
    EXPECT_EQ(Rows("ASIGT", {"SESIONES"}), Table{{c.pattern}});
    EXPECT_EQ(Numbers("ASIGT", "HORAS"), std::vector<double>{c.value});
  }
}

TEST_F(AssignmentsTest, BadHoursEndTheStepWithTheOldTableKept) {
  WriteAssignments();
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  TraspasaAsignaturasGrupos(ctx());
  const std::string before = TableBytes("ASIGT");
  ASSERT_FALSE(before.empty());

  const struct {
    const char* hours;
    const char* error;
  } cases[] = {
      {"2,5,1", "'2.5.1' is not a valid floating point value"},  // commas replaced first
      {"dos", "'dos' is not a valid floating point value"},
      {"2 5", "'2 5' is not a valid floating point value"},
      {"1e999", "'1e999' is not a valid floating point value"},  // too large for a number
      {"½", "'½' is not a valid floating point value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hours);
    WriteInput("druv_asignatcurso.txt",
               Framed("DRUV_ASIGNATCURSO.TXT", {Hours("ESO", "M", "2", "LEN", "3"),
                                                Hours("ESO", "M", "1", "MAT", c.hours),
                                                Hours("ESO", "M", "1", "MAT", "2")}));
    EXPECT_ERROR_TEXT(TraspasaAsignaturasGrupos(ctx()), U(c.error));
    EXPECT_EQ(TableBytes("ASIGT"), before);
  }
}

TEST_F(AssignmentsTest, MissingHoursFileKeepsTheRunStatusAndLeavesHoursEmpty) {
  WriteAssignments();
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoHours});
  EXPECT_EQ(estado_, 1);
  EXPECT_EQ(Rows("ASIGT", {"CASIG", "TURNO", "SESIONES"}),
            (Table{{"MAT", "M", ""}, {"MATBIL", "M", ""}, {"LEN", "M", ""}, {"FISING", "", ""},
                   {"MAT", "M", ""}, {"MAT", "M", ""}}));
  EXPECT_EQ(Numbers("ASIGT", "HORAS"), std::vector<double>(6, 0.0));
}

TEST_F(AssignmentsTest, MissingAssignmentsFileLeavesTheOldTable) {
  WriteAssignments();
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  TraspasaAsignaturasGrupos(ctx());
  const std::string before = TableBytes("ASIGT");
  std::filesystem::remove(ToPath(input_folder_) / "druv_asignatgrupo.txt");
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoAssignments});
  EXPECT_EQ(estado_, -1);
  EXPECT_EQ(TableBytes("ASIGT"), before);
}

TEST_F(AssignmentsTest, HeaderAndTrailerOnlyGiveAnEmptyTable) {
  WriteInput("druv_asignatgrupo.txt", Framed("DRUV_ASIGNATGRUPO.TXT", {}));
  WriteInput("druv_asignatcurso.txt",
             Framed("DRUV_ASIGNATCURSO.TXT", {Hours("a", "b", "c", "d", "x")}));
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_TRUE(TableExists("ASIGT"));
  EXPECT_TRUE(Asigt().empty());
}

TEST_F(AssignmentsTest, SubjectsTableWithoutCodDruvFailsAtTheFirstRecord) {
  WriteAssignments();
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  TraspasaAsignaturasGrupos(ctx());
  const std::string before = TableBytes("ASIGT");
  {
    tpd::Table asignomt(table_folder_, u"ASIGNOMT.DBF");
    DeleteTableFiles(table_folder_, u"ASIGNOMT");
    asignomt.Create({{u"COD", FieldKind::kText, 10},
                     {u"CODIDIDRUV", FieldKind::kText, 10}});
    asignomt.Open(Share::kShared, Access::kReadWrite);
    asignomt.Append();
    asignomt.SetText(u"COD", u"MAT");
    asignomt.Post();
    asignomt.Close();
  }
  EXPECT_ERROR_TEXT(TraspasaAsignaturasGrupos(ctx()), u"wwTableNomAsg: Field 'CODDRUV' not found");
  EXPECT_EQ(TableBytes("ASIGT"), before);
}

// A line read line by line may hold a NUL, and so may a text field inside its value: subject
// "A\0C" with suffix "B" and subject "A" with suffix "C\0B" are two different assignments, and
// only the first names the ASIGNOMT row.
TEST_F(AssignmentsTest, SubjectAndSuffixAreToldApartWhateverTheyHold) {
  using namespace std::string_view_literals;
  {
    tpd::Table asignomt(table_folder_, u"ASIGNOMT.DBF");
    DeleteTableFiles(table_folder_, u"ASIGNOMT");
    asignomt.Create({{u"COD", FieldKind::kText, 10},
                     {u"CODDRUV", FieldKind::kText, 20},
                     {u"CODIDIDRUV", FieldKind::kText, 10}});
    asignomt.Open(Share::kShared, Access::kReadWrite);
    asignomt.Append();
    asignomt.SetText(u"COD", u"AC");
    asignomt.SetText(u"CODDRUV", u"A\0C"sv);
    asignomt.SetText(u"CODIDIDRUV", u"B");
    asignomt.Post();
    asignomt.Close();
  }
  WriteInput("druv_asignatgrupo.txt",
             Framed("DRUV_ASIGNATGRUPO.TXT", {Assignment("1ESOA", "A\0C"sv, "B"),
                                              Assignment("1ESOA", "A", "C\0B"sv)}));
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(Rows("ASIGT", {"CASIG"}), (Table{{"AC"}}));
}

TEST_F(AssignmentsTest, MissingSubjectsTableFailsWithTheOldTableKept) {
  WriteAssignments();
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  TraspasaAsignaturasGrupos(ctx());
  const std::string before = TableBytes("ASIGT");
  std::filesystem::remove(ToPath(table_folder_) / "ASIGNOMT.DBF");
  EXPECT_THROW(TraspasaAsignaturasGrupos(ctx()), Error);
  EXPECT_EQ(TableBytes("ASIGT"), before);
  // Nothing stays locked: the step runs again at once.
  TraspasaAsignaturas(ctx());
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(Rows("ASIGT", {"CASIG"}).size(), 6u);
}

TEST_F(AssignmentsTest, GroupsTableWithoutAFieldFailsOnlyWhenARowNeedsIt) {
  WriteInput("druv_asignatgrupo.txt",
             Framed("DRUV_ASIGNATGRUPO.TXT", {Assignment("1ESOA", "MAT")}));
  WriteInput("druv_asignatcurso.txt", Framed("DRUV_ASIGNATCURSO.TXT", {}));
  WriteGroupsWithoutGrupo(table_folder_, u"OTRO");  // no row for the assignment's group
  TraspasaAsignaturasGrupos(ctx());
  EXPECT_EQ(Rows("ASIGT", {"CGRUP", "TURNO"}), (Table{{"1ESOA", ""}}));

  WriteGroupsWithoutGrupo(table_folder_, u"1ESOA");
  EXPECT_ERROR_TEXT(TraspasaAsignaturasGrupos(ctx()), u"Field 'GRUPO' not found");
}

// The step's errors come in the order of its parts: every assignment is added before any row gets
// its group data, and every row gets its group data before any row gets its hours.
TEST_F(AssignmentsTest, ErrorsComeAssignmentsFirstThenGroupDataThenHours) {
  // A GRUPOST without GRUPO: the first row whose group it has fails.
  WriteGroupsWithoutGrupo(table_folder_, u"2ESOB");
  // The first row has no group data and hours that do not read; the second fails on its group.
  WriteInput("druv_asignatgrupo.txt",
             Framed("DRUV_ASIGNATGRUPO.TXT",
                    {Assignment("9XXX", "MAT"), Assignment("2ESOB", "LEN")}));
  WriteInput("druv_asignatcurso.txt",
             Framed("DRUV_ASIGNATCURSO.TXT", {Hours("", "", "", "MAT", "dos")}));
  EXPECT_ERROR_TEXT(TraspasaAsignaturasGrupos(ctx()), u"Field 'GRUPO' not found");

  // An ASIGNOMT whose second row's COD does not read: the second assignment fails, after the
  // first one's group data failed.
  {
    tpd::Table subjects(table_folder_, u"ASIGNOMT.DBF");
    DeleteTableFiles(table_folder_, u"ASIGNOMT");
    subjects.Create({{u"COD", FieldKind::kNumber},
                     {u"CODDRUV", FieldKind::kText, 20},
                     {u"CODIDIDRUV", FieldKind::kText, 10}});
    subjects.Open(Share::kShared, Access::kReadWrite);
    for (const char16_t* code : {u"MAT", u"LEN"}) {
      subjects.Append();
      subjects.SetNumber(u"COD", 7);
      subjects.SetText(u"CODDRUV", code);
      subjects.Post();
    }
    subjects.Close();
  }
  const std::filesystem::path asignomt = ToPath(table_folder_) / "ASIGNOMT.DBF";
  std::string bytes = ReadBytes(asignomt);
  const auto u16 = [&](std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  const std::size_t second_cod = u16(8) + u16(10) + 1;  // after the header and one record
  bytes.replace(second_cod, 3, "x?z");
  WriteBytes(asignomt, bytes);
  WriteInput("druv_asignatgrupo.txt",
             Framed("DRUV_ASIGNATGRUPO.TXT",
                    {Assignment("2ESOB", "MAT"), Assignment("1ESOA", "LEN")}));
  try {
    TraspasaAsignaturasGrupos(ctx());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(S(e.text()).find("Cannot read field 'COD' of row 2"), std::string::npos) << S(e.text());
  }
}

}  // namespace
}  // namespace tpd::test
