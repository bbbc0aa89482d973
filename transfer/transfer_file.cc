#include "transfer/transfer_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>

#include "transfer/codepage.h"
#include "transfer/error.h"

namespace tpd {

namespace {

// Line-by-line reading keeps one buffer of the file and one line in memory.
constexpr std::size_t kReadBufferSize = 64 * 1024;
// A file made line by line is kept in pieces of this size.
constexpr std::size_t kLinePieceSize = 1 << 20;

// What ends every line written: CR LF.
constexpr std::string_view kLineEnd = "\r\n";

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfFile = 26;  // Ctrl-Z: nothing after it is read, line by line

constexpr char16_t kLineFeed16 = u'\n';
constexpr char16_t kCarriageReturn16 = u'\r';

// Byte-order marks that whole-file reading looks for, in the order they are tested.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

constexpr char16_t kNoMapping[] =
    u"No mapping for the Unicode character exists in the target multi-byte code page";

[[noreturn]] void ThrowReadError(int error) { throw Error(ReadErrorText(error)); }

// The first line feed, carriage return or Ctrl-Z in [p, end), or end. All three are below 0x1B,
// and so are few other bytes of a text: eight bytes at a time are passed over while none of them
// is below it, and only a word that has one is looked at byte by byte.
const char* FindLineStop(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  for (;;) {
    for (; end - p >= 8; p += 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if (((word - kOnes * 0x1B) & ~word & kHighBits) != 0) break;  // a byte below 0x1B
    }
    const char* const word_end = end - p >= 8 ? p + 8 : end;
    for (; p != word_end; ++p) {
      if (*p == kLineFeed || *p == kCarriageReturn || *p == kEndOfFile) return p;
    }
    if (p == end) return end;
  }
}

[[noreturn]] void ThrowOpenError(const std::u16string& path, int error) {
  throw Error(Subst(u"Cannot open file \"%s\". %s", {path, OpenErrorCause(error)}));
}

// A line or a file too large for the memory at hand stops the run naming the file, never with the
// bare text of the allocator's failure.
[[noreturn]] void ThrowOutOfMemory(const std::u16string& path) {
  throw Error(Subst(u"Cannot read file \"%s\". Not enough memory", {path}));
}

}  // namespace

// ---- LineReader ----

struct LineReader::Impl {
  explicit Impl(const std::u16string& path)
      : path(path), file(path), buffer(kReadBufferSize, '\0') {}

  std::u16string path;  // for the error texts
  InputFile file;
  std::string buffer;
  std::string line;  // the bytes of the line being read, in memory kept from line to line
  std::size_t position = 0;
  std::size_t filled = 0;
  bool ended = false;  // no byte left, a Ctrl-Z met, or closed

  // True when a byte is waiting in the buffer; reads the next piece when it has run dry.
  bool Available() {
    if (position < filled) return true;
    if (ended) return false;
    filled = file.Read(buffer.data(), buffer.size());
    position = 0;
    if (filled == 0) {
      if (!file.ok()) ThrowReadError(file.error());
      ended = true;
    }
    return filled > 0;
  }

