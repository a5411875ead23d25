#include "framework/host/TMsnQuarrowHandler.h"

#include "framework/host/PortalInstallers.h"
#include "framework/host/PortalState.h"
#include "framework/host/TGameState.h"
#include "framework/sound/manager/TSoundManager.h"
#include "platform/time/manual/ManualTimeSource.h"

#include "PortalHost.h"
#include "RegistryFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// The registry with the portal state of a new process, a hand-moved clock
// and a page on a socket pair.
class PortalHandlerTest : public RegistryFixture {
protected:
    void SetUp() override {
        ResetPortalState();
        RegistryFixture::SetUp();
    }
    void TearDown() override {
        RegistryFixture::TearDown();
        ResetPortalState();
    }

    // Installs as the application main does for a command line, and hands
    // it over as "cmdline".
    void Start(const std::string& commandLine) {
        if (commandLine.find("-msn") != std::string::npos)
            InstallMsnHandler();
        if (commandLine.find("-quarrow") != std::string::npos)
            InstallQuarrowHandler();
        if (commandLine.find("-aol") != std::string::npos)
            InstallAolHandler();
        if (commandLine.find("-pq=") != std::string::npos) {
            page.pq = true;
            InstallMsnHandler();
        }
        registry->SetState("cmdline", commandLine.c_str());
    }

    void Set(const char* name, const char* value) { registry->SetState(name, value); }
    void Code(int code) { registry->SetStateInt("windowmessage", code); }

    platform::ManualTimeSource clock{100000};
    platform::ScopedTimeSource useClock{clock};
    PortalHost page;
};

TEST_F(PortalHandlerTest, Post_CutsTheTextAndItsEndIntoEightByteChunks) {
    InstallMsnHandler();
    struct Case {
        std::string text;
        size_t records;
    } cases[] = {{"", 1}, {"1234567", 1}, {"12345678", 2}, {"ABCDEFGHIJKLMNO", 2}};
    for (const Case& c : cases) {
        PostToPortalHost(c.text, false);
        std::vector<platform::HostRecord> records = page.Records();
        ASSERT_EQ(records.size(), c.records) << '"' << c.text << '"';
        PostToPortalHost(c.text, false);
        EXPECT_EQ(page.Texts(), Texts{c.text});
    }
    // Bytes 0-3 and 4-7 as little-endian words; after the NUL, zeros.
    PostToPortalHost("ABCDEFGHIJKLMNO", false);
    std::vector<platform::HostRecord> records = page.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].wParam, 0x44434241u);
    EXPECT_EQ(records[0].lParam, 0x48474645u);
    EXPECT_EQ(records[1].wParam, 0x4C4B4A49u);
    EXPECT_EQ(records[1].lParam, 0x004F4E4Du);
    PostToPortalHost("12345678", false);
    records = page.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].wParam, 0u);
    EXPECT_EQ(records[1].lParam, 0u);
}

