// Reading and writing transfer files.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/file_system.h"
#include "transfer/replace_file.h"

namespace tpd {

// Line-by-line reading: streaming, one line in memory. Bytes are decoded with the system code
// page; no byte-order mark is looked for. A line ends at LF or CR LF (consumed); a CR not followed
// by LF is dropped and the line goes on; byte 26 (Ctrl-Z) ends the file; other control characters,
// NUL included, are ordinary. The last line needs no line end; an empty file gives no line.
// Others may read the file meanwhile but not write it.
class LineReader {
 public:
  // Throws Error "I/O error %d" (a few errors have texts of their own) when the file cannot be
  // opened.
  explicit LineReader(const std::u16string& path);
  ~LineReader();
  bool AtEnd();               // may read ahead; throws "I/O error %d" on a read failure
  std::u16string ReadLine();  // the next line without its line end; empty at the end
  // The same into `line`, whose memory serves again for line after line.
  void ReadLine(std::u16string& line);
  void Close();               // releases the file; the reader is then at its end

 private:
  void ReadLineInto(std::u16string& line);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Both readers turn running out of memory (a line or a file too large) into Error "Cannot read
// file "%s". Not enough memory".

// Whole-file reading: the file is read to its end and closed. A byte-order mark chooses the
// encoding (EF BB BF UTF-8, strict; FF FE UTF-16LE; FE FF UTF-16BE), else the system code page.
// Lines end at CR LF, CR or LF; a NUL ends the text; a final line end adds no empty line; Ctrl-Z is
// an ordinary character. Errors: "Cannot open file "%s". %s" and "No mapping for the Unicode
// character exists in the target multi-byte code page".
std::vector<std::u16string> ReadWholeFile(const std::u16string& path);
// The same from bytes already in memory (tests, fuzzing).
std::vector<std::u16string> SplitWholeFile(std::string_view bytes);
// ReadWholeFile's lines handed to `each` one at a time, so that a large file is never held as a
// list of lines; `each` returns false to stop. A file with a byte-order mark is decoded whole
// before the first line (so one that does not decode gives none); one without is read piece by
// piece, and a read error after some lines stops with the same error.
void ForEachLineOfWholeFile(const std::u16string& path,
                            const std::function<bool(std::u16string_view)>& each);
// ForEachLineOfWholeFile's reading of `bytes` taken in pieces of `piece_size` (tests, fuzzing: it
// must give what SplitWholeFile gives for every piece size).
std::vector<std::u16string> SplitWholeFileInPieces(std::string_view bytes, std::size_t piece_size);

// Writing convention: every line followed by CR LF, encoded with the system code page, no BOM,
// replacing the file in one step (ReplaceFileBytes). An empty list gives an empty file.
void WriteLines(const std::u16string& path, const std::vector<std::u16string>& lines);
// The bytes that WriteLines would write.
std::string EncodeLines(const std::vector<std::u16string>& lines);
// Replaces the file at `path` with `bytes` (transfer/replace_file.h). On failure the old file
// stays as it was and Error "Cannot create file "%s". %s" is thrown: the path as given, then the
// system's text for the cause.
void ReplaceFileBytes(const std::u16string& path, std::string_view bytes);

// The same convention for a file made line by line: the lines are kept in memory as the file's
// bytes, and Commit replaces the file with them in one step (throwing "Cannot create file ..."
// when it cannot). Nothing touches `path` before Commit.
class LineWriter {
 public:
  explicit LineWriter(std::u16string path);
  void Add(std::u16string_view line);
  void Commit();

 private:
  std::u16string path_;
  // The bytes in pieces of about a megabyte: the memory grows with the file and is never copied.
  std::vector<std::string> pieces_;
};

}  // namespace tpd
