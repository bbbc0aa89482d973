#include <cstdio>

#include "cli/console.h"
#include "transfer/text.h"

namespace tpd {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace {
void Write(std::FILE* stream, std::u16string_view line) {
  std::string bytes = ToUtf8(line);
  bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}
}  // namespace

void WriteOut(std::u16string_view line) { Write(stdout, line); }
void WriteErr(std::u16string_view line) { Write(stderr, line); }

}  // namespace tpd
