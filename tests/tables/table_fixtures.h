// Helpers of the table-store tests: building tables through the store, and dBase files by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tables/table.h"
#include "tests/support/test_support.h"

namespace tpd::test {

using tpd::test::S;
using tpd::test::TempDir;
using tpd::test::U;

inline FieldDef Text(const char16_t* name, int width) { return {name, FieldKind::kText, width}; }
inline FieldDef Logical(const char16_t* name) { return {name, FieldKind::kLogical, 0}; }
inline FieldDef Integer(const char16_t* name) { return {name, FieldKind::kInteger, 0}; }
inline FieldDef Number(const char16_t* name) { return {name, FieldKind::kNumber, 0}; }

// Creates `name` in `folder` with the export steps' sequence and fills it with text rows, one
// value per field in order (only text fields).
inline void MakeTextTable(const std::u16string& folder, const std::u16string& name,
                          const std::vector<FieldDef>& fields,
                          const std::vector<std::vector<std::u16string>>& rows) {
  DeleteTableFiles(folder, name);
  Table table(folder, name);
  table.Create(fields);
  table.Open(Share::kShared, Access::kReadWrite);
  for (const auto& row : rows) {
    table.Append();
    for (std::size_t i = 0; i < row.size(); ++i) table.SetText(fields[i].name, row[i]);
    table.Post();
  }
  table.Close();
}

// A dBase file built byte by byte, for the variants and faults that no writer here produces.
struct RawField {
  std::string name;
  char type;
  int length;
  int decimals = 0;
};

inline void Put16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Header of the given version (32-byte descriptors, or 48-byte ones for level 7), `extra` bytes
// after the terminator inside the header length (Visual FoxPro's 263-byte block), then the
// records as given (each starting with its delete flag) and 0x1A.
inline std::string RawTable(std::uint8_t version, std::uint8_t driver,
                            const std::vector<RawField>& fields,
                            const std::vector<std::string>& records, std::size_t extra = 0) {
  const bool level7 = (version & 7) == 4;
  const std::size_t first = level7 ? 68 : 32, step = level7 ? 48 : 32;
  std::string h(first, '\0');
  h[0] = static_cast<char>(version);
  h[1] = 126, h[2] = 1, h[3] = 15;
  h[29] = static_cast<char>(driver);
  unsigned record_length = 1;
  for (const RawField& f : fields) {
    std::string d(step, '\0');
    d.replace(0, f.name.size(), f.name);
    d[level7 ? 32 : 11] = f.type;
    d[level7 ? 33 : 16] = static_cast<char>(f.length & 0xFF);
    d[level7 ? 34 : 17] = static_cast<char>(f.type == 'C' && !level7 ? f.length >> 8 : f.decimals);
    h += d;
    record_length += static_cast<unsigned>(f.length);
  }
  h += '\r';
  h += std::string(extra, '\0');
  Put32(h, 4, static_cast<std::uint32_t>(records.size()));
  Put16(h, 8, static_cast<unsigned>(h.size()));
  Put16(h, 10, record_length);
  for (const std::string& r : records) h += r;
  h += '\x1A';
  return h;
}

}  // namespace tpd::test
