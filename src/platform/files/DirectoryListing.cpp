#include "platform/files/DirectoryListing.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

bool ListDirectory(const std::string& path, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    std::string folder = path.empty() ? std::string("/") : path;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    std::string base = folder.back() == '/' ? folder : folder + "/";
    while (const dirent* d = ::readdir(dir)) {
        std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        DirectoryEntry entry;
        entry.name = name;
        std::string full = base + name;
        struct stat st;
        if (::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            entry.isSymbolicLink = true;
            // A dangling link lists as a file that will not open.
            if (::stat(full.c_str(), &st) != 0)
                st.st_mode = 0;
        } else if (::stat(full.c_str(), &st) != 0) {
            st.st_mode = 0;
        }
        entry.isDirectory = S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return true;
}

} // namespace platform
