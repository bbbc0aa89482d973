// Exclusive opens against another process: the timetabler holding a table while we run.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/tables/table_fixtures.h"

namespace tpd::tables::test {
namespace {

// A child process opens the table with `share` and holds it until told to go.
class OtherProcess {
 public:
  OtherProcess(const std::u16string& folder, Share share) {
    if (pipe(ready_) != 0 || pipe(go_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      char c = 0;
      Table t(folder, u"SOLUC");
      try {
        t.Open(share, Access::kReadOnly);
        c = 1;
      } catch (...) {
      }
      (void)!write(ready_[1], &c, 1);
      (void)!read(go_[0], &c, 1);
      _exit(0);
    }
    char c = 0;
    held_ = read(ready_[0], &c, 1) == 1 && c == 1;
  }
  ~OtherProcess() {
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

TEST(ShareAcrossProcesses, ExclusiveOpenFailsWhileAnotherProgramHoldsTheTable) {
  TempDir dir;
  MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"JPG"}});
  const std::string before = tpd::test::ReadBytes(dir.path() / "SOLUC.DBF");
  const std::u16string in_use =
      u"Table is in use by another program.\nTable: " + (dir / "SOLUC.DBF");
  {
    OtherProcess timetabler(dir.u16(), Share::kShared);
    ASSERT_TRUE(timetabler.held());
    tables::Components c(dir.u16());
    EXPECT_ERROR_TEXT(c.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly), in_use);
    Table reader(dir.u16(), u"SOLUC");
    reader.Open(Share::kShared, Access::kReadOnly);  // readers share
    Table rebuild(dir.u16(), u"SOLUC.DBF");
    EXPECT_ERROR_TEXT(rebuild.Create({Text(u"PROF", 10)}), in_use);
  }
  {
    OtherProcess timetabler(dir.u16(), Share::kExclusive);
    ASSERT_TRUE(timetabler.held());
    Table reader(dir.u16(), u"SOLUC");
    EXPECT_ERROR_TEXT(reader.Open(Share::kShared, Access::kReadOnly), in_use);
  }
  {
    tables::Components c(dir.u16());
    c.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly);
    OtherProcess timetabler(dir.u16(), Share::kShared);
    EXPECT_FALSE(timetabler.held());
  }
  EXPECT_EQ(tpd::test::ReadBytes(dir.path() / "SOLUC.DBF"), before);
}

// A pipe where the timetabler's table should be is refused at once, on every kind of open and
// when a new table is to replace it, instead of waiting for a writer that never comes.
TEST(ShareAcrossProcesses, APipeNamedLikeATableIsRefused) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir.path() / "SOLUC.DBF").c_str(), 0600), 0);
  for (Share share : {Share::kShared, Share::kExclusive}) {
    Table t(dir.u16(), u"SOLUC");
    try {
      t.Open(share, Access::kReadOnly);
      ADD_FAILURE() << "a pipe opened as a table";
    } catch (const Error& e) {
      EXPECT_NE(e.text().find(u"SOLUC.DBF"), std::u16string::npos) << tpd::test::S(e.text());
    }
  }
}

}  // namespace
}  // namespace tpd::tables::test
