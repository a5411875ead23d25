#include "platform/files/Folders.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    return Env("HOME");
}

// Reads XDG_DESKTOP_DIR="$HOME/Somewhere" from a user-dirs.dirs file.
std::string DesktopFromUserDirs(const std::string& file, const std::string& home) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return {};
    std::string result;
    char line[1024];
    while (std::fgets(line, sizeof line, f)) {
        const char* key = "XDG_DESKTOP_DIR=";
        const char* p = line;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (std::strncmp(p, key, std::strlen(key)) != 0)
            continue;
        p += std::strlen(key);
        std::string value(p);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r' ||
                                  value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) {
            if (home.empty())
                continue;
            value = home + value.substr(5);
        }
        if (!value.empty() && value[0] == '/')
            result = value;
    }
    std::fclose(f);
    return result;
}

} // namespace

std::string UserDataHome() {
    std::string xdg = Env("XDG_DATA_HOME");
    // XDG folders must be absolute; a relative value is ignored.
    if (!xdg.empty() && xdg[0] == '/')
        return xdg;
    std::string home = HomeFolder();
    if (home.empty())
        return {};
    return home + "/.local/share";
}

std::string CommonDataHome() {
    std::string base = UserDataHome();
    return base.empty() ? base : base + "/common";
}

std::string DesktopFolder() {
    std::string home = HomeFolder();
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/')
        config = home.empty() ? std::string() : home + "/.config";
    if (!config.empty()) {
        std::string fromFile = DesktopFromUserDirs(config + "/user-dirs.dirs", home);
        if (!fromFile.empty())
            return fromFile;
    }
    if (home.empty())
        return {};
    return home + "/Desktop";
}

std::string FullPath(const std::string& path) {
    if (path.empty())
        return {};
    std::string absolute;
    if (path[0] == '/') {
        absolute = path;
    } else {
        std::vector<char> buffer(4096);
        if (!::getcwd(buffer.data(), buffer.size()))
            return {};
        absolute = std::string(buffer.data()) + "/" + path;
    }
    // Resolve "." and ".." textually; repeated separators collapse.
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= absolute.size()) {
        size_t end = absolute.find('/', pos);
        if (end == std::string::npos)
            end = absolute.size();
        std::string part = absolute.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? std::string("/") : result;
}

bool MakeFolder(const std::string& path) {
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    return errno == EEXIST && IsFolder(path);
}

bool MakeFolderLevels(const std::string& path, size_t from) {
    if (from > path.size())
        return IsFolder(path);
    bool made = false;
    for (size_t pos = std::max<size_t>(from, 1); pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            std::string level = path.substr(0, pos);
            made = IsFolder(level) || MakeFolder(level);
        }
    }
    return made;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CanRead(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

bool CanReadWrite(const std::string& path) {
    // A file without any write permission bit counts as read-only even for
    // an account that may write anything.
    struct stat st;
    return !path.empty() && ::access(path.c_str(), R_OK | W_OK) == 0 &&
           ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool GetFolderId(const std::string& path, FolderId& id) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    id.device = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

} // namespace platform
