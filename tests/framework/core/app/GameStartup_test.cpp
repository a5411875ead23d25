#include "velk/GameStartup.h"

#include "framework/core/TSettings.h"

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

} // namespace
