// The two number conversions of the export run, independent of the machine's regional settings.
#pragma once

#include <string_view>

namespace tpd {

// A decimal number with "." as the decimal separator: an optional sign, digits with at most one
// period (at least one digit), and an optional exponent (E or e, an optional sign, digits).
// Nothing else, not even a blank, may stand in the text. A value too small for a double reads as
// 0; one too large for it is refused like any other bad text.
// Throws Error "'%s' is not a valid floating point value" with the text.
double ParseDecimal(std::u16string_view text);

// A whole number: leading blanks, an optional sign, then digits and nothing else. The empty text
// and a value outside the 32-bit range are refused.
// Throws Error "'%s' is not a valid integer value" with the text.
int ParseWholeNumber(std::u16string_view text);

}  // namespace tpd
