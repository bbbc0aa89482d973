// Exclusive opens against another process: the timetabler holding a table while we run. The
// other process is this test program again, running only the holder below.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "tests/tables/table_fixtures.h"
#include "transfer/file_system.h"

namespace tpd::test {
namespace {

constexpr char kHoldFolder[] = "TPD_HOLD_TABLE_FOLDER";
constexpr char kHoldShare[] = "TPD_HOLD_TABLE_SHARE";
constexpr char kHoldMilliseconds[] = "TPD_HOLD_TABLE_MS";

bool WaitForFile(const std::filesystem::path& path, int every_ms = 100) {
  for (int waited = 0; waited < 60000; waited += every_ms) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(every_ms));
  }
  return false;
}

// Whether a program holds `path` so that it cannot be renamed over.
bool HeldAgainstRename(const std::filesystem::path& path) {
  const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(path.c_str(), DELETE, share_all, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

// Runs in the child only: holds SOLUC until the parent leaves the "go" file, or for the given
// milliseconds.
TEST(HoldTable, InAnotherProcess) {
  const char* folder = std::getenv(kHoldFolder);
  if (folder == nullptr) GTEST_SKIP() << "only run as the other process";
  const std::filesystem::path dir = tpd::test::ToPath(FromUtf8(folder));
  Table t(FromUtf8(folder), u"SOLUC");
  const char* share = std::getenv(kHoldShare);
  t.Open(share && std::string(share) == "exclusive" ? Share::kExclusive : Share::kShared,
         Access::kReadOnly);
  tpd::test::WriteBytes(dir / "ready", "");
  if (const char* ms = std::getenv(kHoldMilliseconds)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
    return;
  }
  ASSERT_TRUE(WaitForFile(dir / "go"));
}

class OtherProcess {
 public:
  // Holds SOLUC with `share` ("shared" or "exclusive") until the object goes, or for
  // `milliseconds` when given.
  OtherProcess(const TempDir& dir, const char* share, int milliseconds = 0) : dir_(dir.path()) {
    SetEnvironmentVariableA(kHoldFolder, S(dir.u16()).c_str());
    SetEnvironmentVariableA(kHoldShare, share);
    SetEnvironmentVariableA(kHoldMilliseconds,
                            milliseconds > 0 ? std::to_string(milliseconds).c_str() : nullptr);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=HoldTable.*";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_);
    SetEnvironmentVariableA(kHoldFolder, nullptr);
    SetEnvironmentVariableA(kHoldMilliseconds, nullptr);
    held_ = started_ && WaitForFile(dir_ / "ready", 10);
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

// Another program holding the old table for a few hundred milliseconds, as a virus scanner or an
// indexer does with a file that has just changed, is waited out: before Create and before the
// commit at Close alike.
TEST(ShareAcrossProcesses, ABriefHoldDoesNotFailTheRebuild) {
  for (bool before_commit : {false, true}) {
    SCOPED_TRACE(before_commit ? "held before the commit" : "held before Create");
    TempDir dir;
    const std::filesystem::path file = dir.path() / "SOLUC.DBF";
    MakeTextTable(dir.u16(), u"SOLUC", {Text(u"PROF", 10)}, {{u"OLD"}});
    std::optional<OtherProcess> scanner;
    auto hold = [&] {
      scanner.emplace(dir, "shared", 500);
      ASSERT_TRUE(scanner->held());
      ASSERT_TRUE(HeldAgainstRename(file)) << "the hold ended before it could be tried";
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
    scanner.reset();
    Table reader(dir.u16(), u"SOLUC");
    reader.Open(Share::kShared, Access::kReadOnly);
    EXPECT_EQ(reader.AsText(u"PROF"), u"NEW");
  }
}

// A device named like a table (NUL.DBF is the device NUL) is refused at once on every kind of
// open, as the POSIX build refuses a pipe, instead of being read as an empty or an endless table.
TEST(ShareAcrossProcesses, ADeviceNamedLikeATableIsRefused) {
  TempDir dir;
  std::u16string denied = SystemErrorText(ERROR_ACCESS_DENIED);
  while (!denied.empty() && (denied.back() == u'.' || denied.back() == u' ')) denied.pop_back();
  for (Share share : {Share::kShared, Share::kExclusive}) {
    Table t(dir.u16(), u"NUL");
    EXPECT_ERROR_TEXT(t.Open(share, Access::kReadOnly),
                      u"Cannot open the table: " + denied + u".\nTable: " + (dir / "NUL.DBF"));
  }
}

}  // namespace
}  // namespace tpd::test