  bool AtEnd() {
    if (!Available()) return true;
    if (buffer[position] != kEndOfFile) return false;
    ended = true;  // and the rest of the file is never read
    filled = position;
    return true;
  }
};

LineReader::LineReader(const std::u16string& path) : impl_(std::make_unique<Impl>(path)) {
  if (!impl_->file.ok()) ThrowReadError(impl_->file.error());
}

LineReader::~LineReader() = default;

bool LineReader::AtEnd() { return impl_->AtEnd(); }

std::u16string LineReader::ReadLine() {
  std::u16string line;
  ReadLine(line);
  return line;
}

void LineReader::ReadLine(std::u16string& text) {
  try {
    ReadLineInto(text);
  } catch (const std::bad_alloc&) {
    ThrowOutOfMemory(impl_->path);
  }
}

void LineReader::ReadLineInto(std::u16string& text) {
  Impl& in = *impl_;
  text.clear();
  // Most lines lie whole in the buffer and end at LF or CR LF there: they are decoded where they
  // are. Any other line's bytes are gathered whole before they are decoded: a character of
  // several bytes may straddle two pieces of the file.
  if (!in.AtEnd()) {
    const char* begin = in.buffer.data() + in.position;
    const char* end = in.buffer.data() + in.filled;
    const char* stop = FindLineStop(begin, end);
    if (stop != end && (*stop == kLineFeed ||
                        (*stop == kCarriageReturn && end - stop >= 2 && stop[1] == kLineFeed))) {
      AppendDecodedAnsi(std::string_view(begin, static_cast<std::size_t>(stop - begin)), text);
      in.position += static_cast<std::size_t>(stop - begin) + (*stop == kLineFeed ? 1 : 2);
      return;
    }
  }
  std::string& line = in.line;
  line.clear();
  while (!in.AtEnd()) {
    // The bytes up to the next line break or Ctrl-Z (or the end of the buffer) go in at once.
    const char* begin = in.buffer.data() + in.position;
    const char* end = in.buffer.data() + in.filled;
    const char* stop = FindLineStop(begin, end);
    line.append(begin, stop);
    in.position += static_cast<std::size_t>(stop - begin);
    if (stop == end || *stop == kEndOfFile) continue;  // AtEnd refills the buffer or ends
    const char c = in.buffer[in.position++];
    if (c == kLineFeed) break;
    // CR LF ends the line; a CR alone is dropped and the line goes on.
    if (in.Available() && in.buffer[in.position] == kLineFeed) {
      ++in.position;
      break;
    }
  }
  AppendDecodedAnsi(line, text);
}

void LineReader::Close() {
  impl_->file.Close();
  impl_->position = impl_->filled = 0;
  impl_->ended = true;
}

// ---- Whole-file reading ----

namespace {

// The text of a whole file: its byte-order mark decides the encoding, and a NUL ends it.
std::u16string DecodeWholeFile(std::string_view bytes) {
  std::u16string text;
  if (bytes.starts_with(kUtf8Mark)) {
    if (!DecodeUtf8Strict(bytes.substr(kUtf8Mark.size()), text)) throw Error(kNoMapping);
  } else if (bytes.starts_with(kUtf16LittleMark)) {
    text = DecodeUtf16(bytes.substr(kUtf16LittleMark.size()), false);
  } else if (bytes.starts_with(kUtf16BigMark)) {
    text = DecodeUtf16(bytes.substr(kUtf16BigMark.size()), true);
  } else {
    text = DecodeAnsi(bytes);
  }
  // A NUL ends the text.
  std::size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

// Calls `each` with every line of `text`; false from `each` stops.
template <typename Each>
void ForEachLineOfText(std::u16string_view text, Each&& each) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kLineFeed16 && text[i] != kCarriageReturn16) continue;
    if (!each(text.substr(start, i - start))) return;
    if (text[i] == kCarriageReturn16 && i + 1 < text.size() && text[i + 1] == kLineFeed16) ++i;
    start = i + 1;
  }
  if (start < text.size()) each(text.substr(start));
}

