// The console program killed at a random moment of an export of a large school: every table is
// afterwards its old version or its complete new one, never a part, and the next run removes what
// the killed one left and builds every table whole.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "bench/school_generator.h"
#include "tests/faults/fault_fixture.h"

namespace tpd::test {
namespace {

using Clock = std::chrono::steady_clock;

pid_t StartExport(const std::filesystem::path& input, const std::filesystem::path& tables) {
  const std::string carpeta = input.string(), ptemp = tables.string();
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    execl(TPD_CONSOLE_PROGRAM, TPD_CONSOLE_PROGRAM, "exportar", "--carpeta", carpeta.c_str(),
          "--ptemp", ptemp.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int Finish(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Restore(const std::filesystem::path& folder, const Snapshot& files) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : files) WriteBytes(folder / name, bytes);
}

TEST(KilledExport, EveryTableIsOldOrCompleteAndTheNextRunCleansUp) {
  TempDir dir;
  const auto old_input = dir.path() / "old", new_input = dir.path() / "new";
  const auto tables = dir.path() / "ptemp", reference = dir.path() / "reference";
  for (const auto& folder : {old_input, new_input, tables, reference}) {
    std::filesystem::create_directories(folder);
  }
  // The tables before the run: those of a smaller school.
  GenerateSchool(ScaledSchool(1), old_input.u16string(), tables.u16string());
  ASSERT_EQ(Finish(StartExport(old_input, tables)), 0);
  const Snapshot old = TakeSnapshot(tables);

  // The complete new tables, and how long a whole run takes.
  GenerateSchool(ScaledSchool(3), new_input.u16string(), reference.u16string());
  const auto start = Clock::now();
  ASSERT_EQ(Finish(StartExport(new_input, reference)), 0);
  const auto whole_run = Clock::now() - start;
  const Snapshot complete = TakeSnapshot(reference);

  std::mt19937 random(20240902);
  std::uniform_int_distribution<long long> delay(
      0, std::chrono::duration_cast<std::chrono::microseconds>(whole_run).count());
  constexpr int kKills = 8;
  int halfway = 0;  // kills after which some tables were new and some old
  for (int kill_number = 0; kill_number < kKills; ++kill_number) {
    Restore(tables, old);
    const pid_t pid = StartExport(new_input, tables);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    kill(pid, SIGKILL);
    Finish(pid);

    int new_tables = 0, old_tables = 0;
    for (const std::string& name : kExportTables) {
      const std::string file = name + ".DBF";
      const std::string bytes = ReadBytes(tables / file);
      if (bytes == complete.at(file)) {
        ++new_tables;
      } else {
        EXPECT_EQ(bytes, old.at(file)) << "kill " << kill_number << ": " << file << " is partial";
        ++old_tables;
      }
    }
    if (new_tables > 0 && old_tables > 0) ++halfway;
  }
  // The last kill's leftovers go with the next complete run.
  ASSERT_EQ(Finish(StartExport(new_input, tables)), 0);
  const Snapshot after = TakeSnapshot(tables);
  for (const auto& [name, bytes] : after) {
    EXPECT_FALSE(name.starts_with("~")) << "leftover " << name;
    if (name != "SOLUC.DBF") {
      EXPECT_EQ(bytes, complete.at(name)) << name;
    }
  }
  RecordProperty("kills_halfway", halfway);
}

}  // namespace
}  // namespace tpd::test
