#include "velk/globals/GameGlobals.h"

#include "framework/app/AppFixture.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/host/TGameState.h"
#include "framework/script/host/TScript.h"
#include "velk/assets/TGameAssetMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class GameGlobalsTest : public AppFixture {
protected:
    void TearDown() override {
        DestroyGameAssetMap();
        gGameCursorImage.reset();
        AppFixture::TearDown();
    }
    TScript* Script() const { return GetGameScript(); }
};

TEST_F(GameGlobalsTest, InitApplication_UsesTheLocaleForStringsTitleAndScriptPath) {
    struct Case {
        const char* locale; // null: no "locale" setting
        const char* folder;
    } cases[] = {{nullptr, "en"}, {"de", "de"}};
    WriteAsset("loc/en/strings.xml", StringFile("window_title", "Corvalo (en)"));
    WriteAsset("loc/de/strings.xml", StringFile("window_title", "Corvalo (de)"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        BuildApplication();
        if (c.locale)
            SetSetting("locale", c.locale);
        InitApplication(192000000);
        EXPECT_EQ(gGameApplication, mApplication);
        EXPECT_EQ(gGameGraphics, TGraphics::Get());
        EXPECT_EQ(gGameWindowManager, mApplication->GetWindowManager());
        EXPECT_EQ(gGameStringTable, mApplication->GetStringTable());
        EXPECT_EQ(GetSetting("texturememorymax").ToStd(), "192000000");
        EXPECT_EQ(GetSetting("animatedparticles").ToStd(), "1");
        EXPECT_EQ(mApplication->GetPlatform()->GetWindowText().ToStd(),
                  std::string("Corvalo (") + c.folder + ")");
        EXPECT_EQ(Script()->GetGlobalString("qvd_LocalizedPath").ToStd(),
                  std::string("loc/") + c.folder + "/");
        EXPECT_EQ(Script()->GetGlobalString("qvd_Debug").ToStd(), "0");
        ASSERT_NE(gGameAssetMap, nullptr);
        DestroyGameAssetMap();
        EXPECT_EQ(gGameAssetMap, nullptr);
        DestroyApplication();
    }
}

TEST_F(GameGlobalsTest, InitApplication_WithoutAStringTableTitlesWithTheMissingMarker) {
    BuildApplication();
    InitApplication(1000);
    EXPECT_EQ(GetSetting("texturememorymax").ToStd(), "1000");
    EXPECT_EQ(mApplication->GetPlatform()->GetWindowText().ToStd(), "#####");
    EXPECT_NE(gGameAssetMap, nullptr);
}

TEST_F(GameGlobalsTest, RunLuaFileAndString) {
    WriteAsset("scripts/set.lua", "gFromFile = 7");
    BuildApplication();
    EXPECT_TRUE(RunLuaFile("scripts/set.lua"));
    EXPECT_EQ(Script()->GetGlobalNumber("gFromFile"), 7.0);
    EXPECT_FALSE(RunLuaFile("scripts/none.lua"));
    EXPECT_TRUE(Script()->DoLuaString("gFromString = gFromFile + 1"));
    EXPECT_EQ(Script()->GetGlobalNumber("gFromString"), 8.0);
    DestroyApplication();
    EXPECT_FALSE(RunLuaFile("scripts/set.lua")) << "no window script";
}

TEST_F(GameGlobalsTest, WindowActivatedStateAndCursor) {
    BuildApplication();
    for (int value : {1, 0, 1}) {
        SetWindowActivatedState(value);
        EXPECT_EQ(TGameState::GetInstance()->GetState("WindowActivated").ToStd(),
                  std::to_string(value));
    }
    // A missing picture leaves no cursor image, but the hot spot is kept.
    SetGameCursor("gpx/cursor/none", 3, 4);
    EXPECT_FALSE(gGameCursorImage);
    EXPECT_EQ(gGameCursorHotX, 3);
    EXPECT_EQ(gGameCursorHotY, 4);
}

} // namespace
