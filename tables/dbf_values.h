// Field values in their stored form: how each field type of the dBase variants reads, and how the
// types we write store a value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tables/dbf_layout.h"

namespace tpd {

// What a stored field holds. Empty covers blanks and the empty forms of the binary types.
struct StoredValue {
  enum class Kind { kEmpty, kText, kNumber, kLogical, kMemo, kInvalid } kind = Kind::kEmpty;
  std::u16string text;   // kText: the text without trailing blanks
  double number = 0;     // kNumber
  bool logical = false;  // kLogical
};

// Decodes `raw` (exactly field.length bytes of a record) of `field`.
StoredValue DecodeField(const FieldLayout& field, std::string_view raw, Variant variant,
                        int code_page);

// A character field (type C) read as text, appended to `out`: what DecodeField gives as its text,
// without making a value (for readers that reuse one buffer row after row).
void AppendCharacterText(std::string_view raw, int code_page, std::u16string& out);
// A character field written: the code page's bytes of `text`, cut to the width or padded with
// blanks, at `out` (field.length bytes), as EncodeText writes them.
void EncodeCharacterText(const FieldLayout& field, std::u16string_view text, int code_page,
                         char* out);

// The callers' three reads over a decoded value. nullopt when the value does not convert.
std::optional<std::u16string> ValueAsText(const StoredValue& value);
std::optional<double> ValueAsNumber(const StoredValue& value);
// A number becomes the nearest whole number (halves to even); out of the 32-bit range fails.
std::optional<std::int32_t> ValueAsInteger(const StoredValue& value);

// Shortest decimal text that reads back as the same number, without a trailing ".0".
std::u16string NumberText(double value);
// Strict decimal number: optional sign, digits with at most one period, optional exponent;
// blanks around are allowed. Empty (or blank) text is not a number here.
std::optional<double> ParseNumber(std::u16string_view text);

// The stored bytes (field.length of them) for a value written to `field`, or nullopt with a reason
// when the field cannot hold it exactly.
struct Encoded {
  std::string bytes;
  std::u16string failure;  // empty on success: why the value cannot be stored
};
Encoded EncodeText(const FieldLayout& field, std::u16string_view text, Variant variant,
                   int code_page);
Encoded EncodeNumber(const FieldLayout& field, double value, Variant variant);
Encoded EncodeLogical(const FieldLayout& field, bool value);
// The bytes of a field that was never written.
std::string EmptyField(const FieldLayout& field, Variant variant);

}  // namespace tpd
