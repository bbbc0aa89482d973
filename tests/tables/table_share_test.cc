// Sharing a table with other programs: exclusive opens keep everyone else out, shared opens
// admit other readers. Two handles of one process count as two programs, as on Windows.
#include "tests/tables/table_fixtures.h"

namespace tpd::test {
namespace {

class ShareTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeTextTable(dir_.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"JPG"}}); }
  std::u16string InUse() const {
    return u"Table is in use by another program.\nTable: " + (dir_ / "SOLUC.DBF");
  }
  TempDir dir_;
};

TEST_F(ShareTest, ExclusiveAndSharedOpens) {
  struct Case {
    Share first, second;
    bool admitted;
  } cases[] = {
      {Share::kShared, Share::kShared, true},
      {Share::kShared, Share::kExclusive, false},
      {Share::kExclusive, Share::kShared, false},
      {Share::kExclusive, Share::kExclusive, false},
  };
  for (const Case& c : cases) {
    Table holder(dir_.u16(), u"SOLUC");
    holder.Open(c.first, Access::kReadOnly);
    Table other(dir_.u16(), u"SOLUC");
    if (c.admitted) {
      other.Open(c.second, Access::kReadOnly);
      EXPECT_EQ(other.AsText(u"PROF"), u"JPG");
    } else {
      EXPECT_ERROR_TEXT(other.Open(c.second, Access::kReadOnly), InUse());
      EXPECT_FALSE(other.IsOpen());
    }
    EXPECT_EQ(holder.AsText(u"PROF"), u"JPG");
    holder.Close();
    other.Close();
  }
  Components c(dir_.u16());
  c.wwTableSoluc.Open(Share::kShared, Access::kReadOnly);  // a component is always exclusive
  Table other(dir_.u16(), u"SOLUC");
  EXPECT_ERROR_TEXT(other.Open(Share::kShared, Access::kReadOnly), InUse());
}

TEST_F(ShareTest, RebuildingATableHeldElsewhereChangesNothing) {
  const std::string before = tpd::test::ReadBytes(dir_.path() / "SOLUC.DBF");
  Table holder(dir_.u16(), u"SOLUC");
  holder.Open(Share::kExclusive, Access::kReadOnly);
  {
    DeleteTableFiles(dir_.u16(), u"SOLUC");
    Table t(dir_.u16(), u"SOLUC.DBF");
    EXPECT_ERROR_TEXT(t.Create({Text(u"PROF", 10)}), InUse());
  }
  // Taken after the rebuild started: the commit refuses and keeps the old table.
  holder.Close();
  Table t(dir_.u16(), u"SOLUC.DBF");
  t.Create({Text(u"PROF", 10)});
  t.Open(Share::kShared, Access::kReadWrite);
  t.Append();
  t.SetText(u"PROF", u"NEW");
  t.Post();
  holder.Open(Share::kShared, Access::kReadOnly);
  EXPECT_ERROR_TEXT(t.Close(), InUse());
  EXPECT_EQ(holder.AsText(u"PROF"), u"JPG");
  holder.Close();
  EXPECT_EQ(tpd::test::ReadBytes(dir_.path() / "SOLUC.DBF"), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace tpd::test
