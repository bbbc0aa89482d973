// Code pages on Windows: the system's own conversions. WC_NO_BEST_FIT_CHARS keeps Windows from
// writing a look-alike (an "a" for an "ä" the page lacks): what the page cannot hold becomes "?".
#include <windows.h>

#include <climits>
#include <cstring>

#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {

namespace {

constexpr int kDefaultCodePage = 1252;

// Code pages that tables may name; anything else is read as Windows-1252.
constexpr int kKnownCodePages[] = {437, 850, 852, 865, 866, 1250, 1251, 1252, 1254};

UINT CheckedCodePage(int code_page) {
  if (code_page == static_cast<int>(GetACP())) return static_cast<UINT>(code_page);
  for (int known : kKnownCodePages) {
    if (known == code_page && IsValidCodePage(static_cast<UINT>(code_page))) {
      return static_cast<UINT>(code_page);
    }
  }
  return kDefaultCodePage;
}

// The conversion calls count in an int: a longer text is refused, never cut short.
int CallLength(std::size_t size, std::u16string_view too_long) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw Error(Subst(too_long, {IntToText(static_cast<long long>(size))}));
  }
  return static_cast<int>(size);
}

// A conversion that the system refuses (one whose result would not fit an int either).
[[noreturn]] void ThrowRefused(std::u16string_view what) {
  throw Error(Subst(what, {SystemErrorText(static_cast<int>(GetLastError()))}));
}

// The text of `bytes` appended to `out`.
void AppendDecoded(UINT code_page, std::string_view bytes, std::u16string& out) {
  if (bytes.empty()) return;
  const int size = CallLength(bytes.size(), u"Text too long to decode: %s bytes");
  // No MB_ERR_INVALID_CHARS: an undefined byte maps as Windows maps it, so only a length that the
  // call cannot count makes it fail.
  const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) ThrowRefused(u"Cannot decode the text: %s");
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(length));
  MultiByteToWideChar(code_page, 0, bytes.data(), size,
                      reinterpret_cast<wchar_t*>(out.data() + at), length);
}

std::u16string Decode(UINT code_page, std::string_view bytes) {
  std::u16string out;
  AppendDecoded(code_page, bytes, out);
  return out;
}

std::string Encode(UINT code_page, std::u16string_view text) {
  if (text.empty()) return {};
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  // A machine set to UTF-8 as its ANSI code page can hold every character, and Windows refuses
  // the flag and the default character for it.
  const bool utf8 = code_page == CP_UTF8 || (code_page == CP_ACP && GetACP() == CP_UTF8);
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* unmappable = utf8 ? nullptr : "?";
  const int size = CallLength(text.size(), u"Text too long to encode: %s characters");
  const int length =
      WideCharToMultiByte(code_page, flags, wide, size, nullptr, 0, unmappable, nullptr);
  if (length <= 0) ThrowRefused(u"Cannot encode the text: %s");
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, wide, size, out.data(), length, unmappable, nullptr);
  return out;
}

}  // namespace

int AnsiCodePage() { return static_cast<int>(GetACP()); }

std::u16string DecodeAnsi(std::string_view bytes) { return Decode(CP_ACP, bytes); }

std::string EncodeAnsi(std::u16string_view text) { return Encode(CP_ACP, text); }

void AppendEncodedAnsi(std::u16string_view text, std::string& out) {
  out += Encode(CP_ACP, text);
}

void AppendDecodedAnsi(std::string_view bytes, std::u16string& out) {
  AppendDecoded(CP_ACP, bytes, out);
}

std::u16string DecodeCodePage(int code_page, std::string_view bytes) {
  return Decode(CheckedCodePage(code_page), bytes);
}

std::string EncodeCodePage(int code_page, std::u16string_view text) {
  return Encode(CheckedCodePage(code_page), text);
}

void AppendDecodedCodePage(int code_page, std::string_view bytes, std::u16string& out) {
  out += DecodeCodePage(code_page, bytes);
}

void EncodeCodePageInField(int code_page, std::u16string_view text, char* out, std::size_t width) {
  // A code page of several bytes a character may cut a character in two, as the whole text cut
  // to the width would.
  const std::string bytes = EncodeCodePage(code_page, text);
  const std::size_t n = bytes.size() < width ? bytes.size() : width;
  std::memcpy(out, bytes.data(), n);
  std::memset(out + n, ' ', width - n);
}

bool DecodesTo(int code_page, std::string_view bytes, std::u16string_view text) {
  // A code page of several bytes a character may give fewer characters than bytes, never more.
  if (text.size() > bytes.size()) return false;
  return DecodeCodePage(code_page, bytes) == text;
}

}  // namespace tpd