// One game as the page sees it in each mode: what is posted for each state
// and whether the game then waits (answered with code 5 at once).
TEST_F(PortalHandlerTest, Modes_EachStatePostsItsMessageAndWaitsOnlyInMsnMode) {
    using Step = std::pair<std::string, bool>; // text, waits
    const std::string shortScore = "ScoreSubmit(\"<game><score>40</score><time>2</time></game>\")";
    const std::string longScore = "ScoreSubmit(\"<game><score>40</score><time>2</time><level>3"
                                  "</level><sublevel>2</sublevel></game>\")";
    struct Case {
        const char* commandLine;
        const char* systemMode;
        std::vector<Step> expected;
    } cases[] = {
        {"-msn -wnd=7",
         "msn",
         {{"LoadBroadcast(\"<data><percentcomplete>100</percentcomplete></data>\")", true},
          {"SessionReady(\"<data></data>\")", true},
          {"GameReady(\"<data><mode>Classic</mode></data>\")", true},
          {"ScoreBroadcast(\"<game><score>10</score><time>0</time></game>\")", false},
          {"GameBreak(\"<data><breakpoint>1</breakpoint></data>\")", true},
          // One state posts both: the score does not wait, the end does.
          {shortScore, true},
          {"GameEnd(\"<gamedata></gamedata>\")", true},
          {"CustomEvent(\"<gamedata>DeluxeDownload</gamedata>\")", false}}},
        {"-quarrow -wnd=7",
         "quarrow",
         {{"SessionReady(\"<data></data>\")", false},
          {"GameReady(\"<data><mode>Classic</mode></data>\")", false},
          {"ScoreBroadcast(\"<game><score>10</score><time>0</time></game>\")", false},
          {"GameBreak(\"<data><breakpoint>1</breakpoint></data>\")", false},
          {"GamePause(\"<data>true</data>\")", false},
          {"GamePause(\"<data>false</data>\")", false},
          {longScore, false},
          {"GameEnd(\"<gamedata></gamedata>\")", false},
          {"GoDeluxe", false},
          {"MaxLevelReached", false}}},
        {"-msn -quarrow -wnd=7",
         "msn",
         {{"LoadBroadcast(\"<data><percentcomplete>100</percentcomplete></data>\")", false},
          {"SessionReady(\"<data></data>\")", false},
          {"GameReady(\"<data><mode>Classic</mode></data>\")", false},
          {"ScoreBroadcast(\"<game><score>10</score><time>0</time></game>\")", false},
          {"GameBreak(\"<data><breakpoint>1</breakpoint></data>\")", false},
          {"GamePause(\"<data>true</data>\")", false},
          {"GamePause(\"<data>false</data>\")", false},
          {longScore, false},
          {"GameEnd(\"<gamedata></gamedata>\")", false},
          {"GoDeluxe", false},
          {"MaxLevelReached", false}}},
        {"-aol", "aol", {}},
        {"-pq=1", "msn", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        TearDown();
        SetUp();
        Start(c.commandLine);
        std::vector<Step> got;
        auto step = [&](const char* name, const char* value) {
            Set(name, value);
            bool waits = registry->QuerySuspendGame();
            for (const std::string& text : page.Texts())
                got.push_back({text, waits});
            if (waits)
                Code(5);
            EXPECT_FALSE(registry->QuerySuspendGame());
        };
        step("loadbroadcast", "0");
        step("sessionready", "0");
        Code(7);
        EXPECT_FALSE(registry->QueryRestartMode()) << "the first game is no restart";
        step("level", "3");
        step("sublevel", "2");
        step("gamemode", "Classic");
        step("score", "10");
        clock.Advance(1500);
        step("breaknow", "");
        step("pause", "1");
        step("pause", "1");
        step("pause", "0");
        clock.Advance(1000);
        step("score", "40");
        step("gameover", "1");
        step("downloadbutton", "1");
        step("nomorecontent", "1");
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(registry->GetState("systemmode").ToStd(), c.systemMode);
        EXPECT_EQ(TGameState::GetHandlerCount(), 1) << "one handler per process";
        if (page.pq) {
            EXPECT_TRUE(IsPortalGameActive()) << "a post makes the game active with -pq=";
        }
    }
}

TEST_F(PortalHandlerTest, Codes_BusyWaitAndNewGames) {
    TSoundManager sound;
    sound.SetMasterVolume(0.5f);
    Start("-msn -wnd=7");
    // No portal game yet: msn keeps the sound off.
    Code(3);
    EXPECT_TRUE(registry->QueryMuteGame());
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    Code(7);
    EXPECT_FALSE(registry->QueryMuteGame());
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.5f);

    Code(2);
    EXPECT_TRUE(registry->QueryMuteGame());
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    Code(3);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.5f);

    Code(4);
    EXPECT_TRUE(registry->QuerySuspendGame());
    EXPECT_TRUE(registry->QueryMuteGame());
    for (int end : {5, 6, 9, 10}) {
        Code(4);
        Code(end);
        EXPECT_FALSE(registry->QuerySuspendGame()) << end;
    }
    // A code 4 during a wait begins none.
    EXPECT_EQ(page.calls,
              (std::vector<std::string>{"arrow", "game cursor", "arrow", "game cursor", "arrow",
                                        "game cursor", "arrow", "game cursor"}));
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.5f);

    // A later code 7 asks for a restart, once; code 8 likewise.
    Code(7);
    EXPECT_TRUE(registry->QueryRestartMode());
    EXPECT_FALSE(registry->QueryRestartMode());
    Code(8);
    EXPECT_TRUE(registry->QueryRestartMode());
    // A return to the menu ends the portal game; the next code 7 starts one
    // without a restart.
    Code(1);
    EXPECT_TRUE(registry->QueryJumpToMenu());
    EXPECT_FALSE(registry->QueryJumpToMenu());
    EXPECT_FALSE(IsPortalGameActive());
    EXPECT_TRUE(registry->QueryMuteGame());
    Code(7);
    EXPECT_FALSE(registry->QueryRestartMode());
    EXPECT_TRUE(IsPortalGameActive());

    // Unknown codes: nothing but the mute rule, and a line each.
    Code(0);
    Code(-1);
    Code(11);
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_NE(Log().find("unknown code -1 from the host"), std::string::npos) << Log();
    EXPECT_TRUE(page.Texts().empty());
}

