// The lesson pattern SESIONES of ASIGT: one length in hours per lesson of the week.
#pragma once

#include <string>

namespace tpd {

// For weekly hours of at least 1 (finite): with n the hours rounded down, "1" n times when n is
// at most 13, else n - 13 in decimal followed by "1" thirteen times; then "½" when the hours have
// a fractional part. 2.5 gives "11½", 15 gives "2" and thirteen "1".
std::u16string LessonPattern(double hours);

}  // namespace tpd
