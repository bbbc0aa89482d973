// The sample school of examples/escuela exported whole: every table's row count and the rows that
// show its particular cases.
#include <algorithm>

#include "tests/export/export_fixture.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// The rows whose column `column` holds `value`.
Table Where(const Table& rows, size_t column, const std::string& value) {
  Table found;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(found),
               [&](const Row& r) { return r.at(column) == value; });
  return found;
}

class EscuelaTest : public ExportTest {
 protected:
  void SetUp() override {
    ctx_.dirTxt =
        (SourceDir() / "examples" / "escuela").u16string() + std::u16string(PathSeparator());
    estado_ = 0;
    ExportSteps(ctx());
  }
};

TEST_F(EscuelaTest, EveryTableIsRebuiltWhole) {
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
  const struct {
    const char* table;
    size_t rows;
  } counts[] = {{"ASIGNOMT", 46}, {"PROFT", 36},  {"AULAT", 30},
                {"GRUPOST", 24},  {"ASIGT", 211}, {"DIASHORAST", 30}};
  for (const auto& c : counts) EXPECT_EQ(Rows(c.table, {}).size(), c.rows) << c.table;
}

TEST_F(EscuelaTest, SubjectsAndActivities) {
  const Table rows =
      Rows("ASIGNOMT", {"COD", "CODLARGO", "ESTAREA", "CODTAREA", "CODDRUV", "CODIDIDRUV"});
  const Table expected = {
      {"INGBIL", "PLEI(b", "False", "", "ING", "BIL"},
      {"REL1", "RE", "False", "", "REL", ""},
      {"MATEMATICA", "MI", "False", "", "MATEMATICASI", ""},
      {"MATEMATIC1", "MI", "False", "", "MATEMATICASII", ""},
      {"MATEMACCSS", "MAalCSI", "False", "", "MATEMATICASI", "CCSS"},
      {"MATEMACCS1", "MAalCSI", "False", "", "MATEMATICASII", "CCSS"},
      {"DIBUJOTEC1", "DTI", "False", "", "DIBUJOTECNICOII", ""},
      {"EFBACHBACH", "EF", "False", "", "EFBACH", "BACH"},
      {"*GUAR", "Guardia", "True", "GUA", "", ""},
      {"*TUTO", "Tutoría co", "True", "TUT", "", ""},
  };
  for (const Row& row : expected) EXPECT_EQ(Where(rows, 0, row[0]), Table{row});
  EXPECT_EQ(Where(rows, 2, "True").size(), 7u);
}

