#pragma once

// A program folder, data folders and a runtime folder of one test's own, and
// a platform object and application built on them in this process.

#include "framework/app/StartupTrace.h"
#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/tasks/TTask.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/null/NullWindow.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// A task that counts its runs and stays in the list.
class CountingTask : public TTask {
public:
    explicit CountingTask(int& runs) : mRuns(runs) {}
    bool Run() override {
        ++mRuns;
        return true;
    }

private:
    int& mRuns;
};

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        mCwd = getcwd(cwd, sizeof cwd) ? cwd : "/";
        ClearSettings();
        ClearNameRegistry();
        setenv("XDG_DATA_HOME", (mRoot.Path() / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", mRoot.Path().c_str(), 1);
        setenv("HOME", mRoot.Path().c_str(), 1);
        std::filesystem::create_directories(mRoot.Path() / "data");
        std::filesystem::create_directories(mGame / "assets");
        SetStartupTrace([this](const char* step) { mSteps.push_back(step); });
        SetSetting(TSettingKey::kPublisher, "Halvenmark");
        SetSetting(TSettingKey::kGameName, "Corvalo");
        SetSetting(TSettingKey::kUtf8Mode, "1");
    }

    void TearDown() override {
        delete mApplication;
        delete mPlatform;
        SetStartupTrace(nullptr);
        StartLog(nullptr);
        ClearSettings();
        ClearNameRegistry();
        (void)!chdir(mCwd.c_str());
    }

    // The platform with its data folders set up and the log started.
    TPlatform* BuildPlatform(const char* commandLine = "") {
        TPlatform::StartInfo start;
        start.commandLine = commandLine;
        start.allowMultiple = true;
        start.programFile = TString((mGame / "corvalo").string());
        start.isWritableFolder = mIsWritableFolder;
        mPlatform = new TPlatform(start);
        // The recording window and desktop: no display is needed.
        auto window = std::make_unique<platform::NullWindow>();
        auto desktop = std::make_unique<platform::NullDesktop>();
        mWindow = window.get();
        mDesktop = desktop.get();
        mPlatform->SetWindowBackEnd(std::move(window), std::move(desktop));
        mPlatform->SetUpFolders(true);
        StartLog(mPlatform->mUserDataFolder.CStr());
        return mPlatform;
    }

    TApplication* BuildApplication(const char* commandLine = "") {
        if (!mPlatform) {
            BuildPlatform(commandLine);
        }
        mApplication = new TApplication(mPlatform);
        mPlatform = nullptr;
        return mApplication;
    }

    void DestroyApplication() {
        delete mApplication;
        mApplication = nullptr;
    }

    std::string WriteAsset(const std::string& name, const std::string& text) {
        return mRoot.Write(mGame / "assets" / name, text);
    }

    std::filesystem::path UserFolder() const {
        return mRoot.Path() / "data" / "Halvenmark" / "Corvalo";
    }
    std::filesystem::path CommonFolder() const {
        return mRoot.Path() / "data" / "common" / "Halvenmark" / "Corvalo";
    }

    // A string file of one row.
    static std::string StringFile(const std::string& label, const std::string& text) {
        return "<Workbook><Worksheet><Table><Row><Cell><Data>" + label +
               "</Data></Cell><Cell><Data>" + text +
               "</Data></Cell></Row></Table></Worksheet></Workbook>";
    }

    static std::string ReadFile(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::string text;
        if (file) {
            char buffer[4096];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
                text.append(buffer, got);
            }
            std::fclose(file);
        }
        return text;
    }

    support::TempFolder mRoot{"corvalo-frame-"};
    std::filesystem::path mGame = mRoot.Path() / "game";
    std::string mCwd;
    std::vector<std::string> mSteps;
    platform::RecordingProcessControl mProcess;
    TPlatform* mPlatform = nullptr;
    TApplication* mApplication = nullptr;
    // Handed to the platform that BuildPlatform makes; null for the file
    // system's answer.
    bool (*mIsWritableFolder)(const std::string& path) = nullptr;
    // Owned by the platform.
    platform::NullWindow* mWindow = nullptr;
    platform::NullDesktop* mDesktop = nullptr;
};
