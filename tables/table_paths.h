// Names of a table's files in its folder: the table, its index, and the temporary files of a
// replacement in progress.
#pragma once

#include <string>
#include <string_view>

namespace tpd {

// `folder` and `name` with one separator between them.
std::u16string JoinPath(const std::u16string& folder, std::u16string_view name);

// The table's name without a ".DBF" ending in any letter case.
std::u16string StripTableEnding(std::u16string_view name);

// "~NAME.tpd-<process>-<attempt>.tmp": the temporary file that becomes NAME.DBF at the commit.
// The "~" start and ".tmp" end keep it out of the way of anything that looks for tables.
std::u16string TempFileName(std::u16string_view base, long process, int attempt);
// Whether `entry` is such a temporary file of table `base` (letter case ignored).
bool IsTempFileOf(std::u16string_view entry, std::u16string_view base);

// Removes the temporary files of table `base` that earlier runs left behind, except those that a
// live program is still writing. Failures are ignored.
void RemoveLeftoverFiles(const std::u16string& folder, std::u16string_view base);

}  // namespace tpd
