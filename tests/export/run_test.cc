// The run as a whole: the order of the steps, the run status, and what a failed step leaves.
#include "tests/export/export_fixture.h"

namespace tpd::test {
namespace {

using Table = std::vector<std::vector<std::string>>;

constexpr const char* kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

class RunTest : public ExportTest {
 protected:
  // A small complete school.
  void WriteSchool() {
    WriteInput("druv_asignat.txt",
               Framed("DRUV_ASIGNAT.TXT", {Rec("1", {{2, "MAT"}, {22, "Matemáticas"}})}));
    WriteInput("druv_prof.txt", Framed("DRUV_PROF.TXT", {Rec("1", {{2, "P01"}, {6, "Ana"}})}));
    WriteInput("druv_aulas.txt", Framed("DRUV_AULAS.TXT", {Rec("1", {{2, "A1"}, {12, "Aula"}})}));
    WriteInput(
        "druv_grupo.txt",
        Framed("DRUV_GRUPOS.TXT", {Rec("1", {{2, "1A"}, {15, "ESO"}, {21, "1"}, {34, "M"}})}));
    WriteInput("druv_asignatgrupo.txt",
               Framed("DRUV_ASIGNATGRUPO.TXT", {Rec("1", {{2, "1A"}, {12, "MAT"}})}));
    WriteInput("druv_asignatcurso.txt",
               Framed("DRUV_ASIGNATCURSO.TXT",
                      {Rec("1", {{2, "ESO"}, {5, "M"}, {8, "1"}, {24, "MAT"}, {44, "4"}})}));
    WriteInput("druv_sesiones.txt",
               Framed("DRUV_SESIONES.TXT", {Rec("1", {{5, "0001"}, {9, "L"}, {10, "08000900"}})}));
  }
  std::vector<std::string> AllTableBytes() {
    std::vector<std::string> bytes;
    for (const char* t : kTables) bytes.push_back(TableBytes(t));
    return bytes;
  }
};

TEST_F(RunTest, CompleteSchoolSetsTheStatusToOne) {
  WriteSchool();
  estado_ = 0;
  ExportSteps(ctx());
  EXPECT_EQ(estado_, 1);
  EXPECT_TRUE(ui_.messages.empty());
  for (const char* t : kTables) EXPECT_EQ(Rows(t, {}).size(), 1u) << t;
  EXPECT_EQ(Rows("ASIGT", {"CASIG", "TURNO", "SESIONES"}), (Table{{"MAT", "M", "1111"}}));
}

TEST_F(RunTest, EmptyFolderShowsTheSixMessagesInStepOrder) {
  ExportSteps(ctx());
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{kNoSubjects, kNoTeachers, kNoRooms, kNoGroups,
                                                    kNoAssignments, kNoSessions}));
  EXPECT_EQ(estado_, -1);
  for (const char* t : kTables) EXPECT_FALSE(TableExists(t)) << t;
}

TEST_F(RunTest, OnlyTeachersRebuildsOnlyTeachers) {
  WriteInput("druv_prof.txt", Framed("DRUV_PROF.TXT", {Rec("1", {{2, "P01"}})}));
  ExportSteps(ctx());
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{kNoSubjects, kNoRooms, kNoGroups,
                                                    kNoAssignments, kNoSessions}));
  EXPECT_EQ(estado_, -1);
  for (const char* t : kTables) EXPECT_EQ(TableExists(t), std::string(t) == "PROFT") << t;
}

TEST_F(RunTest, MissingHoursFileAloneKeepsStatusOne) {
  WriteSchool();
  std::filesystem::remove(ToPath(input_folder_) / "druv_asignatcurso.txt");
  ExportSteps(ctx());
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoHours});
  EXPECT_EQ(estado_, 1);
  EXPECT_EQ(Numbers("ASIGT", "HORAS"), std::vector<double>{0});
}

TEST_F(RunTest, AFailedStepEndsTheRunAndKeepsItsOldTable) {
  WriteSchool();
  ExportSteps(ctx());
  const std::vector<std::string> before = AllTableBytes();

  // A new teacher, then hours that do not convert: steps 1 to 4 finish, step 5 fails, step 6
  // does not run.
  WriteInput("druv_prof.txt",
             Framed("DRUV_PROF.TXT", {Rec("1", {{2, "P01"}}), Rec("1", {{2, "P02"}})}));
  WriteInput("druv_asignatcurso.txt",
             Framed("DRUV_ASIGNATCURSO.TXT",
                    {Rec("1", {{2, "ESO"}, {5, "M"}, {8, "1"}, {24, "MAT"}, {44, "cuatro"}})}));
  WriteInput("druv_sesiones.txt",
             Framed("DRUV_SESIONES.TXT", {Rec("1", {{5, "0009"}, {9, "M"}, {10, "09001000"}})}));
  EXPECT_ERROR_TEXT(ExportSteps(ctx()), u"'cuatro' is not a valid floating point value");
  EXPECT_EQ(Rows("PROFT", {"ABREV"}), (Table{{"P01"}, {"P02"}}));
  const std::vector<std::string> after = AllTableBytes();
  EXPECT_EQ(after[4], before[4]) << "ASIGT";
  EXPECT_EQ(after[5], before[5]) << "DIASHORAST";
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RunTest, WithoutSubjectsTableTheAssignmentsStepFails) {
  WriteSchool();
  std::filesystem::remove(ToPath(input_folder_) / "druv_asignat.txt");
  EXPECT_THROW(ExportSteps(ctx()), Error);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kNoSubjects});
  EXPECT_EQ(estado_, -1);
  EXPECT_FALSE(TableExists("ASIGT"));
  EXPECT_FALSE(TableExists("DIASHORAST"));
}

}  // namespace
}  // namespace tpd::test
