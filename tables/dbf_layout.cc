#include "tables/dbf_layout.h"

#include <algorithm>
#include <set>

#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// Level 7: bytes 32-63 of the header name the language driver.
constexpr std::size_t kDriverNameOffset = 32;
constexpr std::size_t kDriverNameSize = 32;
// Descriptor offsets: dBase III to 5 and FoxPro / level 7.
constexpr std::size_t kTypeOffset = 11, kLengthOffset = 16, kDecimalsOffset = 17;
constexpr std::size_t kLevel7NameSize = 32, kLevel7TypeOffset = 32, kLevel7LengthOffset = 33,
                      kLevel7DecimalsOffset = 34;
constexpr std::size_t kMaxFieldNameLength = 10;
constexpr char kNullFlagsType = '0';  // Visual FoxPro's hidden _NullFlags field

std::uint32_t Le32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::size_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::size_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::size_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

unsigned Byte(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }

std::u16string HexByte(unsigned value) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  return {u'0', u'x', kDigits[(value >> 4) & 15], kDigits[value & 15]};
}

Variant VariantOf(std::uint8_t version, const std::u16string& path) {
  switch (version) {
    case 0x30:
    case 0x31:
    case 0x32:
      return Variant::kVisualFoxPro;
    case 0xF5:
    case 0xFB:
      return Variant::kFoxPro;
    default:
      break;
  }
  if ((version & 0x07) == 0x04) return Variant::kLevel7;  // 0x04, 0x8C
  if ((version & 0x07) == 0x03) return Variant::kDbase;   // 0x03, 0x83, 0x8B, 0x43, 0xCB, ...
  ThrowCorrupt(Subst(u"the version byte %s is not that of a dBase table", {HexByte(version)}),
               path);
}

// The field types each variant defines, and the fixed lengths of the binary ones.
std::u16string_view TypesOf(Variant variant) {
  switch (variant) {
    case Variant::kDbase:
      return u"CNFLDMBGP";
    case Variant::kFoxPro:
      return u"CNFLDMGP";
    case Variant::kVisualFoxPro:
      return u"CNFLDIBYTMGP0";
    case Variant::kLevel7:
      return u"CNFLDI+O@MBG";
  }
  return u"";
}

// 0 when the type has no fixed length.
std::size_t FixedLength(char type, Variant variant) {
  switch (type) {
    case 'L':
      return 1;
    case 'D':
      return 8;
    case 'I':
    case '+':
      return 4;
    case 'O':
    case '@':
    case 'Y':
    case 'T':
      return 8;
    case 'B':
      return variant == Variant::kVisualFoxPro ? 8 : 10;
    case 'M':
    case 'G':
    case 'P':
      return variant == Variant::kVisualFoxPro ? 4 : 10;
    default:
      return 0;
  }
}

// A name stored NUL-padded (and sometimes blank-padded) in `size` bytes.
std::u16string FieldName(std::string_view bytes, int code_page) {
  std::size_t end = bytes.find('\0');
  if (end == std::string_view::npos) end = bytes.size();
  while (end > 0 && bytes[end - 1] == ' ') --end;
  return DecodeCodePage(code_page, bytes.substr(0, end));
}

int CodePageOfDriverName(std::string_view name) {
  std::size_t end = name.find('\0');
  name = name.substr(0, end == std::string_view::npos ? name.size() : end);
  if (name.substr(0, 5) == "DBWIN") return 1252;
  if (name.size() >= 5 && name.substr(0, 2) == "DB") {
    const std::string_view digits = name.substr(2, 3);
    for (int cp : {437, 850, 852, 865, 866}) {
      if (digits == std::to_string(cp)) return cp;
    }
  }
  return 0;
}

bool ValidFieldName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxFieldNameLength) return false;
  if (name[0] < u'A' || name[0] > u'Z') return false;
  return std::all_of(name.begin(), name.end(), [](char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
  });
}

[[noreturn]] void ThrowBadField(std::u16string_view what, const std::u16string& path) {
  throw Error(Subst(u"Cannot create the table: %s.\nTable: %s", {what, path}));
}

}  // namespace

void ThrowCorrupt(std::u16string_view what, const std::u16string& path) {
  throw Error(Subst(u"Corrupt table: %s.\nTable: %s", {what, path}));
}

int CodePageOfDriver(std::uint8_t driver) {
  switch (driver) {
    case 0x01:
    case 0x1B:
    case 0x18:
      return 437;
    case 0x02:
    case 0x14:
    case 0x37:
      return 850;
    case 0x64:
      return 852;
    case 0x65:
      return 866;  // the reading of most dBase tools
    case 0x66:
      return 865;
    case 0xC8:
      return 1250;
    case 0xC9:
      return 1251;
    case 0xCA:
      return 1254;
    default:
      return 1252;  // 0x00, 0x03, 0x57, 0x58, 0x59 and anything unknown
  }
}

