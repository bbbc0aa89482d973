// The records of the timetable file DRUV_HORARIO.TXT: header, data record fields and trailer.
#pragma once

#include <string>
#include <string_view>

#include "timetable/import_run.h"

namespace tpd {

// Record name of the timetable file, in columns 2-51 of its header and trailer.
inline constexpr std::u16string_view kHorarioName = u"DRUV_HORARIO.TXT";

// Widths of the record fields. A value shorter than its width is followed by blanks; a value as
// long or longer is written whole and moves the rest of the line.
inline constexpr int kRecordNameWidth = 50;  // columns 2-51 of header and trailer
inline constexpr int kCentreWidth = 8;       // columns 52-59
inline constexpr int kPeriodWidth = 4;       // CODDIHO of the session
inline constexpr int kDayWidth = 1;          // day letter
inline constexpr int kTeacherWidth = 4;      // PROF
inline constexpr int kGroupWidth = 10;       // ABREV of GRUPOST
inline constexpr int kTaskWidth = 4;         // CODTAREA of ASIGNOMT
inline constexpr int kSubjectWidth = 20;     // CODDRUV of ASIGNOMT
inline constexpr int kRoomWidth = 10;        // ABREV of AULAT

// Appends `value` and then blanks up to `width`; a value of `width` or more is appended whole.
void PutField(std::u16string& line, std::u16string_view value, int width);

// "ddmmyyyyhhnn", every number zero-filled to its width.
std::u16string DateTimeStamp(const LocalDateTime& t);

// "0", the record name, the centre code and the date and time: 71 characters.
std::u16string HeaderRecord(std::u16string_view centre, const LocalDateTime& t);
// "9", the record name, the centre code, the date and time, and the count of data records.
std::u16string TrailerRecord(std::u16string_view centre, const LocalDateTime& t, long long count);

// The DRUV day letter of a day number text "1" to "7"; any other text is returned as it is.
std::u16string DayLetter(std::u16string_view dia);

// What follows the room of a data record whose subject was found: the suffix CODIDIDRUV trimmed,
// after three blanks when the subject code is exactly "RE".
std::u16string SuffixPart(std::u16string_view coddruv, std::u16string_view codididruv);

}  // namespace tpd
