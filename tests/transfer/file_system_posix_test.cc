// What only POSIX needs: names matched without regard to letter case, and the locks that stand in
// for Windows share modes.
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/support/test_support.h"
#include "transfer/file_system.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

using test::TempDir;
using test::U;

TEST(ResolvePathTest, MatchesNamesIgnoringAsciiCase) {
  test::TempDir dir;
  for (const char* name : {"DRUV_PROF.TXT", "Druv_Aulas.txt", "druv_aulas.TXT", "exact.txt",
                           "EXACT.TXT", "ÑAME.txt"}) {
    test::WriteBytes(dir.path() / name, name);
  }
  struct Case {
    const char* asked;
    const char* found;
  };
  const Case cases[] = {
      {"druv_prof.txt", "DRUV_PROF.TXT"},
      {"DRUV_PROF.TXT", "DRUV_PROF.TXT"},
      {"druv_aulas.txt", "Druv_Aulas.txt"},  // several match: the first in byte order
      {"exact.txt", "exact.txt"},            // the exact name first
      {"Exact.txt", "EXACT.TXT"},
      {"ñame.txt", "ñame.txt"},              // only ASCII letters fold: no match, unchanged
      {"ÑAME.TXT", "ÑAME.txt"},
      {"missing.txt", "missing.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolvePath(dir / c.asked), dir / c.found) << c.asked;
  }
  EXPECT_EQ(ResolvePath(dir / "DRUV_PROF.TXT/"), dir / "DRUV_PROF.TXT/");
  EXPECT_EQ(ResolvePath(u""), u"");
}

// Folders are matched as the file is: the folder test and the files inside agree on every name.
TEST(ResolvePathTest, MatchesFoldersIgnoringAsciiCase) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "Druv" / "sub");
  std::filesystem::create_directories(dir.path() / "ptemp");
  test::WriteBytes(dir.path() / "Druv" / "DRUV_PROF.TXT", "x");
  struct Case {
    const char* asked;
    const char* found;
  };
  const Case cases[] = {
      {"druv/druv_prof.txt", "Druv/DRUV_PROF.TXT"},
      {"DRUV/SUB/", "Druv/sub/"},
      {"DRUV//new.txt", "Druv//new.txt"},               // a file yet to be made, in the folder
      {"druv/missing/DRUV_PROF.TXT", "Druv/missing/DRUV_PROF.TXT"},  // the rest as given
      {"PTEMP", "ptemp"},
      {"other/druv_prof.txt", "other/druv_prof.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolvePath(dir / c.asked), dir / c.found) << c.asked;
  }
  EXPECT_TRUE(FolderExists(dir / "DRUV/"));
  EXPECT_TRUE(FileExists(dir / "DRUV/druv_prof.txt"));
  EXPECT_EQ(ReadWholeFile(dir / "druv/Druv_Prof.txt"), std::vector<std::u16string>{u"x"});
}

TEST(ResolvePathTest, EveryServiceGoesThroughIt) {
  test::TempDir dir;
  test::WriteBytes(dir.path() / "DRUV_PROF.TXT", "0DRUV_PROF.TXT\r\n1A\r\n");
  const std::u16string asked = dir / "druv_prof.txt";
  EXPECT_TRUE(FileExists(asked));
  EXPECT_EQ(ReadWholeFile(asked).size(), 2u);
  LineReader reader(asked);
  EXPECT_EQ(reader.ReadLine(), u"0DRUV_PROF.TXT");
  reader.Close();

  WriteLines(dir / "druv_prof.TXT", {u"new"});  // replaces the file of the other case
  EXPECT_EQ(test::ReadBytes(dir.path() / "DRUV_PROF.TXT"), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "druv_prof.TXT"));

  EXPECT_TRUE(RemoveFile(asked));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "DRUV_PROF.TXT"));

  std::filesystem::create_directory(dir.path() / "Folder");
  EXPECT_TRUE(FolderExists(dir / "FOLDER"));
}

// A second process holds the file for writing (LOCK_EX) until the pipe closes.
class HeldForWriting {
 public:
  explicit HeldForWriting(const std::u16string& path) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe");
    child_ = fork();
    if (child_ == 0) {
      close(ready[0]);
      close(release[1]);
      int fd = open(ToUtf8(path).c_str(), O_WRONLY);
      char ok = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
      ssize_t ignored = write(ready[1], &ok, 1);
      char byte;
      ignored = read(release[0], &byte, 1);
      (void)ignored;
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char ok = 'n';
    ssize_t count = read(ready[0], &ok, 1);
    close(ready[0]);
    held_ = count == 1 && ok == 'y';
  }
  ~HeldForWriting() {
    close(release_);
    int status;
    waitpid(child_, &status, 0);
  }
  bool held() const { return held_; }

 private:
  pid_t child_ = -1;
  int release_ = -1;
  bool held_ = false;
};

