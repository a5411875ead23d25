#pragma once

// A script host test: a fresh folder that is the working directory, the
// debug log written there, an empty name table and an asset manager, so
// scripts load from files and packs as the program loads them.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/asset/TAssetManager.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

class ScriptFixture : public ::testing::Test {
protected:
    void SetUp() override {
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mFolder.Path());
        ResetFiles();
        StartLog((mFolder.Path() / "log").c_str());
    }
    void TearDown() override {
        StartLog(nullptr);
        ResetFiles();
        std::filesystem::current_path(mPrevious);
    }

    static void ResetFiles() {
        ClearNameRegistry();
        ClearPackList();
        SetAssetsFolder("assets");
    }

    std::string Write(const std::string& path, const std::string& bytes) const {
        return mFolder.Write(path, bytes);
    }

    std::string Log() const {
        std::ifstream in(mFolder.Path() / "log" / "logfile.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // What the log gained since the mark.
    size_t Mark() const { return Log().size(); }
    std::string LogSince(size_t mark) const {
        std::string log = Log();
        return mark < log.size() ? log.substr(mark) : std::string();
    }

    support::TempFolder mFolder{"corvalo-script-"};
    std::filesystem::path mPrevious;
    std::unique_ptr<TAssetManager> mAssets = std::make_unique<TAssetManager>();
};
