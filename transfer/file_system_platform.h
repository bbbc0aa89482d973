// What the platform sources of the file services (transfer/ and tables/) share; callers of the
// file services never need it.
#pragma once

#include <functional>
#include <string>

#include "transfer/replace_file.h"

namespace tpd {

#ifdef _WIN32
// The path as a Win32 call takes it: the \\?\ (or \\?\UNC\) form of its full path once that is
// too long for the plain form. Empty for a path holding a NUL, which would make the call see
// another name.
std::wstring Win32Path(const std::u16string& path);
#else
// The path as the system takes it (UTF-8). Empty for a path holding a NUL, which would cut it
// short and name another file.
std::string NativePath(const std::u16string& path);
#endif

// The folder part of `path`, up to and with its last separator; empty when there is none.
std::u16string FolderOf(const std::u16string& path);

// Calls `attempt` again while it reports the file held by another program, for up to about a
// second in all; returns what the last call gave.
ReplaceStatus WhileHeld(const std::function<ReplaceStatus()>& attempt);

}  // namespace tpd
