// The status file that tells the timetabler how a run in parameter mode went.
#pragma once

#include <string>

namespace tpd {

// Writes Transformado=<estado> into section [Transformadores] of the profile file at `path`,
// creating the file when missing and keeping its other sections and keys. Throws Error
// "Unable to write to %s" (the full path) when the file cannot be written.
void WriteStatusFile(const std::u16string& path, int estado);

}  // namespace tpd
