// Awkward folders for both runs: blanks, accented letters and more than 260 characters, given to
// the console program with and without trailing separators. Each run builds the same tables and
// timetable file as in a plain folder.
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "tests/faults/fault_fixture.h"

namespace tpd::test {
namespace {

int RunConsole(const std::vector<std::string>& args) {
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    std::vector<char*> argv = {const_cast<char*>(TPD_CONSOLE_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TPD_CONSOLE_PROGRAM, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// DRUV_HORARIO.TXT without its header and trailer, which carry the date and time of the run.
std::string TimetableRecords(const std::filesystem::path& folder) {
  std::string text = ReadBytes(folder / "DRUV_HORARIO.TXT");
  const std::size_t first = text.find("\r\n") + 2;
  const std::size_t last = text.rfind("\r\n", text.size() - 3);
  return text.substr(first, last - first);
}

// The sample school's transfer files in `folder` and its solved timetable in `tables`.
void PlaceSampleSchool(const std::filesystem::path& folder, const std::filesystem::path& tables) {
  CopySampleSchool(folder);
  std::filesystem::create_directories(tables);
  std::filesystem::copy_file(SourceDir() / "examples/escuela/ptemp/SOLUC.DBF",
                             tables / "SOLUC.DBF");
}

// The sample school exported and imported in plain folders, for comparison.
void PlainRun(const std::filesystem::path& plain, const std::filesystem::path& plain_tables) {
  PlaceSampleSchool(plain, plain_tables);
  ASSERT_EQ(RunConsole({"exportar", "--carpeta", plain.string(), "--ptemp",
                        plain_tables.string()}), 0);
  ASSERT_EQ(RunConsole({"importar", "--carpeta", plain.string(), "--ptemp",
                        plain_tables.string()}), 0);
}

TEST(AwkwardFolders, BothRunsWorkInThemWithOrWithoutTrailingSeparators) {
  TempDir dir;
  const auto plain = dir.path() / "plain", plain_tables = dir.path() / "plain_ptemp";
  ASSERT_NO_FATAL_FAILURE(PlainRun(plain, plain_tables));
  const Snapshot tables_wanted = TakeSnapshot(plain_tables);
  const std::string timetable_wanted = TimetableRecords(plain);

  std::filesystem::path awkward = dir.path() / U8("Datos del Centro/Año 2024 - Señora Núñez");
  while (awkward.string().size() <= 300) awkward /= U8("Carpeta con espacios y acentos áéíóú");
  const std::filesystem::path awkward_tables = awkward / "PTEMP con espacio";
  CopySampleSchool(awkward);
  std::filesystem::create_directories(awkward_tables);
  ASSERT_GT(awkward_tables.string().size(), 260u);

  for (const std::string trailing : {"", "/", "//"}) {
    std::filesystem::remove(awkward / "DRUV_HORARIO.TXT");
    std::filesystem::copy_file(SourceDir() / "examples/escuela/ptemp/SOLUC.DBF",
                               awkward_tables / "SOLUC.DBF",
                               std::filesystem::copy_options::overwrite_existing);
    const std::string carpeta = awkward.string() + trailing;
    const std::string ptemp = awkward_tables.string() + trailing;
    EXPECT_EQ(RunConsole({"exportar", "--carpeta", carpeta, "--ptemp", ptemp}), 0) << trailing;
    EXPECT_EQ(RunConsole({"importar", "--carpeta", carpeta, "--ptemp", ptemp}), 0) << trailing;
    EXPECT_EQ(TakeSnapshot(awkward_tables), tables_wanted) << trailing;
    EXPECT_EQ(TimetableRecords(awkward), timetable_wanted) << trailing;
  }
}

// A folder typed in another letter case than it has on disk, as it would be on Windows, is the
// folder the runs read from and write into: the same tables and timetable file as under its own
// name, and no second folder made.
TEST(AwkwardFolders, FoldersTypedInAnotherCaseAreUsedUnderTheirOwnNames) {
  TempDir dir;
  const auto plain = dir.path() / "plain", plain_tables = dir.path() / "plain_ptemp";
  ASSERT_NO_FATAL_FAILURE(PlainRun(plain, plain_tables));

  const auto druv = dir.path() / "escuela" / "druv", tables = dir.path() / "escuela" / "ptemp";
  PlaceSampleSchool(druv, tables);
  const std::string carpeta = (dir.path() / "Escuela" / "Druv").string();
  const std::string ptemp = (dir.path() / "ESCUELA" / "PTEMP").string();
  EXPECT_EQ(RunConsole({"exportar", "--carpeta", carpeta, "--ptemp", ptemp}), 0);
  EXPECT_EQ(RunConsole({"importar", "--carpeta", carpeta, "--ptemp", ptemp}), 0);
  EXPECT_EQ(TakeSnapshot(tables), TakeSnapshot(plain_tables));
  EXPECT_EQ(TimetableRecords(druv), TimetableRecords(plain));
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"escuela", "plain", "plain_ptemp"}));
}

}  // namespace
}  // namespace tpd::test
