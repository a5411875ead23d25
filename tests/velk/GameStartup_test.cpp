#include "velk/GameStartup.h"

#include "framework/app/AppFixture.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/host/TGameState.h"
#include "framework/script/host/TScript.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/script/TWindowScript.h"
#include "platform/window/VirtualKeys.h"
#include "support/LogText.h"
#include "velk/assets/TAssetLists.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/game/vlkGame.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TEvent.h"
#include "framework/graphics/TRenderer.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TScreen.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/WindowMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
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

// The game's main callback over an application on the null window with a
// still clock, a start-up script of the test's own and a recording game.
class GameMainTest : public AppFixture {
protected:
    // A game that writes down the calls of the loop.
    class RecordingGame : public vlkGame {
    public:
        explicit RecordingGame(std::vector<std::string>& log) : mLog(log) {}
        void gfn_CreateLevel() override {}
        void OnCloseRequest() override { mLog.push_back("close"); }
        void SetPaused(bool paused) override {
            mLog.push_back(paused ? "pause" : "resume");
            // Left in the queue: only an event that reaches the window
            // manager after this one delivers it.
            if (TWindowManager* manager = TWindowManager::Instance())
                manager->PostMessage(new TMessage(TMessage::kUserMessageBase, "after-activation"));
        }

    private:
        std::vector<std::string>& mLog;
    };

    void SetUp() override {
        AppFixture::SetUp();
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
        // A window, not the full screen a fresh profile asks for.
        WriteAsset("config.xml", "<xmlData><game lives=\"3\"/></xmlData>");
        // The start-up script sets the quit guard and stands in for DoModal.
        WriteAsset("scripts/main.lua",
                   "gQuitVerifyActive = gTestQuitGuard\n"
                   "gOpened = ''\n"
                   "function DoModal(file) gOpened = gOpened .. file .. ';' end\n");
        BuildApplication();
        ASSERT_TRUE(mApplication->CreateMainWindow());
        TPrefsDB(true).SetInt("vlkVideo", 0, -1, true);
    }
    void TearDown() override {
        gCurrentGame = nullptr;
        AppFixture::TearDown();
    }
    // The quit guard that the start-up script sets, a Lua expression.
    void QuitGuard(const std::string& value) {
        ASSERT_TRUE(GetGameScript()->DoLuaString(TString(("gTestQuitGuard = " + value).c_str())));
    }
    // Runs the game; each time its loop goes idle the window gets the next
    // batch of messages (the last batch should end with a quit).
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam = 0;
    };
    int RunGame(std::vector<std::vector<Message>> batches) {
        // A still clock: no wake-up timer comes between the events.
        platform::ManualTimeSource clock(5000);
        platform::ScopedTimeSource scope(clock);
        size_t next = 0;
        mWindow->SetWaitHook([&](uint32_t) {
            if (next < batches.size()) {
                for (const Message& message : batches[next])
                    mWindow->Inject(message.message, message.wParam, message.lParam);
                ++next;
            }
        });
        const int result = GameMain(mApplication, "");
        mWindow->SetWaitHook(nullptr);
        EXPECT_EQ(next, batches.size()) << "every batch was given";
        return result;
    }
    std::string Global(const char* name) {
        TScript* script = GetGameScript();
        return script ? script->GetGlobalString(name).ToStd() : "(no script)";
    }
    std::vector<std::string> Queued() {
        std::vector<std::string> names;
        for (TMessage* message : mApplication->GetWindowManager()->GetMessageQueue())
            names.push_back(message->GetName().ToStd());
        return names;
    }

    std::vector<std::string> log;
};

TEST_F(GameMainTest, StartsTheGameAndReleasesItsGlobalsAtTheEnd) {
    QuitGuard("0");
    static const GameWindowType types[] = {{"typeA", TWindow::GetCreator()},
                                           {"typeB", TWindow::GetCreator()}};
    SetGameWindowTypes(types);
    EXPECT_EQ(RunGame({{{platform::kWmKeyDown, 'A'}}, {{platform::kWmQuit, 0}}}), 0);
    SetGameWindowTypes({});
    TRenderer* renderer = TRenderer::Get();
    ASSERT_NE(renderer, nullptr);
    int width = 0, height = 0;
    bool full = true;
    renderer->GetDisplayMode(width, height, full);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_FALSE(full) << "the stored display mode";
    auto* screen = dynamic_cast<TScreen*>(mApplication->GetWindowManager()->GetMainWindow());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetRect(), TRect(0, 0, 1024, 768));
    EXPECT_EQ(Global("gOpened"), "") << "the start-up script ran, nothing asked to close";
    EXPECT_EQ(TGameState::GetInstance()->GetState("WindowActivated").ToStd(), "1");
    EXPECT_EQ(GetSetting("texturememorymax").ToStd(), "192000000");
    auto* script = mApplication->GetWindowManager()->GetScript();
    EXPECT_NE(script->FindWindowType("typeA"), nullptr);
    EXPECT_NE(script->FindWindowType("typeB"), nullptr);
    EXPECT_EQ(gGameSettings, nullptr);
    EXPECT_EQ(gAssetLists, nullptr);
    EXPECT_EQ(gGameAssetMap, nullptr);
    EXPECT_EQ(gGameCursorImage, nullptr);
}

