#include "velk/GameStartup.h"

#include "AppFixture.h"

#include "framework/core/system/TEvent.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TRenderer.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TScreen.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/WindowMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(GameStartup, RecordHoldsTheGamesTexts) {
    StartupRecord record = MakeGameStartupRecord();
    EXPECT_STREQ(record.title, "Corvalo");
    EXPECT_STREQ(record.publisher, "Halvenmark");
    EXPECT_STREQ(record.keyString, "KrvdsPomeXXX");
    EXPECT_STREQ(record.gameHandle, "Corvalo");
}

TEST(GameStartup, ApplyStartupRecord_StoresTheSettingsInOrder) {
    ClearSettings();
    std::vector<std::string> stored;
    SetSettingChangeHook([&](const TString& name, const TString& value) {
        stored.push_back(name.ToStd() + "=" + value.ToStd());
    });
    ApplyStartupRecord(MakeGameStartupRecord());
    SetSettingChangeHook(TSettingChangeHook());
    std::vector<std::string> expected = {
        "publisher=Halvenmark", "gamename=Corvalo",  "utf8mode=1",
        "automergemask=1",      "hittestchildren=1", "encryptionkey=KrvdsPomeXXX",
        "nbgamehandle=Corvalo",
    };
    EXPECT_EQ(stored, expected);
    ClearSettings();
}

TEST(GameStartup, ApplyStartupRecord_StoresMissingTextsAsEmpty) {
    ClearSettings();
    ApplyStartupRecord(StartupRecord());
    EXPECT_TRUE(HasSetting("publisher"));
    EXPECT_STREQ(GetSetting("gamename", "x").CStr(), "");
    EXPECT_STREQ(GetSetting("utf8mode").CStr(), "1");
    ClearSettings();
}

TEST_F(AppFixture, GameMain_SetsUpItsScreenAndEndsOnACloseRequest) {
    // A still clock: no wake-up timer comes between the events.
    platform::ManualTimeSource clock(5000);
    platform::ScopedTimeSource scope(clock);
    BuildApplication();
    ASSERT_TRUE(mApplication->CreateMainWindow());
    mWindow->Inject(platform::kWmKeyDown, 'A');
    mWindow->Inject(platform::kWmClose);
    EXPECT_EQ(GameMain(mApplication, ""), 0);
    TRenderer* renderer = TRenderer::Get();
    ASSERT_NE(renderer, nullptr);
    int width = 0, height = 0;
    bool full = true;
    renderer->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_FALSE(full);
    EXPECT_TRUE(mWindow->IsCreated()) << "closing asks; the game ends and the frame destroys it";
    // The screen is the manager's main window, in the game's colour.
    auto* screen = dynamic_cast<TScreen*>(mApplication->GetWindowManager()->GetMainWindow());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetRect(), TRect(0, 0, 1024, 768));
    EXPECT_FLOAT_EQ(screen->GetBackgroundColor().r, 0.08f);
    EXPECT_FLOAT_EQ(screen->GetBackgroundColor().b, 0.16f);
}

TEST(GameStartup, GameMain_WithoutAnApplicationReturns) {
    EXPECT_EQ(GameMain(nullptr, ""), 0);
}

} // namespace
