#include "export/lesson_pattern.h"

#include <charconv>
#include <cmath>

namespace tpd {
namespace {

// Pelcarin's pattern holds at most 13 one-hour lessons; hours beyond them go into one long
// lesson written first.
constexpr double kOneHourLessons = 13;

}  // namespace

std::u16string LessonPattern(double hours) {
  const double whole = std::floor(hours);
  std::u16string pattern;
  if (whole <= kOneHourLessons) {
    pattern.assign(static_cast<size_t>(whole > 0 ? whole : 0), u'1');
  } else {
    // The long lesson is written with to_chars so that any finite value gives its digits.
    char digits[400];
    const auto result = std::to_chars(digits, digits + sizeof digits, whole - kOneHourLessons,
                                      std::chars_format::fixed, 0);
    pattern.assign(digits, result.ptr);
    pattern.append(static_cast<size_t>(kOneHourLessons), u'1');
  }
  if (hours != whole) pattern += u'\u00BD';  // "½": one byte in the ANSI code page
  return pattern;
}

}  // namespace tpd