std::vector<std::u16string> SplitText(std::u16string_view text) {
  std::vector<std::u16string> lines;
  ForEachLineOfText(text, [&](std::u16string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

bool StartsWithMark(std::string_view bytes) {
  return bytes.starts_with(kUtf8Mark) || bytes.starts_with(kUtf16LittleMark) ||
         bytes.starts_with(kUtf16BigMark);
}

}  // namespace

std::vector<std::u16string> SplitWholeFile(std::string_view bytes) {
  return SplitText(DecodeWholeFile(bytes));
}

namespace {

// The lines of a whole file whose bytes come from `read` (a count, 0 at the end; it throws on a
// failure) in pieces of up to `piece_size`.
template <typename Read>
void ForEachLineOfPieces(Read read, std::size_t piece_size,
                         const std::function<bool(std::u16string_view)>& each) {
  std::string piece(piece_size, '\0');
  // Enough of the start of the file to tell whether it begins with a byte-order mark.
  std::string bytes;
  while (bytes.size() < kUtf8Mark.size()) {
    const std::size_t count = read(piece.data(), piece.size());
    if (count == 0) break;
    bytes.append(piece, 0, count);
  }

  if (StartsWithMark(bytes)) {
    // Decoded whole, so that a file that does not decode gives no line at all.
    while (std::size_t count = read(piece.data(), piece.size())) bytes.append(piece, 0, count);
    const std::u16string text = DecodeWholeFile(bytes);
    std::string().swap(bytes);
    ForEachLineOfText(text, each);
    return;
  }

  // The system code page: CR, LF and NUL are single bytes that no other byte decodes to, so the
  // lines can be cut from the bytes as they are read, each decoded alone, giving what decoding
  // the whole text and then cutting it gives. `bytes` holds from `start` a line not yet ended,
  // looked through up to `scan`; a CR that ends what has been read waits for the next piece,
  // which may begin with the LF that belongs to it.
  bool at_end = false;
  std::size_t start = 0;
  std::size_t scan = 0;
  for (;;) {
    std::size_t i = scan;
    while (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r' && bytes[i] != '\0') ++i;
    if (i < bytes.size() && bytes[i] == '\0') {  // a NUL ends the text
      bytes.resize(i);
      at_end = true;
    }
    if (i < bytes.size() && (bytes[i] == '\n' || i + 1 < bytes.size() || at_end)) {
      if (!each(DecodeAnsi(std::string_view(bytes).substr(start, i - start)))) return;
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      start = scan = i + 1;
      continue;
    }
    if (at_end) {
      if (start < bytes.size()) each(DecodeAnsi(std::string_view(bytes).substr(start)));
      return;
    }
    bytes.erase(0, start);
    scan = i - start;
    start = 0;
    const std::size_t count = read(piece.data(), piece.size());
    if (count == 0) {
      at_end = true;
    } else {
      bytes.append(piece, 0, count);
    }
  }
}

}  // namespace

void ForEachLineOfWholeFile(const std::u16string& path,
                            const std::function<bool(std::u16string_view)>& each) {
  InputFile file(path);
  if (!file.ok()) ThrowOpenError(path, file.error());
  auto read = [&](char* buffer, std::size_t size) {
    const std::size_t count = file.Read(buffer, size);
    if (count == 0 && !file.ok()) ThrowOpenError(path, file.error());
    return count;
  };
  try {
    ForEachLineOfPieces(read, kReadBufferSize, each);
  } catch (const std::bad_alloc&) {
    ThrowOutOfMemory(path);
  }
}

std::vector<std::u16string> SplitWholeFileInPieces(std::string_view bytes,
                                                   std::size_t piece_size) {
  auto read = [&](char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, bytes.size());
    std::copy_n(bytes.data(), count, buffer);
    bytes.remove_prefix(count);
    return count;
  };
  std::vector<std::u16string> lines;
  ForEachLineOfPieces(read, piece_size == 0 ? 1 : piece_size, [&](std::u16string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

std::vector<std::u16string> ReadWholeFile(const std::u16string& path) {
  std::vector<std::u16string> lines;
  ForEachLineOfWholeFile(path, [&](std::u16string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

// ---- Writing ----

std::string EncodeLines(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const std::u16string& line : lines) {
    out += EncodeAnsi(line);
    out += kLineEnd;
  }
  return out;
}

void WriteLines(const std::u16string& path, const std::vector<std::u16string>& lines) {
  ReplaceFileBytes(path, EncodeLines(lines));
}

namespace {

[[noreturn]] void ThrowCreateError(const std::u16string& path, const FileStatus& status) {
  throw Error(Subst(u"Cannot create file \"%s\". %s", {path, SystemErrorText(status.code)}));
}

}  // namespace

void ReplaceFileBytes(const std::u16string& path, std::string_view bytes) {
  FileReplacement out;
  FileStatus status = out.Begin(path);
  if (status.ok()) status = out.Write(bytes);
  if (status.ok()) status = out.Commit();
  if (!status.ok()) ThrowCreateError(path, status);
}

LineWriter::LineWriter(std::u16string path) : path_(std::move(path)) {}

void LineWriter::Add(std::u16string_view line) {
  if (pieces_.empty() || pieces_.back().size() >= kLinePieceSize) {
    pieces_.emplace_back().reserve(kLinePieceSize + line.size() + kLineEnd.size());
  }
  AppendEncodedAnsi(line, pieces_.back());
  pieces_.back() += kLineEnd;
}

void LineWriter::Commit() {
  FileReplacement out;
  FileStatus status = out.Begin(path_);
  for (std::size_t i = 0; i < pieces_.size() && status.ok(); ++i) status = out.Write(pieces_[i]);
  if (status.ok()) status = out.Commit();
  if (!status.ok()) ThrowCreateError(path_, status);
}

}  // namespace tpd
