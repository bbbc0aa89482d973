// Where the tables are: the folder PTEMP at the root of the drive that holds the chosen folder
// (X:\PTEMP, or \\server\share\PTEMP for a network path); /PTEMP where there are no drives.
#pragma once

#include <string>

namespace tpd {

std::u16string TableFolderFor(const std::u16string& chosen_folder);

}  // namespace tpd
