// What the console says, in Spanish, when its command line cannot be understood. The parser's own
// texts are English and name its internals; a school's IT person gets instead what was wrong,
// with the word as typed, and where to read more.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace tpd {

// The lines for a failed parse of `app` (the top-level command, after `parse` threw `e`): first
// what was wrong, then where the help is. UTF-8, one line each.
std::vector<std::string> UsageErrorLines(const CLI::ParseError& e, const CLI::App& app);

// The lines for a command line without a command.
std::vector<std::string> MissingCommandLines(const CLI::App& app);

}  // namespace tpd