std::uint8_t DriverOfCodePage(int code_page) {
  switch (code_page) {
    case 437:
      return 0x01;
    case 850:
      return 0x02;
    case 852:
      return 0x64;
    case 866:
      return 0x65;
    case 865:
      return 0x66;
    case 1250:
      return 0xC8;
    case 1251:
      return 0xC9;
    case 1252:
      return 0x57;
    case 1254:
      return 0xCA;
    default:
      return 0x00;  // no driver: readers fall back to their default
  }
}

FieldKind KindOf(const FieldLayout& field) {
  switch (field.type) {
    case 'C':
      return FieldKind::kText;
    case 'L':
      return FieldKind::kLogical;
    case 'I':
    case '+':
      return FieldKind::kInteger;
    case 'N':
    case 'F':
      return field.decimals == 0 ? FieldKind::kInteger : FieldKind::kNumber;
    case 'B':
    case 'O':
    case 'Y':
      return FieldKind::kNumber;
    default:
      return FieldKind::kText;
  }
}

Layout ParseLayout(std::string_view file, const std::u16string& path) {
  return ParseLayout(file, file.size(), path);
}

Layout ParseLayout(std::string_view file, std::uint64_t file_size, const std::u16string& path) {
  if (file.size() < kFixedHeaderSize) ThrowCorrupt(u"the file is shorter than its header", path);
  Layout layout;
  layout.version = static_cast<std::uint8_t>(file[0]);
  layout.variant = VariantOf(layout.version, path);
  layout.record_count = Le32(file, kRecordCountOffset);
  layout.header_length = Le16(file, kHeaderLengthOffset);
  layout.record_length = Le16(file, kRecordLengthOffset);

  const bool level7 = layout.variant == Variant::kLevel7;
  const std::size_t first = level7 ? kLevel7HeaderSize : kFixedHeaderSize;
  const std::size_t step = level7 ? kLevel7DescriptorSize : kDescriptorSize;
  if (file.size() < first || file.size() < layout.header_length) {
    ThrowCorrupt(u"the file is shorter than its header", path);
  }

  layout.code_page = CodePageOfDriver(static_cast<std::uint8_t>(file[kLanguageDriverOffset]));
  if (level7 && file[kLanguageDriverOffset] == 0) {
    int cp = CodePageOfDriverName(file.substr(kDriverNameOffset, kDriverNameSize));
    if (cp != 0) layout.code_page = cp;
  }

  // Descriptors run from `first` to the terminator, which must lie inside the header length.
  std::size_t pos = first;
  while (pos < layout.header_length && file[pos] != kHeaderTerminator) {
    if (pos + step > layout.header_length) break;
    pos += step;
  }
  if (pos >= layout.header_length || file[pos] != kHeaderTerminator) {
    // Tell a header length that stops short of the descriptors from a list without its end.
    for (std::size_t p = pos; p < file.size(); p += step) {
      if (file[p] == kHeaderTerminator) {
        ThrowCorrupt(u"the header length does not match its field descriptors", path);
      }
    }
    ThrowCorrupt(u"the field descriptors have no terminator", path);
  }
  const std::size_t descriptors_end = pos;

  const std::u16string_view types = TypesOf(layout.variant);
  std::size_t offset = 1;  // after the delete flag
  for (pos = first; pos < descriptors_end; pos += step) {
    const std::string_view d = file.substr(pos, step);
    FieldLayout field;
    field.name =
        FieldName(d.substr(0, level7 ? kLevel7NameSize : kFieldNameSize), layout.code_page);
    field.type = d[level7 ? kLevel7TypeOffset : kTypeOffset];
    field.length = Byte(d, level7 ? kLevel7LengthOffset : kLengthOffset);
    field.decimals = static_cast<int>(Byte(d, level7 ? kLevel7DecimalsOffset : kDecimalsOffset));
    if (field.type == 'C' && !level7) {
      // FoxPro and Clipper keep text widths above 255 in the decimals byte.
      field.length += static_cast<std::size_t>(field.decimals) << 8;
      field.decimals = 0;
    }
    const std::u16string shown = field.name.empty() ? u"(no name)" : field.name;
    if (field.type == '\0' ||
        types.find(static_cast<char16_t>(field.type)) == std::u16string_view::npos) {
      ThrowCorrupt(Subst(u"field '%s' has the unknown type %s",
                         {shown, HexByte(Byte(d, level7 ? kLevel7TypeOffset : kTypeOffset))}),
                   path);
    }
    const std::size_t fixed = FixedLength(field.type, layout.variant);
    if ((fixed != 0 && field.length != fixed) || field.length == 0) {
      ThrowCorrupt(Subst(u"field '%s' has the invalid length %s",
                         {shown, IntToText(static_cast<long long>(field.length))}),
                   path);
    }
    field.offset = offset;
    offset += field.length;
    if (offset > layout.record_length) {
      ThrowCorrupt(Subst(u"field '%s' runs past the end of the record", {shown}), path);
    }
    if (field.type != kNullFlagsType) layout.fields.push_back(std::move(field));
  }
  if (offset != layout.record_length) {
    ThrowCorrupt(u"the record length does not match its fields", path);
  }

  const std::uint64_t needed =
      static_cast<std::uint64_t>(layout.header_length) +
      static_cast<std::uint64_t>(layout.record_count) * layout.record_length;
  if (needed > file_size) ThrowCorrupt(u"the record count exceeds the file size", path);
  return layout;
}