TEST_F(GameMainTest, CloseRequestsAskUnlessTheQuestionIsOpen) {
    struct Case {
        const char* quitVerifyActive;
        bool withGame;
        const char* opened;
        std::vector<std::string> gameCalls;
    } cases[] = {
        {"0", true, "scripts/quit_verify.lua;scripts/quit_verify.lua;", {"close", "close"}},
        {"0", false, "scripts/quit_verify.lua;scripts/quit_verify.lua;", {}},
        {"1", true, "", {"close", "close"}},
        {"false", false, "scripts/quit_verify.lua;scripts/quit_verify.lua;", {}},
        {"nil", true, "scripts/quit_verify.lua;scripts/quit_verify.lua;", {"close", "close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.quitVerifyActive) + (c.withGame ? " with a game" : ""));
        QuitGuard(c.quitVerifyActive);
        log.clear();
        RecordingGame game(log);
        gCurrentGame = c.withGame ? &game : nullptr;
        EXPECT_EQ(
            RunGame(
                {{{platform::kWmClose, 0}}, {{platform::kWmClose, 0}}, {{platform::kWmQuit, 0}}}),
            0);
        gCurrentGame = nullptr;
        EXPECT_EQ(Global("gOpened"), c.opened);
        EXPECT_EQ(log, c.gameCalls);
        EXPECT_TRUE(mWindow->IsCreated()) << "a close request alone never ends the game";
    }
}

// A screen script that died of an error answers no button, the quit
// question's included: closing the window ends the game at once, with 1.
TEST_F(GameMainTest, AfterTheScreenScriptDiedClosingTheWindowQuitsAtOnce) {
    QuitGuard("0");
    GetGameScript()->DoLuaString("return function() error('the screen broke') end");
    ASSERT_TRUE(GetGameScript()->CoroutineFailed());
    log.clear();
    RecordingGame game(log);
    gCurrentGame = &game;
    EXPECT_EQ(RunGame({{{platform::kWmKeyDown, 'A'}}, {{platform::kWmClose, 0}}}), 1);
    gCurrentGame = nullptr;
    EXPECT_EQ(Global("gOpened"), "") << "no quit question";
    EXPECT_TRUE(log.empty());
    const std::string text = support::ReadLogText();
    EXPECT_NE(text.find("The screen script ended in an error: "), std::string::npos) << text;
    EXPECT_NE(text.find("the screen broke"), std::string::npos);
    EXPECT_NE(text.find("quitting without the quit question"), std::string::npos);
    // Said once, for all the events after it.
    const size_t first = text.find("The screen script ended in an error");
    EXPECT_EQ(text.find("The screen script ended in an error", first + 1), std::string::npos);
}

TEST_F(GameMainTest, ActivationPausesTheGameAndTellsTheHosts) {
    QuitGuard("0");
    RecordingGame game(log);
    gCurrentGame = &game;
    EXPECT_EQ(RunGame({{{platform::kWmActivateApp, 0}},
                       {{platform::kWmActivateApp, 1}},
                       {{platform::kWmActivateApp, 0}},
                       {{platform::kWmQuit, 0}}}),
              0);
    EXPECT_EQ(log, (std::vector<std::string>{"pause", "resume", "pause"}));
    EXPECT_EQ(TGameState::GetInstance()->GetState("WindowActivated").ToStd(), "0");
}

// A window that tells when it is deleted.
class MarkedWindow : public TWindow {
public:
    explicit MarkedWindow(bool& deleted) : mDeleted(deleted) {}

protected:
    ~MarkedWindow() override { mDeleted = true; }

private:
    bool& mDeleted;
};

TEST_F(GameMainTest, EveryEventButQuitReachesTheWindowManager) {
    // The window manager deletes the windows queued for deletion at the
    // start of every event it gets.
    struct Case {
        const char* what;
        std::vector<Message> before;
        bool reached;
    } cases[] = {
        {"quit alone", {{platform::kWmQuit, 0}}, false},
        {"a key, then quit", {{platform::kWmKeyDown, 'A'}, {platform::kWmQuit, 0}}, true},
    };
    QuitGuard("1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool deleted = false;
        auto* marked = new MarkedWindow(deleted);
        mApplication->GetWindowManager()->QueueDelete(marked);
        for (const Message& message : c.before)
            mWindow->Inject(message.message, message.wParam, message.lParam);
        EXPECT_EQ(RunGame({}), 0);
        EXPECT_EQ(deleted, c.reached);
        if (!deleted) {
            const auto& queue = mApplication->GetWindowManager()->GetDeletionList();
            EXPECT_NE(std::find(queue.begin(), queue.end(), marked), queue.end());
        }
    }
}

TEST_F(GameMainTest, AFullScreenChangeIsStored) {
    QuitGuard("0");
    // Alt+Enter, which the pump answers by switching the display.
    EXPECT_EQ(RunGame({{{platform::kWmSysKeyDown, platform::kVkReturn, platform::kKeyAltBit}},
                       {{platform::kWmQuit, 0}}}),
              0);
    EXPECT_TRUE(mApplication->IsFullScreen());
    EXPECT_EQ(TPrefsDB(true).GetInt("vlkVideo", -5, -1), 1);
}

TEST(GameStartup, GameMain_WithoutAnApplicationReturns) {
    EXPECT_EQ(GameMain(nullptr, ""), 0);
}

} // namespace