TEST_F(PortalHandlerTest, Code7_EndsAWaitAndRestartsThePortalClock) {
    Start("-msn -wnd=7");
    Code(7);
    clock.Advance(4000);
    Set("breaknow", "");
    EXPECT_TRUE(registry->QuerySuspendGame());
    Code(7);
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_EQ(GetPortalBreakCounter(), 0u);
    EXPECT_EQ(GetPortalClockTime(), 0u);
    clock.Advance(2000);
    EXPECT_EQ(GetPortalClockTime(), 2000u);
    Set("breaknow", "");
    Texts texts = page.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "GameBreak(\"<data><breakpoint>1</breakpoint></data>\")");
}

TEST_F(PortalHandlerTest, ScoreBroadcasts_AtMostEveryFiveSeconds) {
    Start("-msn -wnd=7");
    Code(7);
    page.Texts();
    struct Case {
        uint32_t at;
        bool posted;
    } cases[] = {{0, true}, {4999, false}, {5000, true}, {9999, false}, {10000, true}};
    const uint32_t start = clock.NowMs();
    for (const Case& c : cases) {
        clock.Set(start + c.at);
        Set("score", std::to_string(c.at).c_str());
        EXPECT_EQ(page.Texts().size(), c.posted ? 1u : 0u) << c.at;
    }
    // Not between portal games.
    Set("gameover", "1");
    Code(5);
    page.Texts();
    clock.Advance(60000);
    Set("score", "1");
    EXPECT_TRUE(page.Texts().empty());
}

TEST_F(PortalHandlerTest, Restart_FollowsTheComIntervalAndASubmittedScore) {
    Start("-quarrow -wnd=7 -com_interval=10 -upsell_levels=4 -max_levels=12");
    EXPECT_EQ(registry->GetState("upsellfrequency").ToStd(), "4");
    EXPECT_EQ(registry->GetState("maxlevel").ToStd(), "12");
    Code(7);
    page.Texts();
    clock.Advance(10999);
    EXPECT_EQ(registry->GetState("restartbutton").ToStd(), "0") << "10 s is not past 10 s";
    clock.Advance(1);
    EXPECT_EQ(registry->GetState("restartbutton").ToStd(), "1");
    // No score submitted yet: no restart offered.
    Set("restartbutton", "1");
    EXPECT_TRUE(page.Texts().empty());
    Set("gameover", "1");
    page.Texts();
    Set("restartbutton", "1");
    EXPECT_EQ(page.Texts(), Texts{"Restart"});

    // Without the option it never is.
    TearDown();
    SetUp();
    Start("-quarrow -wnd=7");
    Code(7);
    clock.Advance(1000000);
    EXPECT_EQ(registry->GetState("restartbutton").ToStd(), "0");
    EXPECT_EQ(registry->GetState("maxlevel").ToStd(), "-1");
}

