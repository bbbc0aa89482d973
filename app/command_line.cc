#include "app/command_line.h"

namespace tpd {
namespace {

// The blank and every control character below it separate words.
bool IsSeparator(char16_t c) { return c <= u' '; }

// Reads the word starting at `pos` (after any separators) into `word`. Returns false when only
// separators were left. `pos` ends just after the word.
bool NextWord(std::u16string_view line, size_t& pos, std::u16string& word) {
  while (pos < line.size() && IsSeparator(line[pos])) ++pos;
  if (pos == line.size()) return false;
  word.clear();
  bool quoted = false;
  for (; pos < line.size(); ++pos) {
    const char16_t c = line[pos];
    if (c == u'"') {
      quoted = !quoted;
    } else if (!quoted && IsSeparator(c)) {
      break;
    } else {
      word += c;
    }
  }
  return true;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line) {
  std::vector<std::u16string> params;
  size_t pos = 0;
  std::u16string word;
  bool program_name = true;
  while (NextWord(command_line, pos, word)) {
    // The program's own name comes first and is never counted, even when it is an empty "".
    if (program_name) {
      program_name = false;
      continue;
    }
    if (!word.empty()) params.push_back(word);
  }
  return params;
}

}  // namespace tpd
