// Line-by-line reading of a transfer file, the data-record test and the column cuts that the
// export steps make on every record.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "transfer/Clipper.h"
#include "transfer/error.h"
#include "transfer/transfer_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path path = tpd::ScratchFolder() / "lines.txt";
  tpd::WriteFile(path, tpd::Bytes(data, size));
  try {
    tpd::LineReader reader(path.u16string());
    // A second reader reads into one line kept from line to line, as the export steps do: it
    // must give the same lines.
    tpd::LineReader again(path.u16string());
    std::u16string kept;
    std::u16string record_name;
    while (!reader.AtEnd()) {
      const std::u16string line = reader.ReadLine();
      if (again.AtEnd()) __builtin_trap();
      again.ReadLine(kept);
      if (kept != line) __builtin_trap();
      if (record_name.empty()) record_name = tpd::RecordName(line);
      if (!tpd::IsDataRecord(line, record_name)) continue;
      // Cuts at and around the ends of the line, as the record layouts make them.
      const int length = static_cast<int>(line.size());
      for (int start : {-1, 0, 1, 2, 52, length - 1, length, length + 1}) {
        for (int count : {-1, 0, 1, 8, 50, length}) {
          tpd::Field(line, start, count);
        }
      }
      tpd::Iniciales(tpd::AllTrim(line), u" ");
      tpd::LTrim(line);
      tpd::RTrim(line);
    }
    if (!again.AtEnd()) __builtin_trap();
    reader.Close();
  } catch (const tpd::Error&) {
    // A file that cannot be read is reported, never a crash.
  }
  return 0;
}
