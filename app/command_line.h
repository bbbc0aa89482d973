// The command line split into parameters the way the timetabler passes them to us.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tpd {

// Splits a whole command line (as GetCommandLineW gives it) into its parameters, the program's
// name not included. Blanks and control characters separate words; double quotes group blanks
// into a word and are removed; a word that was only a pair of quotes ("") is no parameter.
std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line);

}  // namespace tpd
