#include "tables/dbf_values.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/text.h"

namespace tpd {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr std::int64_t kCurrencyScale = 10000;  // Visual FoxPro currency: 4 decimal places
constexpr long kJulianDayOfYearOne = 1721426;   // 0001-01-01, proleptic Gregorian

bool IsPad(char c) { return c == ' ' || c == '\0'; }

// A character field's text is its bytes up to the trailing blanks or NULs.
std::string_view WithoutTrailingPads(std::string_view s) {
  while (!s.empty() && IsPad(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimPads(std::string_view s) {
  while (!s.empty() && IsPad(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsPad(s.back())) s.remove_suffix(1);
  return s;
}

bool AllZero(std::string_view raw) {
  for (char c : raw) {
    if (c != '\0') return false;
  }
  return true;
}

std::uint64_t Load(std::string_view raw, bool big_endian) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const std::size_t at = big_endian ? i : raw.size() - 1 - i;
    v = v << 8 | static_cast<unsigned char>(raw[at]);
  }
  return v;
}

std::string Store(std::uint64_t v, std::size_t size, bool big_endian) {
  std::string out(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t at = big_endian ? size - 1 - i : i;
    out[at] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
  return out;
}

double BitsToDouble(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::uint64_t DoubleToBits(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// Level 7 stores doubles and integers so that their bytes sort like their values: the sign bit
// flipped for values >= 0, every bit inverted for negative doubles.
double Level7Double(std::string_view raw) {
  std::uint64_t bits = Load(raw, true);
  const std::uint64_t sign = std::uint64_t{1} << 63;
  bits = (bits & sign) ? bits ^ sign : ~bits;
  return BitsToDouble(bits);
}

std::int32_t Level7Integer(std::string_view raw) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Load(raw, true)) ^ 0x80000000u);
}

std::u16string Digits(long long value, int width) {
  std::u16string s = IntToText(value);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), u'0');
  return s;
}

// "YYYY-MM-DD HH:MM:SS" of a Julian day number and the milliseconds into that day.
std::u16string DateTimeText(long julian_day, long long ms) {
  // Julian day to Gregorian date (Richards' algorithm).
  const long f = julian_day + 1401 + (((4 * julian_day + 274277) / 146097) * 3) / 4 - 38;
  const long e = 4 * f + 3;
  const long h = 5 * ((e % 1461) / 4) + 2;
  const long day = (h % 153) / 5 + 1;
  const long month = (h / 153 + 2) % 12 + 1;
  const long year = e / 1461 - 4716 + (14 - month) / 12;
  const long long seconds = ms / 1000;
  return Digits(year, 4) + u"-" + Digits(month, 2) + u"-" + Digits(day, 2) + u" " +
         Digits(seconds / 3600, 2) + u":" + Digits(seconds / 60 % 60, 2) + u":" +
         Digits(seconds % 60, 2);
}

StoredValue Number(double v) {
  StoredValue out;
  out.kind = StoredValue::Kind::kNumber;
  out.number = v;
  return out;
}

StoredValue Text(std::u16string text) {
  StoredValue out;
  out.kind = text.empty() ? StoredValue::Kind::kEmpty : StoredValue::Kind::kText;
  out.text = std::move(text);
  return out;
}

StoredValue Of(StoredValue::Kind kind) {
  StoredValue out;
  out.kind = kind;
  return out;
}

Encoded Fail(std::u16string why) { return {std::string(), std::move(why)}; }

std::u16string Describe(const FieldLayout& field) {
  std::u16string d(1, static_cast<char16_t>(static_cast<unsigned char>(field.type)));
  d += u"(" + IntToText(static_cast<long long>(field.length));
  if (field.type == 'N' || field.type == 'F') d += u"," + IntToText(field.decimals);
  return d + u")";
}

bool FitsInt32(double v) {
  return v >= std::numeric_limits<std::int32_t>::min() &&
         v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

StoredValue DecodeField(const FieldLayout& field, std::string_view raw, Variant variant,
                        int code_page) {
  using Kind = StoredValue::Kind;
  switch (field.type) {
    case 'C': {
      std::u16string text;
      AppendCharacterText(raw, code_page, text);
      return Text(std::move(text));
    }
    case 'N':
    case 'F': {
      const std::string_view s = TrimPads(raw);
      if (s.empty()) return Of(Kind::kEmpty);
      std::u16string text(s.begin(), s.end());
      std::optional<double> v = ParseNumber(text);
      return v ? Number(*v) : Of(Kind::kInvalid);
    }
    case 'L':
      switch (raw[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y': {
          StoredValue out = Of(Kind::kLogical);
          out.logical = true;
          return out;
        }
        case 'F':
        case 'f':
        case 'N':
        case 'n':
          return Of(Kind::kLogical);
        default:
          return Of(Kind::kEmpty);  // "?", blank, or anything else: unknown
      }
    case 'D': {
      const std::string_view s = TrimPads(raw);
      if (s.empty() || s == "00000000") return Of(Kind::kEmpty);
      return Text(DecodeCodePage(code_page, s));
    }
    case 'I':
    case '+':
      if (variant == Variant::kLevel7) {
        if (AllZero(raw)) return Of(Kind::kEmpty);
        return Number(Level7Integer(raw));
      }
      return Number(static_cast<std::int32_t>(static_cast<std::uint32_t>(Load(raw, false))));
    case 'O':
      if (AllZero(raw)) return Of(Kind::kEmpty);
      return Number(Level7Double(raw));
    case '@': {
      if (AllZero(raw)) return Of(Kind::kEmpty);
      // Milliseconds since the day before 0001-01-01.
      const double ms = Level7Double(raw);
      if (!std::isfinite(ms) || ms < kMsPerDay || ms > 3.2e14) return Of(Kind::kInvalid);
      const long days = static_cast<long>(ms / kMsPerDay);
      return Text(DateTimeText(kJulianDayOfYearOne + days - 1,
                               static_cast<long long>(ms - days * kMsPerDay)));
    }
    case 'T': {
      if (AllZero(raw)) return Of(Kind::kEmpty);
      const auto day = static_cast<std::int32_t>(Load(raw.substr(0, 4), false));
      const auto ms = static_cast<std::int32_t>(Load(raw.substr(4, 4), false));
      if (day <= 0 || day > 5373484 || ms < 0 || ms >= kMsPerDay) return Of(Kind::kInvalid);
      return Text(DateTimeText(day, ms));
    }
    case 'Y':
      return Number(static_cast<double>(static_cast<std::int64_t>(Load(raw, false))) /
                    kCurrencyScale);
    case 'B':
      if (variant == Variant::kVisualFoxPro) return Number(BitsToDouble(Load(raw, false)));
      [[fallthrough]];
    default:  // M, G, P and dBase's B: references into a memo file
      if (AllZero(raw) || TrimPads(raw).empty()) return Of(Kind::kEmpty);
      return Of(Kind::kMemo);
  }
}

void AppendCharacterText(std::string_view raw, int code_page, std::u16string& out) {
  AppendDecodedCodePage(code_page, WithoutTrailingPads(raw), out);
}

void EncodeCharacterText(const FieldLayout& field, std::u16string_view text, int code_page,
                         char* out) {
  EncodeCodePageInField(code_page, text, out, field.length);  // cut to the width, or padded
}

std::optional<std::u16string> ValueAsText(const StoredValue& value) {
  switch (value.kind) {
    case StoredValue::Kind::kEmpty:
      return std::u16string();
    case StoredValue::Kind::kText:
      return value.text;
    case StoredValue::Kind::kNumber:
      return NumberText(value.number);
    case StoredValue::Kind::kLogical:
      return std::u16string(value.logical ? u"True" : u"False");
    default:
      return std::nullopt;
  }
}

std::optional<double> ValueAsNumber(const StoredValue& value) {
  switch (value.kind) {
    case StoredValue::Kind::kEmpty:
      return 0.0;
    case StoredValue::Kind::kNumber:
      return value.number;
    case StoredValue::Kind::kText:
      return ParseNumber(value.text);
    default:
      return std::nullopt;
  }
}

std::optional<std::int32_t> ValueAsInteger(const StoredValue& value) {
  std::optional<double> number;
  if (value.kind == StoredValue::Kind::kText) {
    // A text converts only when it is a whole number, as it is written.
    std::u16string_view t = value.text;
    while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
    std::size_t i = (!t.empty() && (t[0] == u'+' || t[0] == u'-')) ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    for (; i < t.size(); ++i) {
      if (t[i] < u'0' || t[i] > u'9') return std::nullopt;
    }
    number = ParseNumber(t);
  } else {
    number = ValueAsNumber(value);
  }
  if (!number || !std::isfinite(*number)) return std::nullopt;
  const double whole = std::nearbyint(*number);
  if (!FitsInt32(whole)) return std::nullopt;
  return static_cast<std::int32_t>(whole);
}

std::u16string NumberText(double value) {
  if (value == 0) return u"0";  // also -0
  char buffer[64];
  // Plain decimals for the sizes of everyday values, as "10000000000" rather than "1e+10".
  const double size = std::fabs(value);
  const auto result =
      size >= 1e-4 && size < 1e15
          ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
          : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::u16string(buffer, result.ptr);
}

std::optional<double> ParseNumber(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  std::string ascii;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii += '-';
    ++i;
  }
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      ++digits;
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      break;
    }
    ascii += static_cast<char>(c);
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size()) {
    if (text[i] != u'e' && text[i] != u'E') return std::nullopt;
    ascii += 'e';
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
      ascii += static_cast<char>(text[i++]);
    const std::size_t exponent_start = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
      ascii += static_cast<char>(text[i]);
    if (i == exponent_start || i != text.size()) return std::nullopt;
  }
  double value = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

