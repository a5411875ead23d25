#pragma once

// A temporary folder tree for file tests. Makes a fresh folder under the
// system's temporary folder, enters it as the working directory, and on
// destruction goes back and removes it. Also resets the file system's
// global state so that every test starts from an empty name table.

#include "framework/core/TFileSystem.h"
#include "framework/core/TLog.h"
#include "framework/core/TPackFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

class FileTestTree {
public:
    FileTestTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvalo-files-XXXXXX");
        char* made = ::mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        mRoot = pattern;
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mRoot);
        ResetFileSystem();
        StartLog((mRoot + "/log").c_str());
    }
    ~FileTestTree() {
        StartLog(nullptr);
        ResetFileSystem();
        std::filesystem::current_path(mPrevious);
        std::error_code ignored;
        // Read-only folders made by a test must not stop the clean-up.
        std::filesystem::permissions(mRoot, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(mRoot, ignored);
    }

    static void ResetFileSystem() {
        ClearNameRegistry();
        ClearPackList();
        SetUserDataFolder("");
        SetCommonDataFolder("");
        SetDesktopFolder("");
        SetAssetsFolder("assets");
        SetFirstPeek(false);
        SetHostedControl(false);
    }

    const std::string& Root() const { return mRoot; }

    // Writes a file (relative to the tree unless absolute), making folders.
    std::string Write(const std::string& path, const std::string& bytes) const {
        std::filesystem::path full = path[0] == '/' ? path : mRoot + "/" + path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary);
        out << bytes;
        return full;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string Log() const { return Read(mRoot + "/log/logfile.txt"); }

private:
    std::string mRoot;
    std::filesystem::path mPrevious;
};
