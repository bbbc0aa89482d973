#include "transfer/transfer_file.h"

#include "transfer/codepage.h"
#include "transfer/error.h"

namespace tpd {

namespace {

// Line-by-line reading keeps one buffer of the file and one line in memory.
constexpr std::size_t kReadBufferSize = 64 * 1024;

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

[[noreturn]] void ThrowOpenError(const std::u16string& path, int error) {
  throw Error(Subst(u"Cannot open file \"%s\". %s", {path, OpenErrorCause(error)}));
}

}  // namespace

// ---- LineReader ----

struct LineReader::Impl {
  explicit Impl(const std::u16string& path) : file(path), buffer(kReadBufferSize, '\0') {}

  InputFile file;
  std::string buffer;
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
  Impl& in = *impl_;
  std::string line;
  while (!in.AtEnd()) {
    // The bytes up to the next line break or Ctrl-Z (or the end of the buffer) go in at once.
    const char* begin = in.buffer.data() + in.position;
    const char* end = in.buffer.data() + in.filled;
    const char* stop = begin;
    while (stop != end && *stop != kLineFeed && *stop != kCarriageReturn && *stop != kEndOfFile) {
      ++stop;
    }
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
  return DecodeAnsi(line);
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

std::vector<std::u16string> SplitText(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kLineFeed16 && text[i] != kCarriageReturn16) continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == kCarriageReturn16 && i + 1 < text.size() && text[i + 1] == kLineFeed16) ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::vector<std::u16string> SplitWholeFile(std::string_view bytes) {
  return SplitText(DecodeWholeFile(bytes));
}

std::vector<std::u16string> ReadWholeFile(const std::u16string& path) {
  InputFile file(path);
  if (!file.ok()) ThrowOpenError(path, file.error());
  std::string bytes;
  std::string piece(kReadBufferSize, '\0');
  while (std::size_t count = file.Read(piece.data(), piece.size())) bytes.append(piece, 0, count);
  if (!file.ok()) ThrowOpenError(path, file.error());
  file.Close();
  // The bytes go before the lines are made: a large file is then held twice, not three times.
  const std::u16string text = DecodeWholeFile(bytes);
  std::string().swap(bytes);
  return SplitText(text);
}

// ---- Writing ----

namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

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

LineWriter::LineWriter(const std::u16string& path) : out_(path) {}

void LineWriter::Add(std::u16string_view line) {
  out_.Write(EncodeAnsi(line));
  out_.Write(kLineEnd);
}

void LineWriter::Commit() { out_.Commit(); }

}  // namespace tpd
