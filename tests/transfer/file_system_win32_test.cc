// What only Windows needs: share modes between handles, the read-only mark, devices that are not
// files, and the int lengths of the system's code-page conversions.
#include <windows.h>

#include <climits>
#include <filesystem>
#include <memory>

#include "tests/support/test_support.h"
#include "transfer/codepage.h"
#include "transfer/file_system.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

int EntryCount(const std::filesystem::path& dir) {
  int count = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

// Another program has the file open for writing and lets others read and write it too.
class HeldForWriting {
 public:
  explicit HeldForWriting(const std::u16string& path)
      : handle_(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldForWriting() {
    if (held()) CloseHandle(handle_);
  }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// A device (NUL, also as NUL.TXT) or a pipe where a transfer file should be is refused at once on
// both routes, as the POSIX build refuses anything that is not a plain file, instead of being read
// as an empty file or waited on for input.
TEST(InputFileTest, DevicesAndPipesAreRefused) {
  test::TempDir dir;
  const std::u16string denied = SystemErrorText(ERROR_ACCESS_DENIED);
  for (const std::u16string& path : {dir / "NUL", dir / "nul.txt"}) {
    EXPECT_ERROR_TEXT(LineReader reader(path), u"File access denied");
    EXPECT_ERROR_TEXT(ReadWholeFile(path), u"Cannot open file \"" + path + u"\". " + denied);
  }
  // A pipe that no one writes into: only opened here, so that a reader that took it would not
  // wait for ever. Every open takes an instance of its own.
  const std::u16string pipe = u"\\\\.\\pipe\\tpd-druv_prof-" + IntToText(GetCurrentProcessId());
  auto instance = [&] {
    return CreateNamedPipeW(Wide(pipe).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                            PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
  };
  HANDLE first = instance();
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  InputFile file(pipe);
  EXPECT_EQ(file.error(), ERROR_ACCESS_DENIED);
  HANDLE second = instance();
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_ERROR_TEXT(LineReader reader(pipe), u"File access denied");
  CloseHandle(first);
  CloseHandle(second);
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
                                               SystemErrorText(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadWholeFile(path).size(), 1u) << "readable again once the writer is gone";
}

TEST(SharingTest, ReaderKeepsWritersOut) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  test::WriteBytes(test::ToPath(path), "x\r\n");
  LineReader reader(path);
  HeldForWriting writer(path);
  EXPECT_FALSE(writer.held());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST(ReplaceFailureTest, ReadOnlyTargetKeepsTheOldFile) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  test::WriteBytes(test::ToPath(path), "old");
  ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_ERROR_TEXT(WriteLines(path, {u"new"}), u"Cannot create file \"" + path + u"\". " +
                                                    SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old");
  EXPECT_EQ(EntryCount(dir.path()), 1);
  SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ReplaceFailureTest, TargetBeingReadKeepsTheOldFile) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  test::WriteBytes(test::ToPath(path), "old\r\n");
  {
    LineReader reader(path);
    try {
      WriteLines(path, {u"new"});
      ADD_FAILURE() << "replaced a file that is being read";
    } catch (const Error& e) {
      const std::u16string start = u"Cannot create file \"" + path + u"\". ";
      EXPECT_EQ(e.text().substr(0, start.size()), start);
    }
    EXPECT_EQ(reader.ReadLine(), u"old");
  }
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old\r\n");
  EXPECT_EQ(EntryCount(dir.path()), 1);
  WriteLines(path, {u"new"});
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "new\r\n");
}

TEST(FileSystemWin32Test, NamesIgnoreCaseAndBothSeparatorsWork) {
  test::TempDir dir;
  test::WriteBytes(dir.path() / "DRUV_PROF.TXT", "1\r\n");
  EXPECT_TRUE(FileExists(dir / "druv_prof.txt"));
  EXPECT_TRUE(FileExists(dir.u16() + u"/DRUV_PROF.TXT"));
  EXPECT_ERROR_TEXT(LineReader reader(dir / "missing" + u"\\x.txt"), u"Path not found");
}

// The system's code-page conversions count in an int: a longer text is an Error, never a text cut
// short. The texts are left unwritten: a conversion that refuses them reads none of it.
TEST(CodePageWin32Test, TextsLongerThanTheConversionsCountAreRefused) {
  const std::size_t too_long = std::size_t{INT_MAX} + 1;
  const std::unique_ptr<char[]> bytes(new char[too_long]);
  const std::unique_ptr<char16_t[]> text(new char16_t[too_long]);
  const std::u16string decode = u"Text too long to decode: 2147483648 bytes";
  const std::u16string encode = u"Text too long to encode: 2147483648 characters";
  EXPECT_ERROR_TEXT(DecodeAnsi(std::string_view(bytes.get(), too_long)), decode);
  EXPECT_ERROR_TEXT(DecodeCodePage(850, std::string_view(bytes.get(), too_long)), decode);
  EXPECT_ERROR_TEXT(EncodeAnsi(std::u16string_view(text.get(), too_long)), encode);
  EXPECT_ERROR_TEXT(EncodeCodePage(850, std::u16string_view(text.get(), too_long)), encode);
}

}  // namespace
}  // namespace tpd
