// Whole-file reading from memory: every byte-order mark route, the strict UTF-8 decoder, the
// UTF-16 decoders and the line splitting.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "transfer/error.h"
#include "transfer/transfer_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = tpd::Bytes(data, size);
  try {
    const std::vector<std::u16string> lines = tpd::SplitWholeFile(bytes);
    // No line holds a line end, and what was read can be written back.
    for (const std::u16string& line : lines) {
      if (line.find_first_of(u"\r\n") != std::u16string::npos) __builtin_trap();
    }
    // Read in pieces (of a size the input chooses), the file gives the same lines.
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 7;
    if (tpd::SplitWholeFileInPieces(bytes, piece) != lines) __builtin_trap();
    tpd::EncodeLines(lines);
  } catch (const tpd::Error&) {
    // Invalid UTF-8 after its mark is refused with the system's text.
  }
  return 0;
}
