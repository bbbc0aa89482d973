// Exclusive opens against another process: the timetabler holding a table while we run.
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "tests/support/other_program_posix.h"
#include "tests/tables/table_fixtures.h"

namespace tpd::test {
namespace {

TEST(ShareAcrossProcesses, ExclusiveOpenFailsWhileAnotherProgramHoldsTheTable) {
  TempDir dir;
  MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"JPG"}});
  const std::string before = tpd::test::ReadBytes(dir.path() / "SOLUC.DBF");
  const std::u16string in_use =
      u"Table is in use by another program.\nTable: " + (dir / "SOLUC.DBF");
  {
    tpd::test::OtherProgram timetabler(dir.u16(), u"SOLUC", Share::kShared);
    ASSERT_TRUE(timetabler.held());
    Components c(dir.u16());
    EXPECT_ERROR_TEXT(c.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly), in_use);
    Table reader(dir.u16(), u"SOLUC");
    reader.Open(Share::kShared, Access::kReadOnly);  // readers share
    Table rebuild(dir.u16(), u"SOLUC.DBF");
    EXPECT_ERROR_TEXT(rebuild.Create({Text(u"PROF", 10)}), in_use);
  }
  {
    tpd::test::OtherProgram timetabler(dir.u16(), u"SOLUC", Share::kExclusive);
    ASSERT_TRUE(timetabler.held());
    Table reader(dir.u16(), u"SOLUC");
    EXPECT_ERROR_TEXT(reader.Open(Share::kShared, Access::kReadOnly), in_use);
  }
  {
    Components c(dir.u16());
    c.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly);
    tpd::test::OtherProgram timetabler(dir.u16(), u"SOLUC", Share::kShared);
    EXPECT_FALSE(timetabler.held());
  }
  EXPECT_EQ(tpd::test::ReadBytes(dir.path() / "SOLUC.DBF"), before);
}

// Another program holding the old table for a few hundred milliseconds is waited out: before
// Create and before the commit at Close alike.
TEST(ShareAcrossProcesses, ABriefHoldDoesNotFailTheRebuild) {
  for (bool before_commit : {false, true}) {
    SCOPED_TRACE(before_commit ? "held before the commit" : "held before Create");
    TempDir dir;
    MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"OLD"}});
    std::optional<tpd::test::OtherProgram> other;
    auto hold = [&] {
      other.emplace(dir.u16(), u"SOLUC", Share::kShared, 300);
      ASSERT_TRUE(other->held());
    };
    Table t(dir.u16(), u"SOLUC.DBF");
    if (!before_commit) {
      ASSERT_NO_FATAL_FAILURE(hold());
    }
    t.Create({Text(u"PROF", 10)});
    t.Open(Share::kShared, Access::kReadWrite);
    t.Append();
    t.SetText(u"PROF", u"NEW");
    t.Post();
    if (before_commit) {
      ASSERT_NO_FATAL_FAILURE(hold());
    }
    t.Close();
    other.reset();
    Table reader(dir.u16(), u"SOLUC");
    reader.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(reader.AsText(u"PROF"), u"NEW");
  }
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

// A table is read whole at Open. The hold does not stop a program that ignores it from rewriting
// the file in place: what the handle reads stays what the file held at Open, never half old and
// half new.
TEST(ShareAcrossProcesses, ATableRewrittenAfterOpenReadsAsItWasAtOpen) {
  TempDir dir;
  MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"A"}, {u"B"}, {u"C"}, {u"D"}});
  const std::filesystem::path file = dir.path() / "SOLUC.DBF";
  const std::string whole = tpd::test::ReadBytes(file);
  const std::size_t header = whole.size() - 1 - 4 * 11;  // four 11-byte records and the end mark

  Table t(dir.u16(), u"SOLUC");
  t.Open(Share::kExclusive, Access::kReadOnly);
  std::string changed = whole;
  changed.replace(header + 11 + 1, 1, "X");  // row 2 becomes X
  changed[header + 2 * 11] = '*';            // row 3 deleted
  tpd::test::WriteBytes(file, changed.substr(0, header + 3 * 11));  // row 4 cut off
  std::u16string read;
  for (t.First(); !t.Eof(); t.Next()) read += t.AsText(u"PROF");
  EXPECT_EQ(read, u"ABCD");
  EXPECT_TRUE(t.Locate(u"PROF", {u"D"}));
  EXPECT_FALSE(t.Locate(u"PROF", {u"X"}));
}

}  // namespace
}  // namespace tpd::test
