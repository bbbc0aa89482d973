// Rebuilding a table never leaves a half-built one: the old table and its index stay exactly as
// they were until the new table is complete.
#include <set>

#include "tests/tables/table_fixtures.h"
#include "transfer/replace_file.h"

namespace tpd::test {
namespace {

const std::vector<FieldDef> kFields = {Text(u"CODASIG", 10), Number(u"HORAS")};

std::set<std::string> Entries(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class ReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTextTable(dir_.u16(), u"ASIGT.DBF", kFields, {{u"OLD1"}, {u"OLD2"}});
    tpd::test::WriteBytes(dir_.path() / "ASIGT.MDX", "an index left by the timetabler");
    old_table_ = tpd::test::ReadBytes(dir_.path() / "ASIGT.DBF");
  }
  void ExpectOldTableIntact() {
    EXPECT_EQ(tpd::test::ReadBytes(dir_.path() / "ASIGT.DBF"), old_table_);
    EXPECT_EQ(tpd::test::ReadBytes(dir_.path() / "ASIGT.MDX"), "an index left by the timetabler");
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"ASIGT.DBF", "ASIGT.MDX"}));
  }

  // The export steps' sequence, with `rows` rows of which the last holds a number that cannot be
  // stored (when `fail_at_end`), on a disk with `space` left (the real one when none).
  void Rebuild(int rows, bool fail_at_end, DiskSpace* space = nullptr) {
    DeleteTableFiles(dir_.u16(), u"ASIGT");
    Table t(dir_.u16(), u"ASIGT.DBF");
    t.UseDiskSpace(space);
    t.Create(kFields);
    t.Open(Share::kShared, Access::kReadWrite);
    for (int i = 0; i < rows; ++i) {
      t.Append();
      t.SetText(u"CODASIG", u"NEW" + IntToText(i));
      t.SetNumber(u"HORAS", fail_at_end && i == rows - 1 ? 1.0 / 3 : 2.5);
      t.Post();
    }
    t.Close();
  }

  TempDir dir_;
  std::string old_table_;
};

TEST_F(ReplaceTest, ErrorHalfwayLeavesOldTableAndIndex) {
  EXPECT_THROW(Rebuild(1000, true), Error);
  ExpectOldTableIntact();
}

TEST_F(ReplaceTest, CompleteFillReplacesTableThenDeletesIndex) {
  Rebuild(3, false);
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"ASIGT.DBF"}));
  Table t(dir_.u16(), u"ASIGT");
  t.Open(Share::kExclusive, Access::kReadOnly);
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.AsText(u"CODASIG"), u"NEW0");
  EXPECT_EQ(t.AsNumber(u"HORAS"), 2.5);
}

TEST_F(ReplaceTest, FullDiskAtCloseLeavesOldTable) {
  DiskSpace space{100};
  try {
    Rebuild(50, false, &space);
    ADD_FAILURE() << "no Error on a full disk";
  } catch (const Error& e) {
    const std::string text = S(e.text());
    EXPECT_EQ(text.rfind("Cannot write the table: ", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(".\nTable: " + S(dir_ / "ASIGT.DBF"))) << text;
  }
  ExpectOldTableIntact();
}

// A table marked read-only is refused at Create, before any row, and stays as it was with its
// index. On POSIX the mark is the missing write bit, and it binds root as well.
TEST_F(ReplaceTest, ReadOnlyTableIsRefusedAtCreate) {
  using std::filesystem::perms;
  const std::filesystem::path table = dir_.path() / "ASIGT.DBF";
  std::filesystem::permissions(table, perms::owner_read | perms::group_read | perms::others_read);
  try {
    Rebuild(3, false);
    ADD_FAILURE() << "a read-only table was replaced";
  } catch (const Error& e) {
    const std::string text = S(e.text());
    EXPECT_EQ(text.rfind("Cannot create the table: ", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(".\nTable: " + S(dir_ / "ASIGT.DBF"))) << text;
  }
  std::filesystem::permissions(table, perms::owner_read | perms::owner_write);
  ExpectOldTableIntact();
}

// The new table takes the old one's permission bits, whether it was created afresh or opened,
// changed and written back.
TEST_F(ReplaceTest, ReplacedTableKeepsItsPermissionBits) {
#ifdef _WIN32
  GTEST_SKIP() << "no permission bits here";
#endif
  using std::filesystem::perms;
  const std::filesystem::path table = dir_.path() / "ASIGT.DBF";
  const perms mode =
      perms::owner_read | perms::owner_write | perms::group_read | perms::group_write;
  std::filesystem::permissions(table, mode);
  Rebuild(3, false);
  EXPECT_EQ(std::filesystem::status(table).permissions(), mode);
  {
    Table t(dir_.u16(), u"ASIGT");
    t.Open(Share::kExclusive, Access::kReadWrite);
    t.Edit();
    t.SetText(u"CODASIG", u"CHANGED");
    t.Post();
    t.Close();
  }
  EXPECT_EQ(std::filesystem::status(table).permissions(), mode);
  Table t(dir_.u16(), u"ASIGT");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.AsText(u"CODASIG"), u"CHANGED");
}

TEST_F(ReplaceTest, HandleCreatedButNeverClosedDiscardsItsFile) {
  {
    Table t(dir_.u16(), u"ASIGT.DBF");
    t.Create(kFields);
    EXPECT_EQ(Entries(dir_).size(), 3u);  // the table, its index, the new table's file
  }
  ExpectOldTableIntact();
  {
    Table t(dir_.u16(), u"ASIGT.DBF");
    t.Create(kFields);
    t.Create(kFields);  // again on the same handle: the first new file goes
    EXPECT_EQ(Entries(dir_).size(), 3u);
  }
  ExpectOldTableIntact();
}

TEST_F(ReplaceTest, LeftoversOfAKilledRunAreRemovedAndNeverRead) {
  for (const char* name : {".ASIGT.DBF.tpd-99999-0.tmp", ".asigt.dbf.TPD-1-7.TMP"}) {
    tpd::test::WriteBytes(dir_.path() / name, "half a table");
  }
  // Not leftovers of this table: another table's, and names that only look alike.
  const std::set<std::string> others = {".AULAT.DBF.tpd-1-0.tmp", "ASIGT.DBF.tpd-1-0.tmp",
                                        ".ASIGTX.DBF.tpd-1-0.tmp", ".ASIGT.DBF.tpd-.txt"};
  for (const std::string& name : others) tpd::test::WriteBytes(dir_.path() / name, "x");

  Table reader(dir_.u16(), u"ASIGT");
  reader.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(reader.RowCount(), 2);
  reader.Close();

  Rebuild(1, false);
  std::set<std::string> expected = others;
  expected.insert("ASIGT.DBF");
  EXPECT_EQ(Entries(dir_), expected);
}

// The sweep of another run (its DeleteTableFiles, its Create) passes over a table that a live
// handle is still writing, which then commits as if nothing had happened.
TEST_F(ReplaceTest, SweepPassesOverATableBeingWritten) {
  Table first(dir_.u16(), u"ASIGT.DBF");
  first.Create(kFields);
  first.Open(Share::kShared, Access::kReadWrite);
  first.Append();
  first.SetText(u"CODASIG", u"FIRST");
  first.Post();
  DeleteTableFiles(dir_.u16(), u"ASIGT");
  {
    Table second(dir_.u16(), u"ASIGT.DBF");
    second.Create(kFields);
    EXPECT_EQ(Entries(dir_).size(), 4u);  // the table, its index, two new tables' files
  }
  EXPECT_EQ(Entries(dir_).size(), 3u);
  first.Close();
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"ASIGT.DBF"}));
  Table t(dir_.u16(), u"ASIGT");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.AsText(u"CODASIG"), u"FIRST");
}

