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
        // One look at the entry itself; only a link is followed.
        struct stat st;
        bool known = ::lstat(full.c_str(), &st) == 0;
        if (known && S_ISLNK(st.st_mode)) {
            entry.isSymbolicLink = true;
            // A dangling link lists as a file that will not open.
            known = ::stat(full.c_str(), &st) == 0;
        }
        entry.isDirectory = known && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return true;
}

} // namespace platform
