// Code pages without Windows: ICU's converters, turned into one table per code page. All the code
// pages we meet are single-byte, so a table of 256 characters decodes, and its inverse encodes
// exactly the round-trip mappings (no fallbacks, no best fit), giving "?" for anything else, one
// "?" per UTF-16 unit so that fixed columns keep their width.
#include <unicode/ucnv.h>

#include <array>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "transfer/codepage.h"

namespace tpd {

namespace {

constexpr int kDefaultCodePage = 1252;
constexpr char kUnmappable = '?';

struct CodePageName {
  int code_page;
  const char* icu_name;
};

// ICU's names of the code pages that tables and transfer files carry.
constexpr CodePageName kCodePages[] = {
    {437, "ibm-437_P100-1995"},     {850, "ibm-850_P100-1995"},
    {852, "ibm-852_P100-1995"},     {865, "ibm-865_P100-1995"},
    {866, "ibm-866_P100-1995"},     {1250, "ibm-5346_P100-1998"},
    {1251, "ibm-5347_P100-1998"},   {1252, "ibm-5348_P100-1997"},
    {1254, "ibm-5350_P100-1998"},
};

// Where ICU's table leaves a byte out but Windows maps it.
struct ExtraMapping {
  int code_page;
  unsigned char byte;
  char16_t character;
};
constexpr ExtraMapping kExtraMappings[] = {
    {852, 0xAA, u'\u00AC'},  // NOT SIGN, missing from the IBM table
};

class SingleByteTable {
 public:
  explicit SingleByteTable(int code_page);

  std::u16string Decode(std::string_view bytes) const {
    std::u16string out;
    AppendDecoded(bytes, out);
    return out;
  }

  void AppendDecoded(std::string_view bytes, std::u16string& out) const {
    const std::size_t at = out.size();
    out.resize(at + bytes.size());
    char16_t* to = out.data() + at;
    for (const char byte : bytes) *to++ = decode_[static_cast<unsigned char>(byte)];
  }

  bool DecodesTo(std::string_view bytes, std::u16string_view text) const {
    if (bytes.size() != text.size()) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (decode_[static_cast<unsigned char>(bytes[i])] != text[i]) return false;
    }
    return true;
  }

  std::string Encode(std::u16string_view text) const {
    std::string out;
    AppendEncoded(text, out);
    return out;
  }

  // One byte per unit: the first `width` units fill the field, blanks the rest of it.
  void EncodeInField(std::u16string_view text, char* out, std::size_t width) const {
    const std::size_t n = text.size() < width ? text.size() : width;
    const char* const encode = encode_.data();
    for (std::size_t i = 0; i < n; ++i) out[i] = encode[text[i]];
    std::memset(out + n, ' ', width - n);
  }

  void AppendEncoded(std::u16string_view text, std::string& out) const {
    const std::size_t at = out.size();
    out.resize(at + text.size());
    char* to = out.data() + at;
    const char* const encode = encode_.data();
    for (const char16_t unit : text) *to++ = encode[unit];
  }

 private:
  std::array<char16_t, 256> decode_{};
  // Every UTF-16 unit to its byte: a direct table (64 KiB) rather than a map, as every field and
  // line written goes through it.
  std::vector<char> encode_ = std::vector<char>(std::size_t{1} << 16, kUnmappable);
};

SingleByteTable::SingleByteTable(int code_page) {
  const char* icu_name = nullptr;
  for (const CodePageName& name : kCodePages) {
    if (name.code_page == code_page) icu_name = name.icu_name;
  }

  // Windows decodes every byte of these code pages: the ASCII half as itself (the IBM tables move
  // 0x1A, 0x1C and 0x7F about), and a byte the code page leaves undefined as the C1 control of the
  // same number (0x81 -> U+0081 in Windows-1252).
  for (int b = 0; b < 256; ++b) decode_[b] = static_cast<char16_t>(b);

  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = icu_name ? ucnv_open(icu_name, &status) : nullptr;
  if (converter != nullptr && U_SUCCESS(status)) {
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    for (int b = 0x80; b < 256; ++b) {
      char byte = static_cast<char>(b);
      UChar unit[2];
      UErrorCode one = U_ZERO_ERROR;
      ucnv_reset(converter);
      int32_t length = ucnv_toUChars(converter, unit, 2, &byte, 1, &one);
      if (U_SUCCESS(one) && length == 1 && unit[0] != 0xFFFD) decode_[b] = unit[0];
    }
  }
  if (converter != nullptr) ucnv_close(converter);

  for (const ExtraMapping& extra : kExtraMappings) {
    if (extra.code_page == code_page) decode_[extra.byte] = extra.character;
  }
  // The first byte that decodes to a character is the one it encodes back to.
  for (int b = 255; b >= 0; --b) encode_[decode_[b]] = static_cast<char>(b);
}

// Every field read or written asks for its table: each is made at its first use and kept until
// the program ends. A code page we do not know reads as the default one.
const SingleByteTable& TableFor(int code_page) {
  static std::array<std::unique_ptr<SingleByteTable>, std::size(kCodePages)> made;
  static const SingleByteTable& default_table = []() -> const SingleByteTable& {
    for (std::size_t slot = 0;; ++slot) {
      if (kCodePages[slot].code_page == kDefaultCodePage) {
        made[slot] = std::make_unique<SingleByteTable>(kDefaultCodePage);
        return *made[slot];
      }
    }
  }();
  if (code_page == kDefaultCodePage) return default_table;  // nearly every call
  std::size_t slot = 0;
  while (slot < made.size() && kCodePages[slot].code_page != code_page) ++slot;
  if (slot == made.size()) return TableFor(kDefaultCodePage);
  if (!made[slot]) made[slot] = std::make_unique<SingleByteTable>(code_page);
  return *made[slot];
}

}  // namespace

int AnsiCodePage() { return kDefaultCodePage; }

std::u16string DecodeAnsi(std::string_view bytes) { return TableFor(AnsiCodePage()).Decode(bytes); }

std::string EncodeAnsi(std::u16string_view text) { return TableFor(AnsiCodePage()).Encode(text); }

void AppendEncodedAnsi(std::u16string_view text, std::string& out) {
  TableFor(AnsiCodePage()).AppendEncoded(text, out);
}

void AppendDecodedAnsi(std::string_view bytes, std::u16string& out) {
  TableFor(AnsiCodePage()).AppendDecoded(bytes, out);
}

std::u16string DecodeCodePage(int code_page, std::string_view bytes) {
  return TableFor(code_page).Decode(bytes);
}

std::string EncodeCodePage(int code_page, std::u16string_view text) {
  return TableFor(code_page).Encode(text);
}

void AppendDecodedCodePage(int code_page, std::string_view bytes, std::u16string& out) {
  TableFor(code_page).AppendDecoded(bytes, out);
}

void EncodeCodePageInField(int code_page, std::u16string_view text, char* out, std::size_t width) {
  TableFor(code_page).EncodeInField(text, out, width);
}

bool DecodesTo(int code_page, std::string_view bytes, std::u16string_view text) {
  return TableFor(code_page).DecodesTo(bytes, text);
}

}  // namespace tpd
