// The table folder failing under a run: missing, refusing new files or full (a table held by
// another program: held_table_posix_test.cc). The run stops with an error naming what failed;
// every table is then either exactly what was there before the run or the complete table a clean
// run builds, and no temporary file is left behind.
#include "tests/faults/fault_fixture.h"

namespace tpd::test {
namespace {

TEST_F(OldTables, MissingFolderStopsTheRunAtItsFirstTable) {
  const std::filesystem::path missing = dir_.path() / "no such folder";
  EXPECT_EQ(ExportInto(input_, missing.u16string()),
            "Folder does not exist.\nFolder: " + ToUtf8(missing.u16string()));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

// Linux's /proc takes no new file, not even from root.
TEST_F(OldTables, FolderThatTakesNoNewFileNamesTheTable) {
#ifdef _WIN32
  GTEST_SKIP() << "no /proc here";
#endif
  if (!std::filesystem::is_directory("/proc/self")) GTEST_SKIP() << "no /proc here";
  const std::string error = ExportInto(input_, u"/proc/self");
  EXPECT_EQ(error.rfind("Cannot create the table: ", 0), 0u) << error;
  EXPECT_TRUE(error.ends_with("\nTable: /proc/self/ASIGNOMT.DBF")) << error;
}

// The disk fills at every stage of the run: before anything, inside each table, between tables.
TEST_F(OldTables, FullDiskLeavesEveryTableOldOrComplete) {
  std::vector<long long> limits = {0, 1, 100};
  long long written = 0;
  for (const std::string& name : kExportTables) {
    const long long size = static_cast<long long>(complete_.at(name + ".DBF").size());
    limits.push_back(written + size / 2);
    limits.push_back(written + size - 1);
    written += size;
  }
  for (long long limit : limits) {
    WriteOldTables();
    DiskSpace space{static_cast<std::uint64_t>(limit)};
    const std::string error = ExportInto(input_, tables_.u16string(), &space);
    const std::string context = "limit " + std::to_string(limit);
    ASSERT_FALSE(error.empty()) << context;
    // The error names the table being written, and that table is still the old one.
    const std::size_t at = error.rfind("\nTable: ");
    ASSERT_NE(at, std::string::npos) << context << ": " << error;
    const std::filesystem::path failed = FromUtf8(error.substr(at + 8));
    EXPECT_EQ(failed.parent_path(), tables_) << context << ": " << error;
    EXPECT_EQ(ReadBytes(failed), old_.at(failed.filename().string())) << context;
    ExpectOldOrComplete(context);
  }
  // With room again the same run completes.
  WriteOldTables();
  EXPECT_EQ(ExportInto(input_, tables_.u16string()), "");
  EXPECT_EQ(TakeSnapshot(tables_), complete_);
}

}  // namespace
}  // namespace tpd::test
