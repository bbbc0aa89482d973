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

}  // namespace

std::u16string Copy(std::u16string_view text, int start, int count) {
  if (start < 1) start = 1;
  if (count < 0 || static_cast<std::size_t>(start) > text.size()) return {};
  return std::u16string(text.substr(static_cast<std::size_t>(start) - 1,
                                    static_cast<std::size_t>(count)));
}

std::u16string Field(std::u16string_view line, int start, int count) {
  return AllTrim(Copy(line, start, count));
}

std::u16string RTrim(std::u16string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == kBlank) --end;
  return std::u16string(text.substr(0, end));
}

std::u16string LTrim(std::u16string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] == kBlank) ++begin;
  return std::u16string(text.substr(begin));
}

std::u16string AllTrim(std::u16string_view text) { return LTrim(RTrim(text)); }

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
  std::u16string type = Copy(line, 1, 1);
  if (type.size() == 1 && (type[0] == kHeaderType || type[0] == kTrailerType)) return false;
  return RecordName(line) != record_name;
}

}  // namespace tpd
