// What the platform sources of the file services (transfer/ and tables/) share; callers of the
// file services never need it.
#pragma once

#include <functional>
#include <string>

#include "transfer/replace_file.h"

namespace tpd {

#ifdef _WIN32
// A failed call's status: the system's error (a general failure for 0), in use for a sharing or
// lock violation.
FileStatus FailedWith(unsigned long code);
// The path as a Win32 call takes it: the \\?\ (or \\?\UNC\) form of its full path once that is
// too long for the plain form. Empty for a path holding a NUL, which would make the call see
// another name.
std::wstring Win32Path(const std::u16string& path);
#else
// A failed call's status: the system's error (EIO for 0).
FileStatus FailedWith(int code);
// flock without waiting: in use when another open file of the same file holds a lock in the way
// (in this process or another).
FileStatus LockWithoutWaiting(int fd, int how);
// The path as the system takes it (UTF-8). Empty for a path holding a NUL, which would cut it
// short and name another file.
std::string NativePath(const std::u16string& path);
#endif

// The folder part of `path`, up to and with its last separator; empty when there is none.
std::u16string FolderOf(const std::u16string& path);

// Calls `attempt` again while it reports the file held by another program, for up to about a
// second in all; returns what the last call gave.
FileStatus WhileHeld(const std::function<FileStatus()>& attempt);

}  // namespace tpd
