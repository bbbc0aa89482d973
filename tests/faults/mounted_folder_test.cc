// The same faults on a real file system rather than through the table store's write limit: a
// small memory file system mounted over the table folder, made read-only or too small for the
// new tables. Skipped where this process may not mount (mounting needs root's privilege).
#include <sys/mount.h>

#include "tables/table.h"
#include "tests/faults/fault_fixture.h"

namespace tpd::test {
namespace {

// A memory file system of `kib` KiB over `folder` for the life of the object.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::filesystem::path& folder, int kib) : folder_(folder) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(kib) + "k";
    mounted_ = mount("tpd-faults", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};

class MountedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    CopySampleSchool(input_);
    std::filesystem::create_directories(reference_);
    ASSERT_EQ(ExportInto(input_, reference_.u16string()), "");
    complete_ = TakeSnapshot(reference_);
  }
  TempDir dir_;
  std::filesystem::path input_ = dir_.path() / "txt";
  std::filesystem::path reference_ = dir_.path() / "reference";
  std::filesystem::path tables_ = dir_.path() / "ptemp";
  Snapshot complete_;
};

TEST_F(MountedFolder, ReadOnlyFolderKeepsItsTables) {
  SmallFileSystem fs(tables_, 4096);
  if (!fs.mounted()) GTEST_SKIP() << "this process may not mount a file system";
  ASSERT_EQ(ExportInto(input_, tables_.u16string()), "");  // tables there before the run
  if (!fs.MakeReadOnly()) GTEST_SKIP() << "cannot make the file system read-only";
  const std::string error = ExportInto(input_, tables_.u16string());
  EXPECT_EQ(error.rfind("Cannot create the table: ", 0), 0u) << error;
  EXPECT_TRUE(error.ends_with("\nTable: " + (tables_ / "ASIGNOMT.DBF").string())) << error;
  EXPECT_EQ(TakeSnapshot(tables_), complete_);
}

// Room for the old tables and a little more: the new ones do not fit.
TEST_F(MountedFolder, FullFileSystemKeepsTheOldTables) {
  SmallFileSystem fs(tables_, 64);
  if (!fs.mounted()) GTEST_SKIP() << "this process may not mount a file system";
  // Old tables: large ones of a single text field, filling the file system to its last pages.
  std::vector<std::string> names;
  for (const std::string& name : kExportTables) {
    DeleteTableFiles(tables_.u16string(), FromUtf8(name));
    Table t(tables_.u16string(), FromUtf8(name));
    t.Create({{u"OLD", FieldKind::kText, 100}});
    t.Open(Share::kShared, Access::kReadWrite);
    for (int row = 0; row < 80; ++row) {
      t.Append();
      t.SetText(u"OLD", u"old row");
      t.Post();
    }
    t.Close();
  }
  const Snapshot old = TakeSnapshot(tables_);
  const std::string error = ExportInto(input_, tables_.u16string());
  ASSERT_FALSE(error.empty());
  RecordProperty("error", error);
  EXPECT_NE(error.find("\nTable: " + tables_.string() + "/"), std::string::npos) << error;
  const Snapshot after = TakeSnapshot(tables_);
  EXPECT_EQ(after.size(), old.size());
  for (const auto& [name, bytes] : after) {
    EXPECT_TRUE(bytes == old.at(name) || bytes == complete_.at(name)) << name;
  }
}

}  // namespace
}  // namespace tpd::test
