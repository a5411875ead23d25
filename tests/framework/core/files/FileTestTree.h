#pragma once

// A temporary folder tree for file tests. Makes a fresh folder under the
// system's temporary folder, enters it as the working directory, and on
// destruction goes back and removes it (read-only folders inside too). Also resets the file
// system's global state so that every test starts from an empty name table.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class FileTestTree {
public:
    FileTestTree() {
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mRoot);
        ResetFileSystem();
        StartLog((mRoot + "/log").c_str());
    }
    ~FileTestTree() {
        StartLog(nullptr);
        ResetFileSystem();
        std::filesystem::current_path(mPrevious);
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
        return mFolder.Write(path, bytes);
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string Log() const { return Read(mRoot + "/log/logfile.txt"); }

private:
    // Removed after the destructor's body has left the folder.
    support::TempFolder mFolder{"corvalo-files-"};
    std::string mRoot = mFolder.Path().string();
    std::filesystem::path mPrevious;
};