// A named pipe or a device where a transfer file should be is refused at once on both routes,
// instead of waiting for a writer or reading without end.
TEST(InputFileTest, PipesAndDevicesAreRefused) {
  TempDir dir;
  const std::u16string pipe = dir / "druv_prof.txt";
  ASSERT_EQ(mkfifo(test::ToPath(pipe).c_str(), 0600), 0);
  for (const std::u16string& path : {pipe, std::u16string(u"/dev/zero")}) {
    EXPECT_ERROR_TEXT(LineReader reader(path), u"File access denied");
    EXPECT_ERROR_TEXT(ReadWholeFile(path),
                      u"Cannot open file \"" + path + u"\". " + SystemErrorText(EACCES));
  }
}

TEST(SharingTest, FileHeldForWritingCannotBeRead) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  test::WriteBytes(test::ToPath(path), "0DRUV_PROF.TXT\r\n");
  {
    HeldForWriting writer(path);
    ASSERT_TRUE(writer.held());
    EXPECT_TRUE(FileExists(path)) << "a locked file still exists";
    EXPECT_ERROR_TEXT(LineReader reader(path), u"I/O error 32");
    EXPECT_ERROR_TEXT(ReadWholeFile(path), u"Cannot open file \"" + path + u"\". " +
                                               SystemErrorText(EWOULDBLOCK));
  }
  EXPECT_EQ(ReadWholeFile(path).size(), 1u) << "readable again once the writer is gone";
}

TEST(SharingTest, ReaderKeepsWritersOut) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  test::WriteBytes(test::ToPath(path), "x\r\n");
  LineReader reader(path);
  int fd = open(test::ToPath(path).c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  close(fd);
}

int EntryCount(const std::filesystem::path& dir) {
  int count = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

// In a child process: the disk fills up half-way through a replacement (a file-size limit stands
// in for it, and binds root as well). Exits 0 when the expected error came.
void WriteIntoFullDisk(const std::u16string& path, const std::u16string& expected) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit;
  limit.rlim_cur = limit.rlim_max = 100 * 1024;
  setrlimit(RLIMIT_FSIZE, &limit);
  try {
    WriteLines(path, std::vector<std::u16string>(20000, std::u16string(70, u'x')));
  } catch (const Error& e) {
    _exit(e.text() == expected ? 0 : 2);
  }
  _exit(1);
}

TEST(ReplaceFailureTest, WriteFailingHalfWayKeepsTheOldFile) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  test::WriteBytes(test::ToPath(path), "old contents\r\n");
  const std::u16string expected =
      u"Cannot create file \"" + path + u"\". " + SystemErrorText(EFBIG);
  EXPECT_EXIT(WriteIntoFullDisk(path, expected), testing::ExitedWithCode(0), "");
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old contents\r\n");
  EXPECT_EQ(EntryCount(dir.path()), 1) << "the temporary file is removed";
}

// A file marked read-only (no write bit) is refused for every user, root included, as the
// read-only attribute is on Windows. A folder that takes no new file refuses too, where the system
// enforces that for this user.
TEST(ReplaceFailureTest, ReadOnlyTargetOrFolder) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  const std::u16string denied =
      u"Cannot create file \"" + path + u"\". " + SystemErrorText(EACCES);
  test::WriteBytes(test::ToPath(path), "old");
  using std::filesystem::perms;
  for (perms mode : {perms::owner_read, perms::owner_read | perms::group_read | perms::others_read,
                     perms::none}) {
    std::filesystem::permissions(test::ToPath(path), mode);
    EXPECT_ERROR_TEXT(WriteLines(path, {u"new"}), denied);
    std::filesystem::permissions(test::ToPath(path), perms::owner_all);
    EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old");
  }
  if (geteuid() != 0) {
    std::filesystem::permissions(dir.path(), perms::owner_read | perms::owner_exec);
    EXPECT_ERROR_TEXT(WriteLines(path, {u"new"}), denied);
    std::filesystem::permissions(dir.path(), perms::owner_all);
  }
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old");
  EXPECT_EQ(EntryCount(dir.path()), 1);
}

// The new file takes the old one's permission bits, whatever the process's umask; a new file gets
// what the umask leaves.
TEST(ReplacementTest, KeepsThePermissionBits) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  using std::filesystem::perms;
  const mode_t mask = umask(077);
  WriteLines(path, {u"first"});
  EXPECT_EQ(std::filesystem::status(test::ToPath(path)).permissions(),
            perms::owner_read | perms::owner_write);
  for (perms mode : {perms::owner_read | perms::owner_write | perms::group_read,
                     perms::owner_all | perms::group_read | perms::others_read,
                     perms::owner_write | perms::others_write}) {
    std::filesystem::permissions(test::ToPath(path), mode);
    WriteLines(path, {u"again"});
    EXPECT_EQ(std::filesystem::status(test::ToPath(path)).permissions(), mode);
  }
  umask(mask);
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "again\r\n");
}

TEST(ReplaceFailureTest, LinkIsFollowed) {
  test::TempDir dir;
  test::WriteBytes(dir.path() / "real.txt", "old");
  std::filesystem::create_symlink(dir.path() / "real.txt", dir.path() / "link.txt");
  ReplaceFileBytes(dir / "link.txt", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.txt"));
  EXPECT_EQ(test::ReadBytes(dir.path() / "real.txt"), "new");
  EXPECT_TRUE(FileExists(dir / "link.txt"));
  std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  EXPECT_FALSE(FileExists(dir / "dangling"));
}

}  // namespace
}  // namespace tpd