Encoded EncodeText(const FieldLayout& field, std::u16string_view text, Variant variant,
                   int code_page) {
  switch (field.type) {
    case 'C': {
      std::string bytes(field.length, ' ');
      EncodeCharacterText(field, text, code_page, bytes.data());
      return {std::move(bytes), {}};
    }
    case 'L': {
      const std::u16string upper = UpperAscii(text);
      if (upper.find_first_not_of(u' ') == std::u16string::npos)
        return {EmptyField(field, variant), {}};
      if (upper == u"T" || upper == u"Y" || upper == u"TRUE") return EncodeLogical(field, true);
      if (upper == u"F" || upper == u"N" || upper == u"FALSE") return EncodeLogical(field, false);
      return Fail(Subst(u"the text '%s' is not a logical value", {text}));
    }
    case 'N':
    case 'F':
    case 'I':
    case '+':
    case 'B':
    case 'O':
    case 'Y': {
      if (text.find_first_not_of(u' ') == std::u16string_view::npos) {
        return {EmptyField(field, variant), {}};
      }
      std::optional<double> v = ParseNumber(text);
      if (!v) return Fail(Subst(u"the text '%s' is not a number", {text}));
      return EncodeNumber(field, *v, variant);
    }
    default:
      return Fail(Subst(u"fields of type %s are not written by this program", {Describe(field)}));
  }
}

