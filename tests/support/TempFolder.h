#pragma once

// A fresh folder under the system's temporary folder for one test, named
// from a prefix plus six random characters, and removed with everything in
// it when the object goes. A folder that cannot be made throws, which fails
// the test that asked for it.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace support {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "corvalo-test-") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::system_error(errno, std::generic_category(), "cannot make " + pattern);
        mPath = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        // Folders a test made read-only or unlistable must not stop the clean-up.
        OpenUp(mPath);
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return mPath; }

    // Writes a file (relative to the folder unless absolute), making the
    // folders above it; gives its full path.
    std::string Write(const std::filesystem::path& path, const std::string& bytes) const {
        std::filesystem::path full = mPath / path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        return full.string();
    }

private:
    // Gives the owner every right on a folder and on the folders below it;
    // links are not followed.
    static void OpenUp(const std::filesystem::path& folder) {
        std::error_code error;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->symlink_status(error).type() == std::filesystem::file_type::directory)
                OpenUp(it->path());
        }
    }

    std::filesystem::path mPath;
};

} // namespace support
