#include "export/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "transfer/error.h"

namespace tpd {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

[[noreturn]] void NotAnInteger(std::u16string_view text) {
  throw Error(Subst(u"'%s' is not a valid integer value", {text}));
}

[[noreturn]] void NotAFloat(std::u16string_view text) {
  throw Error(Subst(u"'%s' is not a valid floating point value", {text}));
}

// Exponents beyond this are saturated while scanning: far past any double either way.
constexpr long kExponentLimit = 100000;

}  // namespace

double ParseDecimal(std::u16string_view text) {
  // Scan the grammar first, copying the accepted characters as ASCII for from_chars (which takes
  // no "+"), and note the decimal magnitude to tell an overflow from an underflow.
  std::string ascii;
  size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii += '-';
    ++i;
  }
  long int_digits = 0;       // significant digits before the period
  long leading_zeros = 0;    // zeros after the period before the first significant digit
  bool significant = false;  // a non-zero digit has been seen
  bool any_digit = false;
  bool period = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsDigit(c)) {
      any_digit = true;
      if (c != u'0') significant = true;
      if (!period && significant) ++int_digits;
      if (period && !significant) ++leading_zeros;
      ascii += static_cast<char>(c);
    } else if (c == u'.' && !period) {
      period = true;
      ascii += '.';
    } else {
      break;
    }
  }
  if (!any_digit) NotAFloat(text);
  long exponent = 0;
  if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
    ascii += 'e';
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
      negative = text[i] == u'-';
      if (negative) ascii += '-';
      ++i;
    }
    if (i == text.size()) NotAFloat(text);
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      ascii += static_cast<char>(text[i]);
      if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (negative) exponent = -exponent;
  }
  if (i != text.size()) NotAFloat(text);

  double value = 0;
  const auto [end, ec] =
      std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Out of range one way or the other: the position of the first significant digit decides.
    const long magnitude =
        int_digits > 0 ? int_digits - 1 + exponent : exponent - leading_zeros - 1;
    if (!significant || magnitude < 0) return ascii[0] == '-' ? -0.0 : 0.0;
    NotAFloat(text);
  }
  if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
    NotAFloat(text);
  }
  return value;
}

int ParseWholeNumber(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == text.size()) NotAnInteger(text);
  // Accumulated as a negative number, which also holds the most negative int.
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) NotAnInteger(text);
    value = value * 10 - (text[i] - u'0');
    if (value < std::numeric_limits<int>::min()) NotAnInteger(text);
  }
  if (!negative) {
    if (value < -std::int64_t{std::numeric_limits<int>::max()}) NotAnInteger(text);
    value = -value;
  }
  return static_cast<int>(value);
}

}  // namespace tpd
