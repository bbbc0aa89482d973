// The physical layout of a dBase table file: the header we write for new tables, and the strict
// reading of any header that the common dBase variants write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/table.h"

namespace tpd {

// Sizes and offsets of the header's fixed part (the same in every variant).
inline constexpr std::size_t kFixedHeaderSize = 32;       // version byte .. language driver
inline constexpr std::size_t kLevel7HeaderSize = 68;      // level 7 adds the driver's name (32..63)
inline constexpr std::size_t kDescriptorSize = 32;        // dBase III to 5, FoxPro
inline constexpr std::size_t kLevel7DescriptorSize = 48;  // level 7: 32-byte field names
inline constexpr std::size_t kFieldNameSize = 11;         // 10 characters and a NUL
inline constexpr std::size_t kRecordCountOffset = 4;      // uint32, little-endian
inline constexpr std::size_t kHeaderLengthOffset = 8;     // uint16
inline constexpr std::size_t kRecordLengthOffset = 10;    // uint16, delete flag included
inline constexpr std::size_t kIndexFlagOffset = 28;       // production index (.MDX) present
inline constexpr std::size_t kLanguageDriverOffset = 29;
inline constexpr char kHeaderTerminator = 0x0D;
inline constexpr char kEndOfFile = 0x1A;
inline constexpr char kLiveFlag = ' ';
inline constexpr char kDeletedFlag = '*';
inline constexpr std::size_t kMaxRecordLength = 65535;  // the header keeps it in 16 bits

// What we write: version 0x03 (dBase III layout, opened by every reader) and four field shapes.
inline constexpr std::uint8_t kVersionWritten = 0x03;
inline constexpr int kIntegerWidth = 11;  // N(11,0): every 32-bit value, sign included
inline constexpr int kNumberWidth = 20;   // N(20,4): weekly hours and the like, exactly
inline constexpr int kNumberDecimals = 4;
inline constexpr int kMaxTextWidth = 254;

enum class Variant { kDbase, kFoxPro, kVisualFoxPro, kLevel7 };

// One field as the file lays it out.
struct FieldLayout {
  std::u16string name;
  char type = 'C';
  std::size_t offset = 0;  // within the record; the delete flag is at 0
  std::size_t length = 0;
  int decimals = 0;
};

struct Layout {
  std::uint8_t version = kVersionWritten;
  Variant variant = Variant::kDbase;
  int code_page = 1252;
  std::uint32_t record_count = 0;
  std::size_t header_length = 0;
  std::size_t record_length = 1;
  std::vector<FieldLayout> fields;  // reachable fields only (no hidden _NullFlags)
};

// Reads and checks a whole table file's header. Throws Error "Corrupt table: ...\nTable: <path>"
// on any inconsistency, and never reads outside `file`.
Layout ParseLayout(std::string_view file, const std::u16string& path);
// The same from the first bytes of a file of `file_size` bytes. Where `start` holds the whole
// header, a header that passes here passes in the whole file with the same layout; the text of a
// failure may differ, as the whole file is not searched for a lost end of the field list.
Layout ParseLayout(std::string_view start, std::uint64_t file_size, const std::u16string& path);

// The layout of a new table with these fields; throws Error for a field list that cannot be a
// table (bad name, width, duplicate).
Layout NewLayout(const std::vector<FieldDef>& fields, int code_page, const std::u16string& path);
// The header bytes of a new table holding `record_count` rows, dated `today` (y, m, d).
std::string BuildHeader(const Layout& layout, std::uint32_t record_count, int year, int month,
                        int day);

// Language driver byte <-> code page.
int CodePageOfDriver(std::uint8_t driver);
std::uint8_t DriverOfCodePage(int code_page);

// The field kind that a stored field offers to callers.
FieldKind KindOf(const FieldLayout& field);

// "Corrupt table: <what>.\nTable: <path>"
[[noreturn]] void ThrowCorrupt(std::u16string_view what, const std::u16string& path);

}  // namespace tpd
