#include "export/record_rules.h"

#include "export/number_text.h"
#include "export/record_layouts.h"
#include "transfer/Clipper.h"

namespace tpd {
namespace {

constexpr int kMinutesPerHour = 60;

// Hours and minutes of a clock time hh:mm, as characters 1-2 and 4-5.
std::u16string HoursPart(std::u16string_view time) { return Copy(time, 1, 2); }
std::u16string MinutesPart(std::u16string_view time) { return Copy(time, 4, 2); }

}  // namespace

bool IsHeaderOrTrailer(std::u16string_view line) {
  return !line.empty() && (line[0] == u'0' || line[0] == u'9');
}

std::u16string SubjectLongCode(std::u16string_view name) {
  return Copy(name, 1, 1) + Iniciales(name, u" ");
}

bool WithoutSubjectCode(std::u16string_view base, std::u16string_view suffix) {
  return base.empty() && suffix.empty();
}

std::u16string ActivityCode(std::u16string_view line) {
  return std::u16string(kActivityMark) + Cut(line, layouts::actividades::kCode);
}

std::u16string RoomName(std::u16string_view line) {
  return Cut(line, layouts::aulas::kName) + u" " + Cut(line, layouts::aulas::kNameSecondPart);
}

std::u16string GroupLevel(std::u16string_view line) {
  std::u16string level = Cut(line, layouts::grupo::kLevel);
  if (level.empty()) level = kNoLevel;
  return level;
}

double HoursOf(std::u16string_view text) {
  std::u16string decimal = text.empty() ? u"1" : std::u16string(text);
  for (char16_t& c : decimal) {
    if (c == u',') c = u'.';
  }
  const double hours = ParseDecimal(decimal);
  return hours < kLeastHours ? kLeastHours : hours;
}

std::u16string ClockTime(std::u16string_view hhmm) {
  return Copy(hhmm, 1, 2) + u":" + Copy(hhmm, 3, 2);
}

int MinutesBetween(std::u16string_view start, std::u16string_view end) {
  const int end_hours = ParseWholeNumber(HoursPart(end));
  const int start_hours = ParseWholeNumber(HoursPart(start));
  const int end_minutes = ParseWholeNumber(MinutesPart(end));
  const int start_minutes = ParseWholeNumber(MinutesPart(start));
  return (end_hours - start_hours) * kMinutesPerHour + (end_minutes - start_minutes);
}

}  // namespace tpd
