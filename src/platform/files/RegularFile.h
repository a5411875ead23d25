#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opening a file for reading where the name comes from a folder listing or
// a user's folder. Only regular files are opened: a FIFO would block the
// open (and the program with it) until some writer came, and a device
// such as /dev/zero would read for ever. The open itself never waits.

// A descriptor open for reading (close-on-exec, blocking reads), or -1
// with errno set; a name that is not a regular file gives -1 and EINVAL
// (EISDIR for a folder). error, when given, gets a reason on failure.
int OpenRegularFile(const std::string& path, std::string* error = nullptr);

// The same as a buffered "rb" stream; null on failure.
FILE* OpenRegularFileStream(const std::string& path, std::string* error = nullptr);

// Whether a path names a regular file, a symbolic link followed.
bool IsRegularFile(const std::string& path);

} // namespace platform