Layout NewLayout(const std::vector<FieldDef>& fields, int code_page, const std::u16string& path) {
  if (fields.empty()) ThrowBadField(u"it has no fields", path);
  Layout layout;
  layout.code_page = code_page;
  std::set<std::u16string> seen;
  std::size_t offset = 1;
  for (const FieldDef& def : fields) {
    if (!ValidFieldName(def.name)) {
      ThrowBadField(Subst(u"the field name '%s' is not valid", {def.name}), path);
    }
    if (!seen.insert(def.name).second) {
      ThrowBadField(Subst(u"the field '%s' is listed twice", {def.name}), path);
    }
    FieldLayout field;
    field.name = def.name;
    field.offset = offset;
    switch (def.kind) {
      case FieldKind::kText:
        if (def.width < 1 || def.width > kMaxTextWidth) {
          ThrowBadField(Subst(u"the text field '%s' has the width %s, not 1 to 254",
                              {def.name, IntToText(def.width)}),
                        path);
        }
        field.type = 'C';
        field.length = static_cast<std::size_t>(def.width);
        break;
      case FieldKind::kLogical:
        field.type = 'L';
        field.length = 1;
        break;
      case FieldKind::kInteger:
        field.type = 'N';
        field.length = kIntegerWidth;
        break;
      case FieldKind::kNumber:
        field.type = 'N';
        field.length = kNumberWidth;
        field.decimals = kNumberDecimals;
        break;
    }
    offset += field.length;
    layout.fields.push_back(std::move(field));
  }
  if (offset > kMaxRecordLength) ThrowBadField(u"its rows are longer than 65535 bytes", path);
  layout.record_length = offset;
  layout.header_length = kFixedHeaderSize + kDescriptorSize * fields.size() + 1;
  if (layout.header_length > kMaxRecordLength) ThrowBadField(u"it has too many fields", path);
  return layout;
}

std::string BuildHeader(const Layout& layout, std::uint32_t record_count, int year, int month,
                        int day) {
  std::string h(layout.header_length, '\0');
  auto put16 = [&](std::size_t at, std::size_t v) {
    h[at] = static_cast<char>(v & 0xFF);
    h[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  h[0] = static_cast<char>(kVersionWritten);
  h[1] = static_cast<char>(std::clamp(year - 1900, 0, 255));
  h[2] = static_cast<char>(month);
  h[3] = static_cast<char>(day);
  for (int i = 0; i < 4; ++i) {
    h[kRecordCountOffset + i] = static_cast<char>((record_count >> (8 * i)) & 0xFF);
  }
  put16(kHeaderLengthOffset, layout.header_length);
  put16(kRecordLengthOffset, layout.record_length);
  h[kLanguageDriverOffset] = static_cast<char>(DriverOfCodePage(layout.code_page));
  std::size_t pos = kFixedHeaderSize;
  for (const FieldLayout& field : layout.fields) {
    const std::string name = EncodeCodePage(1252, field.name);  // upper-case ASCII
    std::copy(name.begin(), name.end(), h.begin() + static_cast<std::ptrdiff_t>(pos));
    h[pos + kTypeOffset] = field.type;
    h[pos + kLengthOffset] = static_cast<char>(field.length);
    h[pos + kDecimalsOffset] = static_cast<char>(field.decimals);
    pos += kDescriptorSize;
  }
  h[pos] = kHeaderTerminator;
  return h;
}

}  // namespace tpd
