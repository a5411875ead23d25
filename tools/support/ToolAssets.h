#pragma once

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"

#include <filesystem>
#include <string>

// The viewers' assets folder: when the folder exists, logical names resolve
// under it and through the packs it holds.
inline void UseAssetsFolder(const std::string& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        SetAssetsFolder(folder.c_str());
        InitFileSystem();
        LoadPacksInFolder(GetAssetsFolder(), GetNameTable());
    }
}