TEST_F(ReplaceTest, ChangedRowsOfAnOpenedTableAreWrittenAtClose) {
  tpd::test::WriteBytes(
      dir_.path() / "SOLUC.DBF",
      tpd::test::ReadBytes(tpd::test::SourceDir() / "tests/tables/data/SOLUC_VFP_NUM.DBF"));
  const std::string before = tpd::test::ReadBytes(dir_.path() / "SOLUC.DBF");
  {
    Table t(dir_.u16(), u"SOLUC");
    t.Open(Share::kExclusive, Access::kReadWrite);
    ASSERT_TRUE(t.Locate(u"PROF", {u"MRL"}));
    t.Edit();
    t.SetText(u"AULA", u"B7");
    t.SetNumber(u"DIA", 4);
    t.Post();
    t.Close();
  }
  const std::string after = tpd::test::ReadBytes(dir_.path() / "SOLUC.DBF");
  // Header kept but for its date; the deleted row kept as it was; the end mark added.
  ASSERT_EQ(before.size(), 552u + 4 * 58);
  EXPECT_EQ(after.substr(4), before.substr(4)
                                     .replace(552 - 4 + 58 + 1, 2, " 4")
                                     .replace(552 - 4 + 58 + 48, 10, "B7        ") +
                                 "\x1A");
  Table t(dir_.u16(), u"SOLUC");
  t.Open(Share::kShared, Access::kReadOnly);
  EXPECT_EQ(t.RowCount(), 3);
  t.Next();
  EXPECT_EQ(t.AsText(u"AULA"), u"B7");
  EXPECT_EQ(t.AsInteger(u"DIA"), 4);
}

bool CanWriteInto(const std::filesystem::path& folder) {
  try {
    tpd::test::WriteBytes(folder / "probe", "");
  } catch (const std::exception&) {
    return false;
  }
  std::filesystem::remove(folder / "probe");
  return true;
}

// Create fails at once, before any row, in a folder that takes no new file. A read-only folder
// where the system enforces that for this user; else a system folder that refuses new files to
// everyone (Linux's /proc).
TEST_F(ReplaceTest, FolderThatTakesNoNewFileFailsAtCreate) {
  std::filesystem::permissions(
      dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  std::u16string folder = dir_.u16();
  if (CanWriteInto(dir_.path())) {
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    folder = u"/proc";
    if (!std::filesystem::is_directory("/proc/self") || CanWriteInto("/proc")) {
      GTEST_SKIP() << "no folder here refuses new files to this user";
    }
  }
  Table t(folder, u"ASIGT.DBF");
  try {
    t.Create(kFields);
    ADD_FAILURE() << "Create succeeded in " << S(folder);
  } catch (const Error& e) {
    EXPECT_EQ(S(e.text()).rfind("Cannot create the table: ", 0), 0u) << S(e.text());
    EXPECT_TRUE(S(e.text()).ends_with(".\nTable: " + S(t.Path()))) << S(e.text());
  }
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
  ExpectOldTableIntact();
}

}  // namespace
}  // namespace tpd::test
