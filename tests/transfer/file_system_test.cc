#include "transfer/file_system.h"

#include <filesystem>

#include "tests/support/test_support.h"
#include "transfer/replace_file.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

using test::U;

int EntryCount(const test::TempDir& dir) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++count;
  }
  return count;
}

TEST(FileSystemTest, FileAndFolderTests) {
  test::TempDir dir;
  test::WriteBytes(dir.path() / "file.txt", "x");
  std::filesystem::create_directory(dir.path() / "sub");
  const std::u16string sep(PathSeparator());
  struct Case {
    std::u16string path;
    bool file;
    bool folder;
  };
  const Case cases[] = {
      {dir / "file.txt", true, false},
      {dir / "sub", false, true},
      {dir / "sub" + sep, false, true},
      {dir / "missing.txt", false, false},
      {dir / "missing" + sep + u"file.txt", false, false},
      {dir / "file.txt" + sep + u"below", false, false},
      {u"", false, false},
      {dir / "file.txt" + std::u16string(1, u'\0') + u"x", false, false},  // a NUL names nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileExists(c.path), c.file) << test::S(c.path);
    EXPECT_EQ(FolderExists(c.path), c.folder) << test::S(c.path);
  }
}

TEST(FileSystemTest, DeleteRemovesOnlyFiles) {
  test::TempDir dir;
  test::WriteBytes(dir.path() / "ASIGNOMT.DBF", "x");
  std::filesystem::create_directory(dir.path() / "sub");
  EXPECT_TRUE(RemoveFile(dir / "ASIGNOMT.DBF"));
  EXPECT_FALSE(FileExists(dir / "ASIGNOMT.DBF"));
  EXPECT_FALSE(RemoveFile(dir / "ASIGNOMT.DBF"));
  EXPECT_FALSE(RemoveFile(dir / "sub"));
  EXPECT_TRUE(FolderExists(dir / "sub"));
}

TEST(FileSystemTest, AbsolutePathAndCurrentDirectory) {
  const std::u16string here = CurrentDirectory();
  ASSERT_FALSE(here.empty());
  EXPECT_EQ(AbsolutePath(here), here);
  const std::u16string separator(IsPathSeparator(here.back()) ? u"" : PathSeparator());
  EXPECT_EQ(AbsolutePath(u"a.txt"), here + separator + u"a.txt");
  EXPECT_TRUE(FolderExists(here));
}

TEST(FileSystemTest, ReplaceFileCreatesAndReplaces) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  ReplaceFileBytes(path, "first");
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "first");
  ReplaceFileBytes(path, std::string(300 * 1024, 'z'));  // longer than one write buffer
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), std::string(300 * 1024, 'z'));
  ReplaceFileBytes(path, "");
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "");
  EXPECT_EQ(EntryCount(dir), 1) << "no temporary file is left behind";
}

TEST(FileSystemTest, ReplacerWithoutCommitLeavesTheOldFile) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  test::WriteBytes(test::ToPath(path), "old");
  {
    FileReplacement out;
    ASSERT_TRUE(out.Begin(path).ok());
    ASSERT_TRUE(out.Write(std::string(200 * 1024, 'n')).ok());
    EXPECT_EQ(EntryCount(dir), 2) << "the new text goes to a file of its own";
    EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old");
  }
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old");
  EXPECT_EQ(EntryCount(dir), 1);
}

TEST(FileSystemTest, TemporaryFileHasARecognisableName) {
  test::TempDir dir;
  const std::u16string path = dir / "out.txt";
  FileReplacement out;
  ASSERT_TRUE(out.Begin(path).ok());
  std::string name;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    name = entry.path().filename().string();
  }
  EXPECT_TRUE(name.starts_with(".out.txt.tpd-")) << name;
  EXPECT_TRUE(name.ends_with(".tmp")) << name;
}

