#pragma once

// The game's start-up as GameMain runs it on the null window, from the
// build's assets: the tests of the shipped screens lay the assets out
// (linked, or copied when a test writes over a script), give the
// application its main window, keep the game in a window rather than the
// full screen of a fresh profile and register the game's window types,
// which TearDown takes back.

#include "game/startup/GameWindowTypes.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class ShippedGameFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
    }
    void TearDown() override {
        SetGameWindowTypes({});
        AppFixture::TearDown();
    }

    // The program's assets are the build's: a link to them, or a copy that
    // the test may write over (the asset scan takes no linked files).
    enum class Assets { kLinked, kCopied };
    void UseBuildAssets(Assets how) {
        namespace fs = std::filesystem;
        fs::remove_all(mGame / "assets");
        if (how == Assets::kLinked)
            fs::create_directory_symlink(std::string(CORVALO_BINARY_DIR) + "/assets",
                                         mGame / "assets");
        else
            fs::copy(fs::path(CORVALO_BINARY_DIR) / "assets", mGame / "assets",
                     fs::copy_options::recursive);
    }

    // The application and its main window, in a window, with the game's
    // window types.
    void OpenGameWindow() {
        BuildApplication();
        ASSERT_TRUE(mApplication->CreateMainWindow());
        // A window, not the full screen of a fresh profile.
        TPrefsDB(true).SetInt("vlkVideo", 0, -1, true);
        SetGameWindowTypes(GetGameWindowTypes());
    }
};
