#include "transfer/transfer_file.h"

#include <string>
#include <vector>

#include "tests/support/memory_limit.h"
#include "tests/support/test_support.h"
#include "transfer/Clipper.h"
#include "transfer/codepage.h"

namespace tpd {
namespace {

using test::U;
using Lines = std::vector<std::u16string>;

Lines ReadByLines(const std::u16string& path) {
  LineReader reader(path);
  Lines lines;
  while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
  reader.Close();
  return lines;
}

// The same through one line kept from line to line, as the export steps read.
Lines ReadIntoOneLine(const std::u16string& path) {
  LineReader reader(path);
  Lines lines;
  std::u16string line = u"left over from before";
  while (!reader.AtEnd()) {
    reader.ReadLine(line);
    lines.push_back(line);
  }
  return lines;
}

std::string Bytes(const char* text, std::size_t size) { return std::string(text, size); }

// The same bytes through both routes: line by line (each line given as its bytes in the system
// code page, for no mark is looked for) and whole.
TEST(TransferFileTest, LineEndsControlCharactersAndMarks) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> by_line;
    Lines whole;
  };
  const Case cases[] = {
      {"empty", "", {}, {}},
      {"one line, no end", "abc", {"abc"}, {u"abc"}},
      {"CR LF at the end adds no line", "a\r\nb\r\n", {"a", "b"}, {u"a", u"b"}},
      {"LF", "a\nb\n", {"a", "b"}, {u"a", u"b"}},
      {"a lone line end", "\r\n", {""}, {u""}},
      {"empty line in the middle", "a\r\n\r\nb", {"a", "", "b"}, {u"a", u"", u"b"}},
      {"CR alone", "A\rB\r\n", {"AB"}, {u"A", u"B"}},
      {"CR CR LF", "A\r\r\nB", {"A", "B"}, {u"A", u"", u"B"}},
      {"LF CR", "A\n\rB", {"A", "B"}, {u"A", u"", u"B"}},
      {"CR at the very end", "A\r", {"A"}, {u"A"}},
      {"Ctrl-Z after the last line", "a\r\n\x1A", {"a"}, {u"a", u"\x1A"}},
      {"Ctrl-Z mid-line", "ab\x1A" "cd\r\nef", {"ab"}, {u"ab\x1A" u"cd", u"ef"}},
      {"Ctrl-Z first", "\x1A" "abc", {}, {u"\x1A" u"abc"}},
      {"CR then Ctrl-Z", "a\r\x1A" "b", {"a"}, {u"a", u"\x1A" u"b"}},
      {"NUL", Bytes("a\0b\r\nc", 6), {Bytes("a\0b", 3), "c"}, {u"a"}},
      {"NUL first", Bytes("\0\r\nc", 4), {Bytes("\0", 1), "c"}, {}},
      {"tabs and blanks are kept", " \ta \r\n", {" \ta "}, {u" \ta "}},
      {"long lines with a tab and a CR alone", "abcdefgh\tijklmnop\rqrstuvwx\r\nyz",
       {"abcdefgh\tijklmnopqrstuvwx", "yz"}, {u"abcdefgh\tijklmnop", u"qrstuvwx", u"yz"}},
      {"Ctrl-Z inside a long line", "0123456789ab\x1A" "cdef\r\nxyz", {"0123456789ab"},
       {u"0123456789ab\x1A" u"cdef", u"xyz"}},
      {"a long line after an empty one", "\n0123456789abcdefghij\n", {"", "0123456789abcdefghij"},
       {u"", u"0123456789abcdefghij"}},
      {"Windows-1252", "\xD1" "and\xFA\x81", {"\xD1" "and\xFA\x81"}, {U("Ñandú\xC2\x81")}},
      {"UTF-8 mark", "\xEF\xBB\xBF" "0X\xC3\xB1\r\n", {"\xEF\xBB\xBF" "0X\xC3\xB1"}, {U("0Xñ")}},
      {"UTF-8 mark only", "\xEF\xBB\xBF", {"\xEF\xBB\xBF"}, {}},
      {"UTF-16 LE mark", Bytes("\xFF\xFE" "0\0\xF1\0\r\0\n\0" "1\0", 12),
       {Bytes("\xFF\xFE" "0\0\xF1\0\0", 7), Bytes("\0" "1\0", 3)}, {u"0\u00F1", u"1"}},
      {"UTF-16 BE mark", Bytes("\xFE\xFF\0" "0\0\n\0" "1", 8),
       {Bytes("\xFE\xFF\0" "0\0", 5), Bytes("\0" "1", 2)}, {u"0", u"1"}},
      {"UTF-16 odd final byte", Bytes("\xFF\xFE" "A\0B", 5), {Bytes("\xFF\xFE" "A\0B", 5)},
       {u"A\uFFFD"}},
  };
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(test::ToPath(path), c.bytes);
    Lines by_line;
    for (const std::string& line : c.by_line) by_line.push_back(DecodeAnsi(line));
    EXPECT_EQ(ReadByLines(path), by_line);
    EXPECT_EQ(ReadIntoOneLine(path), by_line);
    EXPECT_EQ(ReadWholeFile(path), c.whole);
    EXPECT_EQ(SplitWholeFile(c.bytes), c.whole);
    // Read piece by piece, a line end, a mark or a NUL may fall across two pieces.
    for (std::size_t piece : {1, 2, 3, 5}) {
      EXPECT_EQ(SplitWholeFileInPieces(c.bytes, piece), c.whole) << "pieces of " << piece;
    }
  }
}

