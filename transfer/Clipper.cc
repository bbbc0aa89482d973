#include "transfer/Clipper.h"

#include "transfer/text.h"

namespace tpd {

namespace {

constexpr char16_t kBlank = u' ';
constexpr char16_t kHeaderType = u'0';
constexpr char16_t kTrailerType = u'9';

// Columns 2-51 of the header and trailer records hold the file's record name.
constexpr int kRecordNameColumn = 2;
constexpr int kRecordNameWidth = 50;

// The helpers below cut views and make one string at the end: they run for every field of every
// line of the transfer files.
std::u16string_view CopyView(std::u16string_view text, int start, int count) {
  if (start < 1) start = 1;
  if (count < 0 || static_cast<std::size_t>(start) > text.size()) return {};
  return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count));
}

std::u16string_view RTrimView(std::u16string_view text) {
  while (!text.empty() && text.back() == kBlank) text.remove_suffix(1);
  return text;
}

std::u16string_view LTrimView(std::u16string_view text) {
  while (!text.empty() && text.front() == kBlank) text.remove_prefix(1);
  return text;
}

}  // namespace

std::u16string Copy(std::u16string_view text, int start, int count) {
  return std::u16string(CopyView(text, start, count));
}

std::u16string Field(std::u16string_view line, int start, int count) {
  return std::u16string(FieldView(line, start, count));
}

std::u16string_view FieldView(std::u16string_view line, int start, int count) {
  return LTrimView(RTrimView(CopyView(line, start, count)));
}

std::u16string RTrim(std::u16string_view text) { return std::u16string(RTrimView(text)); }

std::u16string LTrim(std::u16string_view text) { return std::u16string(LTrimView(text)); }

std::u16string AllTrim(std::u16string_view text) {
  return std::u16string(LTrimView(RTrimView(text)));
}

std::u16string Iniciales(std::u16string_view text, std::u16string_view /*separator*/) {
  std::u16string out;
  for (std::size_t p = 0; p + 1 < text.size(); ++p) {
    if (text[p] == kBlank) out += text[p + 1];
  }
  return out;
}

std::u16string RecordName(std::u16string_view line) {
  return UpperAscii(Field(line, kRecordNameColumn, kRecordNameWidth));
}

bool IsDataRecord(std::u16string_view line, std::u16string_view record_name) {
  if (!line.empty() && (line[0] == kHeaderType || line[0] == kTrailerType)) return false;
  // RecordName(line) != record_name, without making the name.
  const std::u16string_view name = FieldView(line, kRecordNameColumn, kRecordNameWidth);
  if (name.size() != record_name.size()) return true;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != record_name[i]) return true;
  }
  return false;
}

}  // namespace tpd
