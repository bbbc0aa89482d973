// The console's side of the platform: the arguments as UTF-8, text written to the standard
// streams (UTF-8, or the console's own wide output when writing to a Windows console).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// The program's arguments without its name, as UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

// One line each; flushed at once so that a caller reading a pipe sees every message in order.
void WriteOut(std::u16string_view line);
void WriteErr(std::u16string_view line);

}  // namespace tpd
