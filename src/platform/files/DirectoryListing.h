#pragma once

#include <string>
#include <vector>

namespace platform {

struct DirectoryEntry {
    std::string name;
    // A folder, or a symbolic link to one.
    bool isDirectory = false;
    bool isSymbolicLink = false;
};

// Lists a folder's entries ("." and ".." left out), sorted by the bytes of
// their names so that scans give the same order on every machine. False
// (and no entries) when the folder cannot be opened.
bool ListDirectory(const std::string& path, std::vector<DirectoryEntry>& entries);

} // namespace platform
