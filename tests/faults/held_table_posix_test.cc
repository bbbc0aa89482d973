// A table of the run held by another program (the timetabler) for its own use: the run stops at
// that table saying it is in use, and leaves it exactly as it was.
#include "tables/table.h"
#include "tests/faults/fault_fixture.h"
#include "tests/support/other_program_posix.h"

namespace tpd::test {
namespace {


TEST_F(OldTables, TableHeldByAnotherProgramIsNotTouched) {
  for (const std::string& name : kExportTables) {
    WriteOldTables();
    std::string error;
    {
      OtherProgram timetabler(tables_.u16string(), FromUtf8(name), Share::kExclusive);
      ASSERT_TRUE(timetabler.held()) << name;
      error = ExportInto(input_, tables_.u16string());
    }
    EXPECT_EQ(error, "Table is in use by another program.\nTable: " + ToUtf8(TablePath(name)))
        << name;
    EXPECT_EQ(ReadBytes(TablePath(name)), old_.at(name + ".DBF")) << name;
    ExpectOldOrComplete("held " + name);
  }
}

}  // namespace
}  // namespace tpd::test
