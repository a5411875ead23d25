#pragma once

#include <cstdint>
#include <string>

// Folder and path services of the operating system, as the file layer of
// the framework needs them. Paths are UTF-8 with "/" separators.
namespace platform {

// $XDG_DATA_HOME, or $HOME/.local/share; "" when neither is known.
std::string UserDataHome();
// The writable folder for data shared by every player of the game:
// UserDataHome() + "/common". "" when UserDataHome() is "".
std::string CommonDataHome();
// The desktop: XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (or
// ~/.config/user-dirs.dirs), else $HOME/Desktop; "" when HOME is unknown.
std::string DesktopFolder();

// Absolute, normalised form of a path ("." and ".." resolved textually,
// symbolic links kept); "" on failure. The path need not exist.
std::string FullPath(const std::string& path);

// Creates one folder. True when it was made or already is a folder.
bool MakeFolder(const std::string& path);
// Creates every missing level of a folder path whose end lies at or after
// byte index from; the levels before it are left as they are. True when
// the whole path is a folder afterwards.
bool MakeFolderLevels(const std::string& path, size_t from = 1);

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool CanRead(const std::string& path);
// Readable and writable; a file with no write permission bit at all is
// never writable.
bool CanReadWrite(const std::string& path);

// Identity of a folder (device and inode, following symbolic links), so
// that walks can notice when they come back to a folder they are in.
struct FolderId {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator<(const FolderId& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
    bool operator==(const FolderId&) const = default;
};
bool GetFolderId(const std::string& path, FolderId& id);

} // namespace platform
