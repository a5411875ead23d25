#include "framework/core/settings/TSettings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

class TSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSettingChangeHook(nullptr);
        ClearSettings();
    }
    void TearDown() override {
        SetSettingChangeHook(nullptr);
        ClearSettings();
    }
};

TEST_F(TSettingsTest, GetSetting_AbsentName_GivesTheDefaultAndInsertsNothing) {
    EXPECT_STREQ(GetSetting("x", "d").CStr(), "d");
    EXPECT_STREQ(GetSetting("x").CStr(), "");
    EXPECT_FALSE(GetSettingBool("x"));
    EXPECT_EQ(GetSettingInt("x"), 0);
    EXPECT_FALSE(HasSetting("x"));
    EXPECT_EQ(GetSettingCount(), 0u);
}

TEST_F(TSettingsTest, SetSetting_StoresAndReplaces) {
    SetSetting("foo", "bar");
    EXPECT_STREQ(GetSetting("foo", "d").CStr(), "bar");
    SetSetting("foo", "baz");
    EXPECT_STREQ(GetSetting("foo").CStr(), "baz");
    SetSetting("empty", "");
    EXPECT_TRUE(HasSetting("empty"));
    EXPECT_STREQ(GetSetting("empty", "d").CStr(), "") << "a stored empty value is not the default";
    EXPECT_EQ(GetSettingCount(), 2u);
    ClearSettings();
    EXPECT_EQ(GetSettingCount(), 0u);
}

TEST_F(TSettingsTest, Names_AreCaseSensitive) {
    SetSetting("Vsync", "1");
    EXPECT_FALSE(HasSetting("vsync"));
    SetSetting("vsync", "0");
    EXPECT_STREQ(GetSetting("Vsync").CStr(), "1");
    EXPECT_STREQ(GetSetting("vsync").CStr(), "0");
}

TEST_F(TSettingsTest, GetSettingBool_IsANonZeroInteger) {
    struct Case {
        const char* value;
        bool enabled;
        int number;
    } cases[] = {
        {"0", false, 0},  {"", false, 0},   {"abc", false, 0},  {"2", true, 2},
        {"-1", true, -1}, {"1", true, 1},   {" 3", true, 3},    {"4x", true, 4},
        {"x4", false, 0}, {"00", false, 0}, {"true", false, 0},
    };
    for (const Case& c : cases) {
        SetSetting("flag", c.value);
        EXPECT_EQ(GetSettingBool("flag"), c.enabled) << '"' << c.value << '"';
        EXPECT_EQ(GetSettingInt("flag"), c.number) << '"' << c.value << '"';
    }
}

TEST_F(TSettingsTest, KeyTable_NamesEveryFrameworkKeyOnce) {
    std::set<std::string> names;
    for (int i = 0; i < static_cast<int>(TSettingKey::kCount); ++i) {
        std::string name = GetSettingKeyName(static_cast<TSettingKey>(i));
        EXPECT_FALSE(name.empty()) << i;
        for (char c : name) {
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || std::isdigit(c)) << name;
        }
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 30u);
    // Every reader takes its name from this table, so each entry must be
    // the exact key the stored data and the scripts use.
    const std::pair<TSettingKey, const char*> expected[] = {
        {TSettingKey::kCheatMode, "cheatmode"},
        {TSettingKey::kDownloadUrl, "downloadurl"},
        {TSettingKey::kComputerId, "computerid"},
        {TSettingKey::kFirstPeek, "firstpeek"},
        {TSettingKey::kInstallKey, "installkey"},
        {TSettingKey::kBuildTag, "buildtag"},
        {TSettingKey::kGameName, "gamename"},
        {TSettingKey::kPublisher, "publisher"},
        {TSettingKey::kVersion, "version"},
        {TSettingKey::kEncryptionKey, "encryptionkey"},
        {TSettingKey::kHiscoreLocal, "hiscorelocal"},
        {TSettingKey::kHiscoreAnon, "hiscoreanon"},
        {TSettingKey::kFlashMajorVersion, "flashmajorversion"},
        {TSettingKey::kHitTestChildren, "hittestchildren"},
        {TSettingKey::kFixButtonMask, "fixbuttonmask"},
        {TSettingKey::kAnimatedParticles, "animatedparticles"},
        {TSettingKey::kVsync, "vsync"},
        {TSettingKey::kMonitorFrequency, "monitorfrequency"},
        {TSettingKey::kTextSpriteRender, "textspriterender"},
        {TSettingKey::kUtf8Mode, "utf8mode"},
        {TSettingKey::kAutoMergeMask, "automergemask"},
        {TSettingKey::kOverlayMouse, "overlaymouse"},
        {TSettingKey::kVerboseDebug, "verbosedebug"},
        {TSettingKey::kNbGameHandle, "nbgamehandle"},
        {TSettingKey::kNbGameModeName, "nbgamemodename"},
        {TSettingKey::kNbGameMedalName, "nbgamemedalname"},
        {TSettingKey::kFpuPrecision, "fpuprecision"},
        {TSettingKey::kKeepOggUncompressed, "keepogguncompressed"},
        {TSettingKey::kSoftwareTextureCulling, "softwaretextureculling"},
        {TSettingKey::kLargeVramUsage, "largevramusage"},
    };
    for (const auto& [key, name] : expected) {
        EXPECT_STREQ(GetSettingKeyName(key), name) << static_cast<int>(key);
    }
    EXPECT_STREQ(GetSettingKeyName(TSettingKey::kCount), "");
    EXPECT_STREQ(GetSettingKeyName(static_cast<TSettingKey>(-1)), "");
}

