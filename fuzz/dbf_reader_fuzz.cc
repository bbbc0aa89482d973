// The dBase reader on any bytes: header, field descriptors, every field kind, the language
// driver, deleted rows. Opens the table, walks every row and reads every field in every way.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "tables/table.h"
#include "transfer/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path folder = tpd::fuzz::FreshFolder("dbf");
  tpd::fuzz::WriteFile(folder / "T.DBF", tpd::fuzz::Bytes(data, size));
  using tpd::tables::Table;
  try {
    Table table(folder.u16string(), u"T", u"wwTableSoluc");
    table.Open(tpd::tables::Share::kShared, tpd::tables::Access::kReadOnly);
    const auto fields = table.Fields();  // a copy: the walk must not depend on the handle's own
    table.RowCount();
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
            } else if (how == 1) {
              table.AsInteger(field.name);
            } else {
              table.AsNumber(field.name);
            }
          } catch (const tpd::Error&) {
            // A value that does not convert names field, row and file.
          }
        }
      }
    }
    if (!fields.empty()) {
      try {
        table.Locate(fields.front().name, {first_value});
      } catch (const tpd::Error&) {
      }
    }
    table.Close();
  } catch (const tpd::Error&) {
    // A corrupt table is refused with what is wrong and the file's name.
  }
  return 0;
}
