// Steps 2 to 4: teachers, rooms and groups, each one row per kept data record.
#include "tests/export/export_fixture.h"

namespace tpd::test {
namespace {

using Table = std::vector<std::vector<std::string>>;

// ---- Teachers: code (2-5), name (6-95), department (96-145).

std::u16string Teacher(std::string_view code, std::string_view name, std::string_view department) {
  return Rec("1", {{2, code}, {6, name}, {96, department}});
}

TEST_F(ExportTest, TeachersFirstRecordOfACodeWinsIgnoringCase) {
  const std::string name90(90, 'n');
  const std::string dep50(50, 'd');
  WriteInput("druv_prof.txt",
             Framed("DRUV_PROF.TXT", {
                                         Teacher("MAT1", "DOCENTE UNO", "MATEMATICAS"),
                                         Teacher("mat1", "DOCENTE DOS", "MATEMATICAS"),
                                         Teacher("LEN2", "DOCENTE TRES", "LENGUA"),
                                         Teacher("", "SIN CÓDIGO", "X"),
                                         Teacher("", "OTRO SIN CÓDIGO", "Y"),  // duplicate of ""
                                         Teacher("a b", name90, dep50),
                                         Rec("1", {{2, "CORT"}, {6, "  Iñigo  Peña  "}}),
                                         Rec("1", {{2, "XY"}}),
                                         Rec("1", {{2, "DRUV_PROF.TXT"}}),  // the record name
                                     }));
  TraspasaProfesores(ctx());
  const Table expected = {
      {"MAT1", "DOCENTE UNO", "MATEMATICAS", ""},
      {"LEN2", "DOCENTE TRES", "LENGUA", ""},
      {"", "SIN CÓDIGO", "X", ""},
      {"a b", name90.substr(0, 80), dep50.substr(0, 40), ""},
      {"CORT", "Iñigo  Peña", "", ""},
      {"XY", "", "", ""},
  };
  EXPECT_EQ(Rows("PROFT", {"ABREV", "NOMBRE", "DEPART", "EMAIL"}), expected);
  EXPECT_EQ(Numbers("PROFT", "DNI"), std::vector<double>(expected.size(), 0.0));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

// ---- Rooms: code (2-11), name (12-81), second part (82-181).

std::u16string Room(std::string_view code, std::string_view name, std::string_view second) {
  return Rec("1", {{2, code}, {12, name}, {82, second}});
}

TEST_F(ExportTest, RoomsJoinTheirNameWithOneBlank) {
  const std::string name70(70, 'a');
  WriteInput("druv_aulas.txt",
             Framed("DRUV_AULAS.TXT", {
                                          Room("A12", "AULA DE MUSICA", "PLANTA BAJA"),
                                          Room("A12", "AULA DE MUSICA", ""),  // duplicates stay
                                          Room("", "", "ANEXO"),
                                          Room("L1", name70, "12345678901234567890"),
                                          Room("T", " Taller  de  tecnología ", " Sótano "),
                                          Rec("1", {{2, "CORTA"}, {12, "Aula corta"}}),
                                      }));
  TraspasaAulas(ctx());
  const Table expected = {
      {"A12", "AULA DE MUSICA PLANTA BAJA"},
      {"A12", "AULA DE MUSICA"},  // the blank at the end does not read back
      {"", " ANEXO"},             // the leading blank does
      {"L1", name70 + " 123456789"},
      {"T", "Taller  de  tecnología Sótano"},
      {"CORTA", "Aula corta"},
  };
  EXPECT_EQ(Rows("AULAT", {"ABREV", "NOMBRE"}), expected);
  EXPECT_EQ(Rows("AULAT", {"EDIFICIO"}), Table(expected.size(), {""}));
  EXPECT_EQ(Numbers("AULAT", "MAXALUM"), std::vector<double>(expected.size(), 0.0));
}

// ---- Groups: code (2-11), level (15-17), course (21-23), bracketed text (24-33), shift (33-35).

TEST_F(ExportTest, GroupsComposeTheirDescription) {
  WriteInput(
      "druv_grupo.txt",
      Framed("DRUV_GRUPOS.TXT",
             {
                 Rec("1", {{2, "1ESOA"}, {15, "ESO"}, {21, "1"}, {24, "1 ESO A"}, {34, "M"}}),
                 Rec("1", {{2, "1ESOB"}, {21, "1"}, {24, "1 ESO B"}, {34, "M"}}),  // blank level
                 // column 33 ends the bracketed text and begins the shift
                 Rec("1", {{2, "2BACH"}, {15, "BAC"}, {21, "2"}, {24, "Bachiller"}, {33, "TV"}}),
                 Rec("1", {{2, "3ESO2"}, {15, "ESO"}, {24, "3º ESO"}}),  // blank shift and course
                 Rec("1", {{2, "1ESOA"}, {15, "ESO"}, {21, "1"}, {34, "T"}}),
                 Rec("1", {{24, "Sin grupo"}}),
                 Rec("1", {{2, "DRUV_GRUPO.TXT"}}),  // the singular name is a data record
                 Rec("1", {{2, "DRUV_GRUPOS.TXT"}}),  // the plural one is the record name
             }));
  TraspasaGrupos(ctx());
  const Table expected = {
      {"1ESOA", "M", "ESO", "1", "A", "0", "1ESOA", "(1 ESO A) M ESO 1 A"},
      {"1ESOB", "M", "NIV", "1", "B", "0", "1ESOB", "(1 ESO B) M NIV 1 B"},
      {"2BACH", "T", "BAC", "2", "H", "0", "2BACH", "(BachillerT) TV BAC 2 H"},
      {"3ESO2", "", "ESO", "", "2", "0", "3ESO2", "(3º ESO)  ESO  2"},
      {"1ESOA", "T", "ESO", "1", "A", "0", "1ESOA", "() T ESO 1 A"},
      {"", "", "NIV", "", "", "0", "", "(Sin grupo)  NIV"},  // blanks at the end do not read back
      {"DRUV_GRUPO", "", "T", "", "O", "0", "DRUV_GRUPO", "()  T  O"},
  };
  EXPECT_EQ(Rows("GRUPOST",
                 {"ABREV", "TURNO", "NIVEL", "CURSO", "GRUPO", "MARCO", "UNIDAD", "DESCRIP"}),
            expected);
}

// ---- What the three share: the missing file and the empty file.

struct CatalogStep {
  const char* file;
  const char* record_name;
  const char* table;
  const char* message;
  void (*step)(ExportContext&);
};

const CatalogStep kCatalogSteps[] = {
    {"druv_prof.txt", "DRUV_PROF.TXT", "PROFT", kNoTeachers, TraspasaProfesores},
    {"druv_aulas.txt", "DRUV_AULAS.TXT", "AULAT", kNoRooms, TraspasaAulas},
    {"druv_grupo.txt", "DRUV_GRUPOS.TXT", "GRUPOST", kNoGroups, TraspasaGrupos},
};

TEST_F(ExportTest, CatalogStepsRebuildFromHeaderAndTrailerAlone) {
  for (const auto& s : kCatalogSteps) {
    SCOPED_TRACE(s.table);
    WriteInput(s.file, Framed(s.record_name, {Rec("1", {{2, "X1"}})}));
    s.step(ctx());
    ASSERT_EQ(Rows(s.table, {"ABREV"}).size(), 1u);
    WriteInput(s.file, Framed(s.record_name, {}));
    s.step(ctx());
    EXPECT_TRUE(Rows(s.table, {"ABREV"}).empty());
  }
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(estado_, 1);
}

TEST_F(ExportTest, CatalogStepsReportAMissingFileAndKeepTheOldTable) {
  for (const auto& s : kCatalogSteps) {
    SCOPED_TRACE(s.table);
    WriteInput(s.file, Framed(s.record_name, {Rec("1", {{2, "X1"}})}));
    s.step(ctx());
    const std::string before = TableBytes(s.table);
    std::filesystem::remove(ToPath(input_folder_) / s.file);
    ui_.messages.clear();
    estado_ = 1;
    s.step(ctx());
    EXPECT_EQ(ui_.messages, std::vector<std::string>{s.message});
    EXPECT_EQ(estado_, -1);
    EXPECT_EQ(TableBytes(s.table), before);
  }
}

}  // namespace
}  // namespace tpd::test
