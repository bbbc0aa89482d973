// Where this program's executable is: the dialog's status file and help file lie beside it.
#pragma once

#include <string>

namespace tpd {

// The full path of the running executable; empty when the system cannot tell.
std::wstring ProgramPath();

}  // namespace tpd
