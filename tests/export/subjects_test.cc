// Step 1: subjects and activities into ASIGNOMT.
#include "tests/export/export_fixture.h"

namespace tpd::test {
namespace {

constexpr const char* kSubjects = "DRUV_ASIGNAT.TXT";
constexpr const char* kActivities = "DRUV_ACTIVIDADES.TXT";

// A subject record: DRUV code (2-21), name (22-171), suffix (172-177).
std::u16string Subject(std::string_view code, std::string_view name, std::string_view suffix = "") {
  return Rec("1", {{2, code}, {22, name}, {172, suffix}});
}
// An activity record: code (2-5), name (6-65), task (66-68).
std::u16string Activity(std::string_view code, std::string_view name, std::string_view task) {
  return Rec("1", {{2, code}, {6, name}, {66, task}});
}

using Table = std::vector<std::vector<std::string>>;

class SubjectsTest : public ExportTest {
 protected:
  Table Asignomt() {
    return Rows("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "ESTAREA", "CODTAREA", "CODDRUV",
                             "CODIDIDRUV"});
  }
};

TEST_F(SubjectsTest, SubjectsThenActivitiesUnderUniqueShortCodes) {
  const std::string long_name(90, 'x');
  WriteInput("druv_asignat.txt",
             Framed(kSubjects, {
                 Subject("LEN", "Lengua Castellana y Literatura"),
                 Subject("LEN", "Lengua Castellana y Literatura", "BIL"),
                 Subject("LEN", "Lengua Castellana", "BIL"),  // the same code: numbered
                 Subject("MATEMATICAS", "Matemáticas Aplicadas", "ING"),
                 Subject("MATEMATICAS", "Matemáticas Aplicadas", "ING"),
                 Subject("*TUT", "Tutoría"),
                 u"",  // an empty line: empty code, dropped
                 Subject("A", "a  b c d e f g h i j k l m"),
                 Subject("LAT", long_name + " Z"),
                 Subject("", "Sin código"),  // empty code: dropped
             }));
  WriteInput("DRUV_ACTIVIDADES.TXT",
             Framed(kActivities, {
                 Activity("GUAR", "Guardia de recreo", "GUA"),
                 Activity("GUAR", "Otra guardia", "GU2"),     // taken: dropped
                 Activity("TUT", "Tutoría de grupo", "TUT"),  // *TUT is a subject's code
                 u"",
                 u"",
             }));
  TraspasaAsignaturas(ctx());

  const Table expected = {
      {"LEN", "LCyL", "Lengua Castellana y Literatura", "False", "", "LEN", ""},
      {"LENBIL", "LCyL", "Lengua Castellana y Literatura", "False", "", "LEN", "BIL"},
      {"LENBIL1", "LC", "Lengua Castellana", "False", "", "LEN", "BIL"},
      {"MATEMATING", "MA", "Matemáticas Aplicadas", "False", "", "MATEMATICAS", "ING"},
      {"MATEMATIN1", "MA", "Matemáticas Aplicadas", "False", "", "MATEMATICAS", "ING"},
      {"*TUT", "T", "Tutoría", "False", "", "*TUT", ""},
      // thirteen words: the long code keeps 10; two blanks in a row give a blank
      {"A", "a bcdefghi", "a  b c d e f g h i j k l m", "False", "", "A", ""},
      // the name is cut to 80, the long code made from the whole name
      {"LAT", "xZ", long_name.substr(0, 80), "False", "", "LAT", ""},
      {"*GUAR", "Guardia de", "Guardia de recreo", "True", "GUA", "", ""},
      {"*", "", "", "True", "", "", ""},
  };
  EXPECT_EQ(Asignomt(), expected);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

TEST_F(SubjectsTest, WithoutActivitiesFileTheTableHoldsTheSubjectsAlone) {
  WriteInput("druv_asignat.txt", Framed(kSubjects, {Subject("FIS", "Física")}));
  TraspasaAsignaturas(ctx());
  EXPECT_EQ(Asignomt(), (Table{{"FIS", "F", "Física", "False", "", "FIS", ""}}));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

TEST_F(SubjectsTest, HeaderAndTrailerOnlyGiveAnEmptyTable) {
  WriteInput("druv_asignat.txt", Framed(kSubjects, {}));
  TraspasaAsignaturas(ctx());
  EXPECT_TRUE(TableExists("ASIGNOMT"));
  EXPECT_TRUE(Asignomt().empty());
}

TEST_F(SubjectsTest, MissingSubjectsFileLeavesTheOldTable) {
  WriteInput("druv_asignat.txt", Framed(kSubjects, {Subject("FIS", "Física")}));
  TraspasaAsignaturas(ctx());
  const std::string before = TableBytes("ASIGNOMT");
  std::filesystem::remove(ToPath(input_folder_) / "druv_asignat.txt");
  // The activities alone do not rebuild the table.
  WriteInput("DRUV_ACTIVIDADES.TXT", Framed(kActivities, {Activity("GUAR", "Guardia", "GUA")}));

  TraspasaAsignaturas(ctx());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoSubjects});
  EXPECT_EQ(estado_, -1);
  EXPECT_EQ(TableBytes("ASIGNOMT"), before);
}

TEST_F(SubjectsTest, FileNamesMatchWhateverTheirLetterCase) {
  WriteInput("DRUV_ASIGNAT.TXT", Framed(kSubjects, {Subject("QUI", "Química")}));
  WriteInput("druv_actividades.txt", Framed(kActivities, {Activity("REC", "Recreo", "REC")}));
  TraspasaAsignaturas(ctx());
  EXPECT_EQ(Rows("ASIGNOMT", {"COD"}), (Table{{"QUI"}, {"*REC"}}));
}

}  // namespace
}  // namespace tpd::test
