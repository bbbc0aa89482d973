// `tpdconsola tabla NAME`: what a table holds, for a user checking what a run wrote.
#pragma once

#include <string>

namespace tpd {

// Prints the table's path and row count, its field names and its first `rows` rows (all when
// negative), one line each, fields separated by " | ". Errors pass to the caller.
void ShowTable(const std::u16string& table_folder, const std::u16string& name, int rows);

}  // namespace tpd