TEST(FileSystemTest, TemporaryNamesAreRecognised) {
  struct Case {
    std::u16string entry;
    std::u16string_view name;
    bool temporary;
  };
  const Case cases[] = {
      {TemporaryName(u"SOLUC.DBF", 1234, 5), u"SOLUC.DBF", true},
      {TemporaryName(u"soluc.dbf", 1, 0), u"SOLUC.DBF", true},  // letter case ignored
      {u".DRUV_HORARIO.TXT.tpd-a1B2c3.tmp", u"DRUV_HORARIO.TXT", true},
      {TemporaryName(u"SOLUCX.DBF", 1, 0), u"SOLUC.DBF", false},
      {TemporaryName(u"SOLUC.DBF.tpd-1-0", 1, 0), u"SOLUC.DBF", false},  // another target's
      {u".SOLUC.DBF.tpd-.tmp", u"SOLUC.DBF", false},
      {u"SOLUC.DBF", u"SOLUC.DBF", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsTemporaryOf(c.entry, c.name), c.temporary) << test::S(c.entry);
  }
}

TEST(FileSystemTest, LeftoversOfCutShortReplacementsAreRemoved) {
  test::TempDir dir;
  const std::u16string path = dir / "out.txt";
  test::WriteBytes(dir.path() / ".out.txt.tpd-a1B2c3.tmp", "left by a crash");
  test::WriteBytes(dir.path() / ".other.txt.tpd-a1B2c3.tmp", "another file's");
  test::WriteBytes(dir.path() / ".out.txt.tpd-a1B2c3.tmp.keep", "not ours");
  {
    FileReplacement busy;  // a replacement still under way
    ASSERT_TRUE(busy.Begin(path).ok());
    ASSERT_TRUE(busy.Write("half").ok());
    ReplaceFileBytes(path, "done");
    EXPECT_EQ(EntryCount(dir), 4) << "the one under way stays";
  }
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "done");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / ".out.txt.tpd-a1B2c3.tmp"));
  EXPECT_EQ(EntryCount(dir), 3);
}

TEST(FileSystemTest, ReplaceInMissingFolderNamesThePath) {
  test::TempDir dir;
  const std::u16string path = dir / "missing" + std::u16string(PathSeparator()) + u"OUT.TXT";
  try {
    ReplaceFileBytes(path, "x");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    const std::u16string start = u"Cannot create file \"" + path + u"\". ";
    EXPECT_EQ(e.text().substr(0, start.size()), start);
    EXPECT_GT(e.text().size(), start.size()) << "the system's text for the cause follows";
  }
  EXPECT_FALSE(FolderExists(dir / "missing"));
}

TEST(FileSystemTest, ReaderAdmitsOtherReaders) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  test::WriteBytes(test::ToPath(path), "a\r\nb\r\n");
  LineReader first(path);
  LineReader second(path);
  EXPECT_EQ(first.ReadLine(), u"a");
  EXPECT_EQ(second.ReadLine(), u"a");
  EXPECT_EQ(ReadWholeFile(path).size(), 2u);
  EXPECT_TRUE(FileExists(path));
}

TEST(FileSystemTest, ReadErrorTexts) {
  EXPECT_EQ(ReadErrorText(InputFile::kHeldByWriter), u"I/O error 32");
  test::TempDir dir;
  InputFile missing(dir / "none.txt");
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(ReadErrorText(missing.error()), u"File not found");
  InputFile folder(dir.u16());
  EXPECT_FALSE(folder.ok());
  EXPECT_EQ(ReadErrorText(folder.error()), u"File access denied");
}

TEST(FileSystemTest, LongPaths) {
  test::TempDir dir;
  std::u16string folder = dir.u16();
  std::filesystem::path native = dir.path();
  while (folder.size() < 300) {
    native /= std::string(40, 'd');
    std::filesystem::create_directory(native);
    folder += std::u16string(PathSeparator()) + std::u16string(40, u'd');
  }
  const std::u16string path = folder + std::u16string(PathSeparator()) + u"DRUV_HORARIO.TXT";
  WriteLines(path, {u"0DRUV_HORARIO.TXT"});
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_EQ(ReadWholeFile(path), std::vector<std::u16string>{u"0DRUV_HORARIO.TXT"});
  LineReader reader(path);
  EXPECT_EQ(reader.ReadLine(), u"0DRUV_HORARIO.TXT");
  reader.Close();
  EXPECT_TRUE(RemoveFile(path));
}

}  // namespace
}  // namespace tpd