TEST_F(TSettingsTest, KeyOverloads_UseTheTableName) {
    SetSetting(TSettingKey::kUtf8Mode, "1");
    EXPECT_STREQ(GetSetting("utf8mode").CStr(), "1");
    EXPECT_TRUE(GetSettingBool(TSettingKey::kUtf8Mode));
    EXPECT_EQ(GetSettingInt(TSettingKey::kUtf8Mode), 1);
    EXPECT_STREQ(GetSetting(TSettingKey::kVsync, "none").CStr(), "none");
}

// The only test that stores "legacylinewrap", so the flag starts off here
// also when every test runs in one process.
TEST_F(TSettingsTest, LegacyLineWrap_AnyStoredValueTurnsItOnForGood) {
    EXPECT_FALSE(GetLegacyLineWrap());
    SetSetting("legacylinewrapx", "1");
    SetSetting("LegacyLineWrap", "1");
    EXPECT_FALSE(GetLegacyLineWrap());
    SetSetting(kSettingLegacyLineWrap, "0");
    EXPECT_TRUE(GetLegacyLineWrap());
    ClearSettings();
    EXPECT_TRUE(GetLegacyLineWrap());
}

TEST(TSettingsCheat, MakeCheatCode_IsTheStartOfTheSha256Digest) {
    // SHA-256 of "abc" is ba7816bf8f01cfea414140de5dae2223...
    EXPECT_STREQ(MakeCheatCode("ab", "c").CStr(), "ba7816bf8f01cfea");
    EXPECT_STREQ(MakeCheatCode("", "abc").CStr(), "ba7816bf8f01cfea");
    EXPECT_EQ(MakeCheatCode("00:11:22:33:44:55", "key").Length(), 16);
    EXPECT_NE(MakeCheatCode("00:11:22:33:44:55", "key"), MakeCheatCode("00:11:22:33:44:56", "key"));
}

TEST_F(TSettingsTest, CheatCode_WithoutEncryptionKey_LeavesCheatModeUnchanged) {
    SetSetting("cheatcode", "whatever");
    EXPECT_FALSE(HasSetting("cheatmode"));
    SetSetting("cheatmode", "1");
    SetSetting("cheatcode", "wrong");
    EXPECT_STREQ(GetSetting("cheatmode").CStr(), "1");
    SetSetting("encryptionkey", "");
    EXPECT_STREQ(GetSetting("cheatmode").CStr(), "1");
}

