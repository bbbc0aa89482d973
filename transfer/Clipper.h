// Text helpers of the transfer files: column cuts, trimming, initials and the record tests.
// Columns are 1-based and count UTF-16 code units. A blank is U+0020 alone.
#pragma once

#include <string>
#include <string_view>

namespace tpd {

// Column cut: from column `start` on, at most `count` characters, stopping at the end of the text.
// A start below 1 counts as 1 (count not reduced); a start past the end or a negative count gives
// the empty text.
std::u16string Copy(std::u16string_view text, int start, int count);
// Trimmed field: AllTrim of the column cut.
std::u16string Field(std::u16string_view line, int start, int count);
// The same field as a view into `line`, for look-ups that need no copy.
std::u16string_view FieldView(std::u16string_view line, int start, int count);

std::u16string RTrim(std::u16string_view text);
std::u16string LTrim(std::u16string_view text);
std::u16string AllTrim(std::u16string_view text);

// The character that follows each blank, in order (the first character is never included; a blank
// in the last position adds nothing; a blank after a blank is itself appended). The separator is
// accepted and not used.
std::u16string Iniciales(std::u16string_view text, std::u16string_view separator);

// Record name of a line: columns 2-51, AllTrim, a-z upper-cased.
std::u16string RecordName(std::u16string_view line);
// Data-record test: not "0" in column 1, not "9", and a record name other than `record_name`.
bool IsDataRecord(std::u16string_view line, std::u16string_view record_name);

}  // namespace tpd