// The lines handed out one at a time stop when asked to, and a file without a mark is not read
// further than the line that stopped them.
TEST(TransferFileTest, EachLineOfWholeFileStopsWhenAsked) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_asignat.txt";
  std::string bytes = "first\r\n0second\r\nthird\r\n";
  test::WriteBytes(test::ToPath(path), bytes);
  Lines seen;
  ForEachLineOfWholeFile(path, [&](std::u16string_view line) {
    seen.emplace_back(line);
    return line.empty() || line[0] != u'0';
  });
  EXPECT_EQ(seen, (Lines{u"first", u"0second"}));

  test::WriteBytes(test::ToPath(path), "\xEF\xBB\xBF" + bytes);
  seen.clear();
  ForEachLineOfWholeFile(path, [&](std::u16string_view line) {
    seen.emplace_back(line);
    return false;
  });
  EXPECT_EQ(seen, (Lines{u"first"}));
}

// Lines longer than the read buffer, and line ends split across two reads.
TEST(TransferFileTest, LinesAcrossReadBuffers) {
  const std::size_t kBuffer = 64 * 1024;
  const std::string long_line(3 * kBuffer + 17, 'x');
  std::string bytes = long_line + "\r\n";
  bytes.append(kBuffer - bytes.size() % kBuffer - 1, 'y');  // the next CR is a buffer's last byte
  bytes += "\r\nz\r";  // ... and its LF the next buffer's first
  bytes.append(kBuffer - bytes.size() % kBuffer, 'w');
  bytes += "\x1A" "never";

  test::TempDir dir;
  const std::u16string path = dir / "big.txt";
  test::WriteBytes(test::ToPath(path), bytes);
  const Lines lines = ReadByLines(path);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::u16string(long_line.size(), u'x'));
  EXPECT_EQ(lines[1], std::u16string(kBuffer - (long_line.size() + 2) % kBuffer - 1, u'y'));
  EXPECT_EQ(lines[2].substr(0, 2), u"zw");
  EXPECT_EQ(lines[2].find(u'\r'), std::u16string::npos);
  EXPECT_EQ(ReadIntoOneLine(path), lines);
  // Whole-file reading takes the same file in pieces as well.
  EXPECT_EQ(ReadWholeFile(path), SplitWholeFile(bytes));
}

TEST(TransferFileTest, ReaderStaysAtItsEnd) {
  test::TempDir dir;
  const std::u16string path = dir / "a.txt";
  test::WriteBytes(test::ToPath(path), "one\x1A" "two\r\n");
  LineReader reader(path);
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), u"one");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), u"");
  EXPECT_TRUE(reader.AtEnd());
  reader.Close();
  EXPECT_TRUE(reader.AtEnd());
}

