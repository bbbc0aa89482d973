// The system's 8-bit code page (the Windows ANSI code page; Windows-1252 where there is none) and
// the other decoders that transfer files and tables need.
#pragma once

#include <string>
#include <string_view>

namespace tpd {

// GetACP() on Windows; 1252 elsewhere.
int AnsiCodePage();

// Decoding 8-bit text never fails on its bytes. In Windows-1252 the five undefined bytes 0x81,
// 0x8D, 0x8F, 0x90 and 0x9D decode to U+0081, U+008D, U+008F, U+0090 and U+009D, as Windows does.
// On Windows a text longer than the system's conversion calls count (2 GiB) is an Error, here and
// in every conversion below, never a text cut short.
std::u16string DecodeAnsi(std::string_view bytes);
// A character the code page cannot hold (a lone surrogate included) becomes "?"; no best-fit
// substitution.
std::string EncodeAnsi(std::u16string_view text);
// The same appended to `out`, for writers that reuse one buffer line after line.
void AppendEncodedAnsi(std::u16string_view text, std::string& out);
// DecodeAnsi's text appended to `out`.
void AppendDecodedAnsi(std::string_view bytes, std::u16string& out);

// The same for a given code page (tables written by others carry their own: 437, 850, 852, 865,
// 866, 1250, 1251, 1252, 1254). An unknown code page is treated as 1252.
std::u16string DecodeCodePage(int code_page, std::string_view bytes);
std::string EncodeCodePage(int code_page, std::u16string_view text);
// The same appended to `out`, for callers that reuse one buffer value after value.
void AppendDecodedCodePage(int code_page, std::string_view bytes, std::u16string& out);
// The code page's bytes of `text` in a field of `width` bytes at `out`: cut to the width, or padded
// with blanks (what EncodeCodePage gives, resized with blanks).
void EncodeCodePageInField(int code_page, std::u16string_view text, char* out, std::size_t width);
// Whether DecodeCodePage(code_page, bytes) == text, without making the decoded text where the
// code page allows (look-ups compare a key with many stored fields).
bool DecodesTo(int code_page, std::string_view bytes, std::u16string_view text);

// Strict UTF-8: false for any sequence that is not valid UTF-8 (overlong forms, surrogates, code
// points above U+10FFFF, cut sequences). `out` is unspecified when false.
bool DecodeUtf8Strict(std::string_view bytes, std::u16string& out);

// UTF-16 of the given byte order; never fails. A final odd byte decodes to U+FFFD.
std::u16string DecodeUtf16(std::string_view bytes, bool big_endian);

}  // namespace tpd
