#pragma once

#include <string>

namespace platform {

// Full path of the running program file, or "" when it cannot be read.
std::string ProgramFilePath();

// The program's folder with a trailing "/" (the file path cut behind its
// last separator); the whole path when it has no separator.
std::string ProgramFolder();

} // namespace platform