TEST(TransferFileTest, HeaderAndTrailerOnlyGiveNoDataRecord) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_asignat.txt";
  test::WriteBytes(test::ToPath(path),
                   "0DRUV_ASIGNAT.TXT                                  12345678\r\n"
                   "9DRUV_ASIGNAT.TXT                                  \r\n");
  for (const Lines& lines : {ReadByLines(path), ReadWholeFile(path)}) {
    ASSERT_EQ(lines.size(), 2u);
    for (const std::u16string& line : lines) EXPECT_FALSE(IsDataRecord(line, u"DRUV_ASIGNAT.TXT"));
  }
}

TEST(TransferFileTest, InvalidUtf8AfterMarkIsAnError) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_sesiones.txt";
  test::WriteBytes(test::ToPath(path), "\xEF\xBB\xBF" "0abc\r\n1\xD1" "and\xFA\r\n");
  const std::u16string text =
      u"No mapping for the Unicode character exists in the target multi-byte code page";
  EXPECT_ERROR_TEXT(ReadWholeFile(path), text);
  EXPECT_ERROR_TEXT(SplitWholeFile("\xEF\xBB\xBF\xC0\xAF"), text);
  // Without the mark the same bytes are Windows-1252 text.
  EXPECT_EQ(SplitWholeFile("1\xD1" "and\xFA").at(0), U("1Ñandú"));
}

TEST(TransferFileTest, MissingFileOnEachRoute) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_nada.txt";
  EXPECT_ERROR_TEXT(LineReader reader(path), u"File not found");
  EXPECT_ERROR_TEXT(ReadWholeFile(path), u"Cannot open file \"" + path + u"\". " +
                                             SystemErrorText(2));
}

// A line (or a file) larger than the memory at hand stops the reading naming the file, on both
// routes, never with the allocator's bare text.
TEST(TransferFileTest, RunningOutOfMemoryNamesTheFile) {
  test::TempDir dir;
  const std::u16string path = dir / "druv_prof.txt";
  test::WriteBytes(test::ToPath(path), "0header\r\n1" + std::string(400000, 'x') + "\r\n");
  const std::u16string text = u"Cannot read file \"" + path + u"\". Not enough memory";
  const test::MemoryLimit limit(300000);
  LineReader reader(path);
  EXPECT_EQ(reader.ReadLine(), u"0header");
  EXPECT_ERROR_TEXT(reader.ReadLine(), text);
  EXPECT_ERROR_TEXT(ReadWholeFile(path), text);
}

TEST(TransferFileTest, EncodeLinesEndsEveryLineWithCrLf) {
  const std::u16string line(71, u'A');
  EXPECT_EQ(EncodeLines({line, line}).size(), 146u);
  EXPECT_EQ(EncodeLines({}), "");
  EXPECT_EQ(EncodeLines({u""}), "\r\n");
  EXPECT_EQ(EncodeLines({U("1ñ€Ω"), u"x"}), "1\xF1\x80?\r\nx\r\n");
}

TEST(TransferFileTest, WriteLinesReplacesTheFileAndReadsBack) {
  test::TempDir dir;
  const std::u16string path = dir / "DRUV_HORARIO.TXT";
  test::WriteBytes(test::ToPath(path), std::string(1000, 'o'));
  const Lines lines = {u"0DRUV_HORARIO.TXT", U("1Lengua Castellana y Literatura ñ"), u""};
  WriteLines(path, lines);
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), EncodeLines(lines));
  EXPECT_EQ(ReadWholeFile(path), lines);
  EXPECT_EQ(ReadByLines(path), lines);

  WriteLines(path, {});
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "");
}

TEST(TransferFileTest, LineWriterWritesOnlyOnCommit) {
  test::TempDir dir;
  const std::u16string path = dir / "out.txt";
  test::WriteBytes(test::ToPath(path), "old\r\n");
  {
    LineWriter writer(path);
    for (int i = 0; i < 50000; ++i) writer.Add(u"line " + IntToText(i));
  }  // dropped without Commit
  EXPECT_EQ(test::ReadBytes(test::ToPath(path)), "old\r\n");
  {
    LineWriter writer(path);
    for (int i = 0; i < 50000; ++i) writer.Add(u"line " + IntToText(i));
    writer.Commit();
  }
  const Lines lines = ReadWholeFile(path);
  ASSERT_EQ(lines.size(), 50000u);
  EXPECT_EQ(lines.back(), u"line 49999");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace tpd