Encoded EncodeNumber(const FieldLayout& field, double value, Variant variant) {
  if (field.type == 'C') return EncodeText(field, NumberText(value), variant, 1252);
  if (!std::isfinite(value)) return Fail(u"the value is not a finite number");
  if (value == 0) value = 0;  // no "-0" on disk
  // The number as the error texts show it, made only for them.
  const auto shown = [value] { return NumberText(value); };
  switch (field.type) {
    case 'N':
    case 'F': {
      if (KindOf(field) == FieldKind::kInteger && !FitsInt32(value)) {
        return Fail(Subst(u"the number %s is not a 32-bit whole number", {shown()}));
      }
      char buffer[400];
      const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                   field.decimals);
      const std::string text(buffer, r.ptr);
      double back = 0;
      const auto parsed = std::from_chars(text.data(), text.data() + text.size(), back);
      if (r.ec != std::errc() || text.size() > field.length || parsed.ec != std::errc() ||
          back != value) {
        return Fail(
            Subst(u"the number %s cannot be stored exactly in %s", {shown(), Describe(field)}));
      }
      return {std::string(field.length - text.size(), ' ') + text, {}};
    }
    case 'I':
    case '+': {
      if (value != std::trunc(value) || !FitsInt32(value)) {
        return Fail(Subst(u"the number %s is not a 32-bit whole number", {shown()}));
      }
      const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
      if (variant == Variant::kLevel7) return {Store(bits ^ 0x80000000u, 4, true), {}};
      return {Store(bits, 4, false), {}};
    }
    case 'B':
      if (variant == Variant::kVisualFoxPro) return {Store(DoubleToBits(value), 8, false), {}};
      [[fallthrough]];
    default:
      return Fail(Subst(u"fields of type %s are not written by this program", {Describe(field)}));
  }
}

Encoded EncodeLogical(const FieldLayout& field, bool value) {
  if (field.type != 'L') {
    return Fail(Subst(u"a logical value cannot be stored in %s", {Describe(field)}));
  }
  return {std::string(1, value ? 'T' : 'F'), {}};
}

std::string EmptyField(const FieldLayout& field, Variant variant) {
  switch (field.type) {
    case 'C':
    case 'N':
    case 'F':
    case 'L':
    case 'D':
      return std::string(field.length, ' ');
    case 'M':
    case 'G':
    case 'P':
      return std::string(field.length, variant == Variant::kVisualFoxPro ? '\0' : ' ');
    case 'B':
      return std::string(field.length, variant == Variant::kVisualFoxPro ? '\0' : ' ');
    default:
      return std::string(field.length, '\0');
  }
}

}  // namespace tpd