TEST_F(PortalHandlerTest, Options_ReadOneCharacterAfterTheirNames) {
    struct Case {
        const char* commandLine;
        int32_t value;
    } cases[] = {
        {"-quarrow -max_levels=7", 7},
        {"-quarrow -max_levels 7", 7},
        {"-quarrow -max_levels", -1},  // ends the text: nothing to read
        {"-quarrow -max_levels=", -1}, // the character after the name ends it
        {"-quarrow", -1},
        {"-quarrow -max_levels=x", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadPortalOption(c.commandLine, "-max_levels"), c.value) << c.commandLine;
}

TEST_F(PortalHandlerTest, Pause_OnlyAChangeActsAndStopsThePortalClock) {
    Start("-quarrow -wnd=7");
    Code(7);
    page.Texts();
    Set("pause", "1");
    Set("pause", "1");
    clock.Advance(3000);
    EXPECT_EQ(GetPortalClockTime(), 0u);
    Set("pause", "0");
    Set("pause", "0");
    clock.Advance(1000);
    EXPECT_EQ(GetPortalClockTime(), 1000u);
    EXPECT_EQ(page.Texts(),
              (Texts{"GamePause(\"<data>true</data>\")", "GamePause(\"<data>false</data>\")"}));
}

TEST_F(PortalHandlerTest, Mute_ThePlayersMuteHoldsThroughTheHostsRequests) {
    TSoundManager sound;
    sound.SetMasterVolume(0.8f);
    Start("-msn -wnd=7");
    Code(7);
    Set("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    Code(2);
    Code(3);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f) << "still muted by the player";
    Set("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.8f);
    EXPECT_FALSE(registry->QueryMuteGame());
}

TEST_F(PortalHandlerTest, AolAlone_LeavesTheMuteToTheRegistry) {
    TSoundManager sound;
    sound.SetMasterVolume(0.8f);
    Start("-aol");
    Set("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    EXPECT_TRUE(registry->QueryMuteGame());
    Set("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.8f);
    EXPECT_EQ(GetPortalWaitTime(), 0u);
    EXPECT_EQ(registry->GetState("systemmode").ToStd(), "aol");
}

TEST_F(PortalHandlerTest, MsnWithoutAHost_TheGamePlaysAloud) {
    TSoundManager sound;
    sound.SetMasterVolume(0.7f);
    SetHostServices(nullptr);
    Start("-msn");
    Set("loadbroadcast", "0");
    Set("sessionready", "0");
    Set("gamemode", "Classic");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.7f);
    EXPECT_FALSE(registry->QueryMuteGame());
    // The player's own mute and the pause still hold.
    Set("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    Set("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.7f);
    SetHostServices(&page);
}

TEST_F(PortalHandlerTest, Wait_OnlyForAHostThatTookTheMessage) {
    // "-msn" without a host: nothing can answer, so nothing waits.
    SetHostServices(nullptr);
    Start("-msn");
    Set("loadbroadcast", "0");
    Set("sessionready", "0");
    EXPECT_FALSE(registry->QuerySuspendGame());
    Set("breaknow", "");
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_NE(Log().find("no host took the message"), std::string::npos);
    SetHostServices(&page);

    // A host that hangs up: the wait it began ends.
    TearDown();
    SetUp();
    Start("-msn -wnd=7");
    Set("loadbroadcast", "0");
    EXPECT_TRUE(registry->QuerySuspendGame());
    page.HangUp();
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_NE(Log().find("the host went away during a wait"), std::string::npos);
    // And later waiting messages find no host.
    Set("gamemode", "Classic");
    EXPECT_FALSE(registry->QuerySuspendGame());
}

TEST_F(PortalHandlerTest, WaitTime_CountsTheRunningWaitSoTheClockStandsStill) {
    Start("-msn -wnd=7");
    Code(7);
    EXPECT_EQ(GetPortalWaitTime(), 0u);
    Set("breaknow", "");
    clock.Advance(300);
    EXPECT_EQ(GetPortalWaitTime(), 300u);
    clock.Advance(700);
    EXPECT_EQ(GetPortalWaitTime(), 1000u);
    Code(5);
    clock.Advance(5000);
    EXPECT_EQ(GetPortalWaitTime(), 1000u);
    // The platform timer less the wait never runs back across the end.
    EXPECT_EQ(GetPortalClockTime(), 5000u);
}

TEST_F(PortalHandlerTest, Installers_RegisterOneHandlerAndSetEveryFlag) {
    Start("-msn -quarrow -aol -wnd=7");
    EXPECT_EQ(TGameState::GetHandlerCount(), 1);
    EXPECT_TRUE(IsMsnPortal());
    EXPECT_TRUE(IsQuarrowPortal());
    Code(7);
    page.Texts();
    Set("score", "5");
    page.Texts();
    Set("breaknow", "");
    Set("gameover", "");
    Texts texts = page.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].rfind("GameBreak(", 0), 0u);
    EXPECT_EQ(texts[1].rfind("ScoreSubmit(", 0), 0u);
    EXPECT_EQ(texts[2].rfind("GameEnd(", 0), 0u);
}

TEST_F(PortalHandlerTest, GameMode_KeepsSafeCharactersAndFitsTheMessage) {
    Start("-msn -wnd=7");
    page.Texts();
    Set("gamemode", "Joker \"<x>\" _easy-2");
    Code(5);
    EXPECT_EQ(page.Texts(), Texts{"GameReady(\"<data><mode>Joker x _easy-2</mode></data>\")"});

    std::string huge;
    for (int i = 0; i < 1000; ++i)
        huge += "ab\"<cd>'&!";
    Set("gamemode", huge.c_str());
    Code(5);
    Texts texts = page.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].size(), 255u);
    EXPECT_EQ(texts[0].rfind("GameReady(\"<data><mode>abcdabcd", 0), 0u);
    EXPECT_EQ(texts[0].substr(texts[0].size() - 16), "</mode></data>\")");
    EXPECT_EQ(texts[0].find('\'', 0), std::string::npos);
}

TEST_F(PortalHandlerTest, LoadBroadcast_NotAfterSessionReady) {
    Start("-msn -wnd=7");
    Set("sessionready", "0");
    Code(5);
    Set("loadbroadcast", "0");
    Set("sessionready", "0");
    EXPECT_EQ(page.Texts(), Texts{"SessionReady(\"<data></data>\")"});
    EXPECT_FALSE(registry->QuerySuspendGame());
}

TEST_F(PortalHandlerTest, PqSwitch_PostsNothingButMakesTheGameActive) {
    page.pq = true;
    Start("-pq=1");
    EXPECT_FALSE(IsPortalGameActive());
    Set("loadbroadcast", "0");
    EXPECT_TRUE(IsPortalGameActive());
    EXPECT_FALSE(registry->QuerySuspendGame());
    Code(4);
    EXPECT_EQ(page.calls, (std::vector<std::string>{"release capture", "arrow"}));
    EXPECT_TRUE(page.Records().empty());
}

} // namespace