TEST_F(EscuelaTest, TeachersRoomsAndGroups) {
  const Table teachers = Rows("PROFT", {"ABREV", "NOMBRE", "DEPART"});
  EXPECT_EQ(Where(teachers, 0, "P010"),
            (Table{{"P010", "Jiménez Lozano, Pilar", "Francés"}}));  // the first record wins
  EXPECT_EQ(Where(teachers, 0, "p001"), Table{});
  EXPECT_EQ(teachers.back(), (Row{"P036", "Ocaña Ferrándiz, Luis", "Física y Química"}));

  const Table rooms = Rows("AULAT", {"ABREV", "NOMBRE"});
  EXPECT_EQ(rooms.front(), (Row{"A101", "Aula 101 Primera planta"}));
  EXPECT_EQ(Where(rooms, 0, "DESDOB1"), (Table{{"DESDOB1", " Aula de desdoble"}}));
  EXPECT_EQ(Where(rooms, 0, "PISTA"), (Table{{"PISTA", "Pista polideportiva"}}));

  const Table groups = Rows("GRUPOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "GRUPO", "DESCRIP"});
  EXPECT_EQ(groups.front(), (Row{"1ESOA", "M", "ESO", "1", "A", "(1º ESO A) M ESO 1 A"}));
  EXPECT_EQ(Where(groups, 0, "2FPBA"),
            (Table{{"2FPBA", "M", "FPB", "2", "A", "(2º FPB A M) MT FPB 2 A"}}));
  EXPECT_EQ(Where(groups, 0, "ENLACE"),
            (Table{{"ENLACE", "M", "NIV", "", "E", "(Enlace) M NIV  E"}}));
}

TEST_F(EscuelaTest, AssignmentsWithTheirHours) {
  const Table rows = Rows("ASIGT", {"CGRUP", "CASIG", "TURNO", "NIVEL", "CURSO", "GRUPO",
                                    "SESIONES", "CASIGDRUV", "CODIDIDRUV", "HORAS"});
  const auto in_group = [&](const std::string& group, const std::string& subject) {
    Table found;
    for (const Row& r : Where(rows, 0, group)) {
      if (r[1] == subject) found.push_back(r);
    }
    return found;
  };
  const std::string ones13(13, '1');
  // a repeated assignment gives two identical rows; LCL's later hours record is not used
  EXPECT_EQ(in_group("1ESOA", "MAT"),
            Table(2, {"1ESOA", "MAT", "M", "ESO", "1", "A", "1111", "MAT", "", "4"}));
  EXPECT_EQ(in_group("1ESOA", "LCL"),
            (Table{{"1ESOA", "LCL", "M", "ESO", "1", "A", "1111", "LCL", "", "4"}}));
  // the second REL subject is never found: the first of equal DRUV keys is
  EXPECT_EQ(Where(rows, 1, "REL1"), Table{});
  EXPECT_EQ(in_group("2ESOB", "TECDIG"),
            (Table{{"2ESOB", "TECDIG", "M", "ESO", "2", "B", "11½", "TECDIG", "", "2.5"}}));
  EXPECT_EQ(in_group("3ESOA", "INGBIL"),
            (Table{{"3ESOA", "INGBIL", "M", "ESO", "3", "A", "1111½", "ING", "BIL", "4.5"}}));
  EXPECT_EQ(in_group("3ESOC", "INGBIL"), Table{});
  EXPECT_EQ(in_group("3ESOC", "ATEDUC"),  // blank hours
            (Table{{"3ESOC", "ATEDUC", "M", "ESO", "3", "C", "1", "ATEDUC", "", "1"}}));
  EXPECT_EQ(in_group("4ESOA", "MATACA").size(), 1u);
  EXPECT_EQ(in_group("4ESOA", "MATAPL").size(), 0u);
  EXPECT_EQ(
      in_group("2BACT", "MATEMACCS1"),
      (Table{{"2BACT", "MATEMACCS1", "T", "BAC", "2", "T", "1111", "MATEMATICASII", "CCSS", "4"}}));
  EXPECT_EQ(
      in_group("1FPBA", "MPINFO"),
      (Table{{"1FPBA", "MPINFO", "M", "FPB", "1", "A", "3" + ones13 + "½", "MPINFO", "", "16.5"}}));
  EXPECT_EQ(Where(rows, 0, "1FPBA").size(), 3u);  // TUTORIAFPB is no subject
  EXPECT_EQ(in_group("ENLACE", "ESPANOL"), (Table{{"ENLACE", "ESPANOL", "M", "NIV", "", "E",
                                                   std::string(12, '1'), "ESPANOL", "", "12"}}));
  EXPECT_EQ(Where(rows, 0, "3ESOZ"),  // no such group: no group data, default hours
            (Table{{"3ESOZ", "LCL", "", "", "", "", "1", "LCL", "", "1"}}));
}

TEST_F(EscuelaTest, SessionsNumberSixSlotsADay) {
  const Table rows = Rows("DIASHORAST", {"DIA", "HORA", "DIHO", "CODDIHO", "TEXTOHOR", "MINUTOS"});
  ASSERT_EQ(rows.size(), 30u);
  const char* const starts[] = {"08:30", "09:25", "10:20", "11:45", "12:40", "13:35"};
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string day = std::to_string(i / 6 + 1);
    const std::string slot = std::to_string(i % 6 + 1);
    EXPECT_EQ(rows[i][0], day);
    EXPECT_EQ(rows[i][1], slot);
    EXPECT_EQ(rows[i][2], day + slot);
    EXPECT_EQ(rows[i][3], (i < 9 ? "000" : "00") + std::to_string(i + 1));
    EXPECT_EQ(rows[i][4].substr(0, 7), slot + "-" + starts[i % 6]);
    EXPECT_EQ(rows[i][5], "55");
  }
}

}  // namespace
}  // namespace tpd::test
