// The dBase reader on any bytes: header, field descriptors, every field kind, the language
// driver, deleted rows. Opens the table, walks every row and reads every field in every way, and
// looks a value up: a corrupt table is refused naming the file, never read past its data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tables/table.h"
#include "transfer/error.h"

namespace {

// Everything read from the table, in order: values and the texts of the errors met.
std::u16string ReadAll(const std::filesystem::path& folder) {
  std::u16string seen;
  try {
    tpd::Table table(folder.u16string(), u"T", u"wwTableSoluc");
    table.Open(tpd::Share::kExclusive, tpd::Access::kReadOnly);
    const auto fields = table.Fields();  // a copy: the walk must not depend on the handle's own
    seen += u"rows " + std::u16string(1, static_cast<char16_t>(table.RowCount() & 0xFFFF));
    std::u16string first_value;
    // Every row as text; the first rows in every way (a failed conversion throws, which is slow,
    // and a fuzzed header can count thousands of one-byte rows).
    constexpr int kRowsReadEveryWay = 32;
    int row = 0;
    for (table.First(); !table.Eof(); table.Next(), ++row) {
      const int ways = row < kRowsReadEveryWay ? 3 : 1;
      for (const auto& field : fields) {
        for (int how = 0; how < ways; ++how) {
          try {
            if (how == 0) {
              std::u16string text = table.AsText(field.name);
              if (first_value.empty()) first_value = text;
              seen += u'|' + text;
            } else if (how == 1) {
              seen += u'|' + std::u16string(1, static_cast<char16_t>(table.AsInteger(field.name)));
            } else {
              table.AsNumber(field.name);
            }
          } catch (const tpd::Error& e) {
            // A value that does not convert names field, row and file.
            seen += u'!' + e.text();
          }
        }
      }
    }
    if (!fields.empty()) {
      try {
        seen += table.Locate(fields.front().name, {first_value}) ? u"found" : u"none";
        seen += table.AsText(fields.front().name);
      } catch (const tpd::Error& e) {
        seen += u'!' + e.text();
      }
    }
    table.Close();
  } catch (const tpd::Error& e) {
    // A corrupt table is refused with what is wrong and the file's name.
    seen += u"refused " + e.text();
  }
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path folder = tpd::FreshFolder("dbf");
  tpd::WriteFile(folder / "T.DBF", tpd::Bytes(data, size));
  ReadAll(folder);
  return 0;
}
