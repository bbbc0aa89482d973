#include "timetable/horario_record.h"

#include <array>

#include "transfer/Clipper.h"
#include "transfer/text.h"

namespace tpd {

void PutField(std::u16string& line, std::u16string_view value, int width) {
  line += value;
  const auto wanted = static_cast<std::size_t>(width);
  if (value.size() < wanted) line.append(wanted - value.size(), u' ');
}

namespace {

std::u16string ZeroFilled(int value, std::size_t width) {
  std::u16string digits = IntToText(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

std::u16string Frame(char16_t type, std::u16string_view centre, const LocalDateTime& t) {
  std::u16string line(1, type);
  PutField(line, kHorarioName, kRecordNameWidth);
  PutField(line, centre, kCentreWidth);
  line += DateTimeStamp(t);
  return line;
}

}  // namespace

std::u16string DateTimeStamp(const LocalDateTime& t) {
  return ZeroFilled(t.day, 2) + ZeroFilled(t.month, 2) + ZeroFilled(t.year, 4) +
         ZeroFilled(t.hour, 2) + ZeroFilled(t.minute, 2);
}

std::u16string HeaderRecord(std::u16string_view centre, const LocalDateTime& t) {
  return Frame(u'0', centre, t);
}

std::u16string TrailerRecord(std::u16string_view centre, const LocalDateTime& t, long long count) {
  return Frame(u'9', centre, t) + IntToText(count);
}

std::u16string DayLetter(std::u16string_view dia) {
  static constexpr std::array<char16_t, 7> kLetters = {u'L', u'M', u'X', u'J', u'V', u'S', u'D'};
  if (dia.size() == 1 && dia[0] >= u'1' && dia[0] <= u'7') {
    return std::u16string(1, kLetters[dia[0] - u'1']);
  }
  return std::u16string(dia);
}

std::u16string SuffixPart(std::u16string_view coddruv, std::u16string_view codididruv) {
  std::u16string suffix = AllTrim(codididruv);
  if (coddruv == u"RE") return u"   " + suffix;
  return suffix;
}

}  // namespace tpd
