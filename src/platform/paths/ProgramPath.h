#pragma once

#include <string>

namespace platform {

// Full path of the running program file, or "" when it cannot be read.
std::string ProgramFilePath();

// The program's folder with a trailing "/" (the file path cut behind its
// last separator); the whole path when it has no separator.
std::string ProgramFolder();

// The system's library folder, with a trailing "/": the folder of the C
// library the program runs on (on Debian "/usr/lib/<architecture>/", or
// "/lib/<architecture>/" as the loader names it). "" when it cannot be told.
std::string SystemFolder();

// A folder of this user's own for files the program cannot keep where it
// should: "$TMPDIR/<name>-<user id>" (TMPDIR defaulting to "/tmp"), made
// readable and writable by the user only. "" when it cannot be made or is
// not the user's own.
std::string FallbackFolder(const std::string& name);

// Whether the folder exists and files can be made in it.
bool IsWritableFolder(const std::string& path);

} // namespace platform
