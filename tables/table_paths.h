// Names of a table's files in its folder.
#pragma once

#include <string>
#include <string_view>

namespace tpd {

// `folder` and `name` with one separator between them.
std::u16string JoinPath(const std::u16string& folder, std::u16string_view name);

// The table's name without a ".DBF" ending in any letter case.
std::u16string StripTableEnding(std::u16string_view name);

}  // namespace tpd
