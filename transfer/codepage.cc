#include "transfer/codepage.h"

namespace tpd {

namespace {

// A UTF-8 lead byte announces how many continuation bytes follow and the least code point such a
// sequence may carry (anything lower would be an overlong form).
struct Utf8Lead {
  unsigned char mask;
  unsigned char value;
  int continuation;
  char32_t minimum;
};

constexpr Utf8Lead kUtf8Leads[] = {
    {0xE0, 0xC0, 1, 0x80},
    {0xF0, 0xE0, 2, 0x800},
    {0xF8, 0xF0, 3, 0x10000},
};

constexpr char32_t kLastCodePoint = 0x10FFFF;

void AppendUtf16(char32_t c, std::u16string& out) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

}  // namespace

bool DecodeUtf8Strict(std::string_view bytes, std::u16string& out) {
  out.clear();
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    const Utf8Lead* lead = nullptr;
    for (const Utf8Lead& l : kUtf8Leads) {
      if ((b & l.mask) == l.value) lead = &l;
    }
    if (lead == nullptr || bytes.size() - i <= static_cast<std::size_t>(lead->continuation)) {
      return false;  // not a lead byte, or the sequence is cut off by the end of the text
    }
    char32_t c = b & static_cast<unsigned char>(~lead->mask);
    for (int k = 1; k <= lead->continuation; ++k) {
      unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < lead->minimum || c > kLastCodePoint || (c >= 0xD800 && c <= 0xDFFF)) return false;
    AppendUtf16(c, out);
    i += lead->continuation + 1;
  }
  return true;
}

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    unsigned first = static_cast<unsigned char>(bytes[i]);
    unsigned second = static_cast<unsigned char>(bytes[i + 1]);
    out += static_cast<char16_t>(big_endian ? (first << 8 | second) : (second << 8 | first));
  }
  if (i < bytes.size()) out += u'\uFFFD';  // half a code unit left over
  return out;
}

}  // namespace tpd
