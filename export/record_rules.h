// How the export steps turn the fields of a data record into what they store. The check of a
// folder's transfer files foresees the steps with these same definitions, so that a rule changed
// here changes what both make of a line. The columns the rules cut are in export/record_layouts.h.
#pragma once

#include <string>
#include <string_view>

namespace tpd {

// A line of any transfer file with "0" in column 1 heads the file; one with "9" closes it.
bool IsHeaderOrTrailer(std::u16string_view line);

// CODLARGO of a subject in ASIGNOMT: the name's first character and the character after each of
// its blanks. The field holds kLongCodeWidth bytes; a longer code is cut.
std::u16string SubjectLongCode(std::u16string_view name);
inline constexpr int kLongCodeWidth = 10;

// A subject record with neither base nor suffix has no short code at all and is passed over for
// that; any other subject that gets no code lost it to a code already taken.
bool WithoutSubjectCode(std::u16string_view base, std::u16string_view suffix);

// Activities stand in ASIGNOMT next to the subjects under their own code behind this mark (and
// with ESTAREA true). The short code of an activity data record.
inline constexpr std::u16string_view kActivityMark = u"*";
std::u16string ActivityCode(std::u16string_view line);

// NOMBRE of a room in AULAT: the name and its second part joined by one blank, which stays when a
// part is empty. The field holds kRoomNameWidth bytes.
std::u16string RoomName(std::u16string_view line);
inline constexpr int kRoomNameWidth = 80;

// NIVEL of a group in GRUPOST: the record's level, or kNoLevel when it is blank.
inline constexpr std::u16string_view kNoLevel = u"NIV";
std::u16string GroupLevel(std::u16string_view line);

// Weekly hours below this count as this; an assignment that no hours record matches gets it too.
inline constexpr double kLeastHours = 1;
// The weekly hours of the hours column of a matched record, trimmed: blank is one hour and a comma
// is a decimal point. Throws ParseDecimal's Error, which quotes the text with its commas as
// periods.
double HoursOf(std::u16string_view text);

// A clock time of the sessions file, hhmm, as hh:mm: characters 1-2, ":", characters 3-4, whatever
// they are.
std::u16string ClockTime(std::u16string_view hhmm);
// The minutes from one hh:mm to another, negative when the end comes first. The four parts convert
// in this order: end hours, start hours, end minutes, start minutes; the first that is no whole
// number raises ParseWholeNumber's Error.
int MinutesBetween(std::u16string_view start, std::u16string_view end);

}  // namespace tpd
