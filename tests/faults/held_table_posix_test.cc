// A table of the run held by another program (the timetabler) for its own use: the run stops at
// that table saying it is in use, and leaves it exactly as it was.
#include <sys/wait.h>
#include <unistd.h>

#include "tables/table.h"
#include "tests/faults/fault_fixture.h"

namespace tpd::test {
namespace {

using tables::Access;
using tables::Share;
using tables::Table;

// The timetabler holds one of the tables for itself while the run goes.
class OtherProgram {
 public:
  OtherProgram(const std::u16string& folder, const std::u16string& table) {
    if (pipe(ready_) != 0 || pipe(go_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      char c = 0;
      try {
        Table t(folder, table);
        t.Open(Share::kExclusive, Access::kReadOnly);
        c = 1;
        (void)!write(ready_[1], &c, 1);
        (void)!read(go_[0], &c, 1);
      } catch (...) {
        (void)!write(ready_[1], &c, 1);
      }
      _exit(0);
    }
    char c = 0;
    held_ = read(ready_[0], &c, 1) == 1 && c == 1;
  }
  ~OtherProgram() {
    char c = 0;
    (void)!write(go_[1], &c, 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    for (int fd : {ready_[0], ready_[1], go_[0], go_[1]}) close(fd);
  }
  bool held() const { return held_; }

 private:
  int ready_[2], go_[2];
  pid_t pid_ = -1;
  bool held_ = false;
};

TEST_F(OldTables, TableHeldByAnotherProgramIsNotTouched) {
  for (const std::string& name : kExportTables) {
    WriteOldTables();
    std::string error;
    {
      OtherProgram timetabler(tables_.u16string(), FromUtf8(name));
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
