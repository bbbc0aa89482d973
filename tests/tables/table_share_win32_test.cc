// Exclusive opens against another process: the timetabler holding a table while we run. The
// other process is this test program again, running only the holder below.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/tables/table_fixtures.h"

namespace tpd::test {
namespace {

constexpr char kHoldFolder[] = "TPD_HOLD_TABLE_FOLDER";
constexpr char kHoldShare[] = "TPD_HOLD_TABLE_SHARE";

bool WaitForFile(const std::filesystem::path& path) {
  for (int i = 0; i < 600; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// Runs in the child only: holds SOLUC until the parent leaves the "go" file.
TEST(HoldTable, InAnotherProcess) {
  const char* folder = std::getenv(kHoldFolder);
  if (folder == nullptr) GTEST_SKIP() << "only run as the other process";
  const std::filesystem::path dir = tpd::test::ToPath(FromUtf8(folder));
  Table t(FromUtf8(folder), u"SOLUC");
  const char* share = std::getenv(kHoldShare);
  t.Open(share && std::string(share) == "exclusive" ? Share::kExclusive : Share::kShared,
         Access::kReadOnly);
  tpd::test::WriteBytes(dir / "ready", "");
  ASSERT_TRUE(WaitForFile(dir / "go"));
}

class OtherProcess {
 public:
  OtherProcess(const TempDir& dir, const char* share) : dir_(dir.path()) {
    SetEnvironmentVariableA(kHoldFolder, S(dir.u16()).c_str());
    SetEnvironmentVariableA(kHoldShare, share);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=HoldTable.*";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_);
    SetEnvironmentVariableA(kHoldFolder, nullptr);
    held_ = started_ && WaitForFile(dir_ / "ready");
  }
  ~OtherProcess() {
    tpd::test::WriteBytes(dir_ / "go", "");
    if (started_) {
      WaitForSingleObject(pi_.hProcess, 60000);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
    std::error_code ec;
    std::filesystem::remove(dir_ / "go", ec);
    std::filesystem::remove(dir_ / "ready", ec);
  }
  bool held() const { return held_; }

 private:
  std::filesystem::path dir_;
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
  bool held_ = false;
};

TEST(ShareAcrossProcesses, ExclusiveOpenFailsWhileAnotherProgramHoldsTheTable) {
  TempDir dir;
  MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"JPG"}});
  const std::string before = tpd::test::ReadBytes(dir.path() / "SOLUC.DBF");
  const std::u16string in_use =
      u"Table is in use by another program.\nTable: " + (dir / "SOLUC.DBF");
  {
    OtherProcess timetabler(dir, "shared");
    ASSERT_TRUE(timetabler.held());
    Components c(dir.u16());
    EXPECT_ERROR_TEXT(c.wwTableSoluc.Open(Share::kExclusive, Access::kReadOnly), in_use);
    Table reader(dir.u16(), u"SOLUC");
    reader.Open(Share::kShared, Access::kReadOnly);  // readers share
    Table rebuild(dir.u16(), u"SOLUC.DBF");
    EXPECT_ERROR_TEXT(rebuild.Create({Text(u"PROF", 10)}), in_use);
  }
  {
    OtherProcess timetabler(dir, "exclusive");
    ASSERT_TRUE(timetabler.held());
    Table reader(dir.u16(), u"SOLUC");
    EXPECT_ERROR_TEXT(reader.Open(Share::kShared, Access::kReadOnly), in_use);
  }
  EXPECT_EQ(tpd::test::ReadBytes(dir.path() / "SOLUC.DBF"), before);
}

}  // namespace
}  // namespace tpd::test