TEST_F(TSettingsTest, CheatMode_FollowsTheCodeForThisComputer) {
    const TString computer("0a:1b:2c:3d:4e:5f");
    const TString key("secret key");
    TString code = MakeCheatCode(computer, key);
    TString upper(code);
    for (int i = 0; i < upper.Length(); ++i) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(upper.CharAt(i))));
        upper.Write(i, &c, 1, false);
    }
    struct Case {
        const char* what;
        TString storedCode;
        const char* mode;
    } cases[] = {
        {"right code", code, "1"},
        {"right code in upper case", upper, "1"},
        {"wrong code", TString("0123456789abcdef"), "0"},
        {"right code cut short", code.Substring(0, 15), "0"},
        {"right code with a tail", code + TString("0"), "0"},
    };
    for (const Case& c : cases) {
        ClearSettings();
        SetSetting("computerid", computer);
        SetSetting("encryptionkey", key);
        EXPECT_FALSE(HasSetting("cheatmode")) << "no code yet";
        SetSetting("cheatcode", c.storedCode);
        EXPECT_STREQ(GetSetting("cheatmode").CStr(), c.mode) << c.what;
    }
    // The key arriving after the code evaluates too.
    ClearSettings();
    SetSetting("computerid", computer);
    SetSetting("cheatcode", code);
    EXPECT_FALSE(HasSetting("cheatmode"));
    SetSetting("encryptionkey", key);
    EXPECT_STREQ(GetSetting("cheatmode").CStr(), "1");
    SetSetting("encryptionkey", "another key");
    EXPECT_STREQ(GetSetting("cheatmode").CStr(), "0");
}

TEST_F(TSettingsTest, ChangeHook_RunsOnlyWhileSet) {
    std::vector<std::pair<std::string, std::string>> calls;
    SetSetting("before", "1");
    SetSettingChangeHook([&](const TString& name, const TString& value) {
        calls.emplace_back(name.CStr(), value.CStr());
        EXPECT_STREQ(GetSetting(name).CStr(), value.CStr()) << "the pair is stored first";
    });
    SetSetting("vsync", "1");
    SetSetting("memorymax", "5000");
    SetSettingChangeHook(nullptr);
    SetSetting("after", "1");
    std::vector<std::pair<std::string, std::string>> expected = {{"vsync", "1"},
                                                                 {"memorymax", "5000"}};
    EXPECT_EQ(calls, expected);
}

TEST_F(TSettingsTest, ChangeHook_SeesTheCheatModeAlreadyEvaluated) {
    SetSetting("computerid", "id");
    SetSetting("encryptionkey", "key");
    std::vector<std::string> names;
    TString modeSeen;
    SetSettingChangeHook([&](const TString& name, const TString&) {
        names.push_back(name.CStr());
        modeSeen = GetSetting("cheatmode", "unset");
    });
    SetSetting("cheatcode", MakeCheatCode("id", "key"));
    EXPECT_EQ(names, std::vector<std::string>{"cheatcode"})
        << "cheatmode is written without a hook call";
    EXPECT_STREQ(modeSeen.CStr(), "1");
}

TEST_F(TSettingsTest, ChangeHook_MayStoreSettingsAndReplaceItself) {
    int calls = 0;
    SetSettingChangeHook([&](const TString& name, const TString& value) {
        ++calls;
        if (CompareBytes(name.CStr(), "viewportscale") == 0) {
            SetSetting("scaled", value);
            SetSettingChangeHook(nullptr);
        }
    });
    SetSetting("viewportscale", "1.5");
    SetSetting("other", "x");
    EXPECT_EQ(calls, 2) << "viewportscale and the nested store, then no hook";
    EXPECT_STREQ(GetSetting("scaled").CStr(), "1.5");
}

TEST_F(TSettingsTest, Store_CanBeUsedFromTwoThreads) {
    auto work = [](const char* prefix) {
        for (int i = 0; i < 500; ++i) {
            TString name = TString::Format("%s%d", prefix, i % 50);
            SetSetting(name, TString::Format("%d", i));
            EXPECT_FALSE(GetSetting(name).IsEmpty());
        }
    };
    std::thread first(work, "a");
    std::thread second(work, "b");
    first.join();
    second.join();
    EXPECT_EQ(GetSettingCount(), 100u);
    EXPECT_STREQ(GetSetting("a49").CStr(), "499");
}

} // namespace
