// Awkward folders in the runs themselves: blanks, accented letters, more than 260 characters
// (the long-path form on Windows), and characters that a pattern would read.
#include "tests/faults/fault_fixture.h"
#include "timetable/import_run.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

TEST(AwkwardFolders, LongAccentedFolderWithBlanks) {
  TempDir dir;
  const auto plain = dir.path() / "plain", plain_tables = dir.path() / "plain_ptemp";
  CopySampleSchool(plain);
  std::filesystem::create_directories(plain_tables);
  ASSERT_EQ(ExportInto(plain, plain_tables.u16string()), "");

  std::filesystem::path folder = dir.path() / U8("Datos del Centro/Año 2024 - Señora Núñez");
  while (folder.u16string().size() <= 300) {
    folder /= U8("Carpeta con espacios y acentos áéíóú");
  }
  const std::filesystem::path tables = folder / "PTEMP con espacio";
  CopySampleSchool(Reachable(folder));
  std::filesystem::create_directories(Reachable(tables));
  ASSERT_GT(tables.u16string().size(), 260u);

  EXPECT_EQ(ExportInto(folder, tables.u16string()), "");
  EXPECT_EQ(TakeSnapshot(tables), TakeSnapshot(plain_tables));
  // And again over the tables now there, then the import beside them.
  EXPECT_EQ(ExportInto(folder, tables.u16string()), "");
  std::filesystem::copy_file(SourceDir() / "examples/escuela/ptemp/SOLUC.DBF",
                             Reachable(tables / "SOLUC.DBF"));
  const Clock clock = [] { return LocalDateTime{2024, 9, 2, 8, 0}; };
  ImportTimetable(ImportContext{folder.u16string() + std::u16string(PathSeparator()),
                                tables.u16string(), clock});
  EXPECT_TRUE(FileExists((folder / "DRUV_HORARIO.TXT").u16string()));
}

// Folder names are never read as patterns: they reach the messages exactly as given.
TEST(AwkwardFolders, PatternCharactersInFolderNamesAreShownAsTheyAre) {
  TempDir dir;
  const auto input = dir.path() / "%s%n%d%x %1 {0}";
  CopySampleSchool(input);
  const auto missing = input / "%s%s%s%n";
  EXPECT_EQ(ExportInto(input, missing.u16string()),
            "Folder does not exist.\nFolder: " + ToUtf8(missing.u16string()));
  const auto tables = input / "%%s";
  std::filesystem::create_directories(tables);
  EXPECT_EQ(ExportInto(input, tables.u16string()), "");
  EXPECT_EQ(TakeSnapshot(tables).size(), kExportTables.size());
}

}  // namespace
}  // namespace tpd::test
