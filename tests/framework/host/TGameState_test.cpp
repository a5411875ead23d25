#include "framework/host/TGameState.h"

#include "framework/core/system/ApplicationPresence.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"

#include "RecordingHandler.h"
#include "RegistryFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

// Handlers live until the fixture deletes the registry, so their journal
// belongs to the fixture.
class GameStateTest : public RegistryFixture {
protected:
    Journal journal;
};

RecordingHandler* AddRecorder(const char* tag, Journal& journal) {
    auto* handler = new RecordingHandler(tag, journal);
    TGameState::AddHandler(handler);
    return handler;
}

TEST_F(GameStateTest, WithoutHandlers_StatesReadBackAsWritten) {
    struct Case {
        const char* name;
        const char* write; // null: never written
        const char* expected;
    } cases[] = {
        {"level", "3", "3"},
        {"never", nullptr, ""},
        {"gamemode", "Classic mode", "Classic mode"},
        {"Level", "9", "9"}, // names keep their case
        {"", "empty name", "empty name"},
        {"score", "", ""},
    };
    for (const Case& c : cases) {
        if (c.write)
            registry->SetState(c.name, c.write);
        EXPECT_EQ(registry->GetState(c.name).ToStd(), c.expected) << c.name;
    }
    EXPECT_EQ(registry->GetState("level").ToStd(), "3");
}

TEST_F(GameStateTest, WithoutHandlers_QuestionsAreFalseAndMuteFollowsTheState) {
    EXPECT_FALSE(registry->QueryRestartMode());
    EXPECT_FALSE(registry->QueryJumpToMenu());
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_FALSE(registry->QueryMuteGame());

    struct Case {
        const char* mute;
        bool muted;
    } cases[] = {{"1", true},  {"0", false}, {"  7 dB", true}, {"on", false},
                 {"-1", true}, {"", false},  {"+2", true},     {"0x1", false}};
    for (const Case& c : cases) {
        registry->SetState("mute", c.mute);
        EXPECT_EQ(registry->QueryMuteGame(), c.muted) << '"' << c.mute << '"';
        EXPECT_FALSE(registry->QueryRestartMode());
    }
}

TEST_F(GameStateTest, IncrementForm_CountsTheStateUpAndIgnoresTheValue) {
    struct Case {
        const char* before; // null: never set
        const char* expected;
    } cases[] = {
        {nullptr, "1"},
        {"3", "4"},
        {"-1", "0"},
        {"abc", "1"},
        {"", "1"},
        {" 12x", "13"},
        {"2147483647", "2147483648"},
    };
    int round = 0;
    for (const Case& c : cases) {
        TString name = TString::Format("counter%d", round++);
        if (c.before)
            registry->SetState(name, c.before);
        registry->SetState(TString("++") + name, "whatever");
        EXPECT_EQ(registry->GetState(name).ToStd(), c.expected) << (c.before ? c.before : "unset");
        EXPECT_EQ(registry->GetState(TString("++") + name).ToStd(), "")
            << "nothing is stored under the long name";
    }
}

TEST_F(GameStateTest, IncrementForm_HandlersAreToldTheShortNameAndTheNewValue) {
    AddRecorder("A", journal);
    registry->SetState("level", "3");
    journal.clear();
    registry->SetState("++level", "10");
    EXPECT_EQ(journal, (Journal{"A get level=3", "A set level=4"}));
}

TEST_F(GameStateTest, SetStateInt_WritesDecimal) {
    struct Case {
        int32_t value;
        const char* text;
    } cases[] = {
        {0, "0"}, {42, "42"}, {-5, "-5"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const Case& c : cases) {
        registry->SetStateInt("windowmessage", c.value);
        EXPECT_EQ(registry->GetState("windowmessage").ToStd(), c.text);
    }
}

TEST_F(GameStateTest, Handlers_AreToldEveryWriteInRegistrationOrder) {
    AddRecorder("A", journal);
    AddRecorder("B", journal);
    registry->SetState("score", "120");
    registry->SetStateInt("level", 2);
    EXPECT_EQ(journal,
              (Journal{"A set score=120", "B set score=120", "A set level=2", "B set level=2"}));
}

TEST_F(GameStateTest, Handlers_FindTheNewValueStoredWhenTheyAreTold) {
    RecordingHandler* handler = AddRecorder("A", journal);
    std::string seen;
    handler->onSet = [&](const char* name, const char*) {
        seen = TGameState::GetInstance()->GetState(name).ToStd();
    };
    registry->SetState("pause", "1");
    EXPECT_EQ(seen, "1");
}

TEST_F(GameStateTest, ConsumedState_IsStoredButLaterHandlersAreNotTold) {
    AddRecorder("A", journal)->consume = "pause";
    AddRecorder("B", journal);
    registry->SetState("pause", "1");
    registry->SetState("level", "5");
    EXPECT_EQ(journal, (Journal{"A set pause=1", "A set level=5", "B set level=5"}));
    journal.clear();
    EXPECT_EQ(registry->GetState("pause").ToStd(), "1");
}

TEST_F(GameStateTest, Reads_PassThroughEveryHandlerAndGiveTheLastAnswer) {
    AddRecorder("A", journal)->appendOnGet = "-a";
    AddRecorder("B", journal)->appendOnGet = "-b";
    registry->SetState("score", "7");
    journal.clear();
    EXPECT_EQ(registry->GetState("score").ToStd(), "7-a-b");
    EXPECT_EQ(journal, (Journal{"A get score=7", "B get score=7-a"}));
    // The table itself is not changed by what the handlers answer.
    EXPECT_EQ(registry->GetState("score").ToStd(), "7-a-b");
}

struct QuestionCase {
    const char* name;
    bool (TGameState::*ask)();
    bool RecordingHandler::*answer;
    const char* note;
};

const QuestionCase kQuestions[] = {
    {"restart", &TGameState::QueryRestartMode, &RecordingHandler::restart, "ask restart"},
    {"menu", &TGameState::QueryJumpToMenu, &RecordingHandler::menu, "ask menu"},
    {"mute", &TGameState::QueryMuteGame, &RecordingHandler::mute, "ask mute"},
    {"suspend", &TGameState::QuerySuspendGame, &RecordingHandler::suspend, "ask suspend"},
};

// The questions put to the handlers, without the reads they make.
Journal Questions(const Journal& journal) {
    Journal asked;
    for (const std::string& entry : journal) {
        if (entry.find(" ask ") != std::string::npos)
            asked.push_back(entry);
    }
    return asked;
}

TEST_F(GameStateTest, Questions_StopAtTheFirstHandlerThatSaysYes) {
    for (const QuestionCase& q : kQuestions) {
        SCOPED_TRACE(q.name);
        journal.clear();
        std::vector<RecordingHandler*> handlers = {
            AddRecorder("A", journal), AddRecorder("B", journal), AddRecorder("C", journal)};

        EXPECT_FALSE(std::invoke(q.ask, registry));
        EXPECT_EQ(Questions(journal),
                  (Journal{std::string("A ") + q.note, std::string("B ") + q.note,
                           std::string("C ") + q.note}));

        journal.clear();
        handlers[1]->*q.answer = true;
        handlers[2]->*q.answer = true;
        EXPECT_TRUE(std::invoke(q.ask, registry));
        EXPECT_EQ(journal, (Journal{std::string("A ") + q.note, std::string("B ") + q.note}));

        // Start the next question with a fresh registry and no handlers.
        SetApplicationPresent(false);
        delete TGameState::GetInstance();
        SetApplicationPresent(true);
        registry = TGameState::GetInstance();
    }
}

TEST_F(GameStateTest, QueryMuteGame_AHandlerSaysYesWhileTheStateIsZero) {
    RecordingHandler* handler = AddRecorder("A", journal);
    handler->mute = true;
    registry->SetState("mute", "0");
    EXPECT_TRUE(registry->QueryMuteGame());

    // Without a yes, "mute" is read through the handlers like any state.
    handler->mute = false;
    EXPECT_FALSE(registry->QueryMuteGame());
    handler->appendOnGet = "5"; // "0" reads as "05"
    EXPECT_TRUE(registry->QueryMuteGame());
}

TEST_F(GameStateTest, Mute_SavesTheMasterVolumeAndRestoresIt) {
    TSoundManager sound;
    sound.SetMasterVolume(0.6f);

    registry->SetState("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);

    // A second mute mutes nothing more and saves nothing new.
    sound.SetMasterVolume(0.25f);
    registry->SetState("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.25f);

    registry->SetState("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.6f);

    // Unmuted already: nothing changes.
    sound.SetMasterVolume(0.3f);
    registry->SetState("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.3f);

    // Counting up from zero mutes too.
    registry->SetState("++mute", "");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    registry->SetStateInt("mute", 0);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.3f);
}

TEST_F(GameStateTest, Mute_ConsumedByAHandlerLeavesTheVolumeAlone) {
    TSoundManager sound;
    sound.SetMasterVolume(0.8f);
    RecordingHandler* handler = AddRecorder("A", journal);
    handler->consume = "mute";

    registry->SetState("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.8f);
    EXPECT_EQ(registry->GetState("mute").ToStd(), "1");
    EXPECT_TRUE(registry->QueryMuteGame());

    // The handler lets the unmute through: the registry never muted, so it
    // has no volume to put back and must not silence the game.
    handler->consume.clear();
    registry->SetState("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.8f);
}

TEST_F(GameStateTest, Mute_AfterAConsumedUnmuteKeepsTheVolumeSavedFirst) {
    TSoundManager sound;
    sound.SetMasterVolume(0.7f);
    RecordingHandler* handler = AddRecorder("A", journal);

    registry->SetState("mute", "1");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);
    handler->consume = "mute";
    registry->SetState("mute", "0");
    handler->consume.clear();
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.0f);

    registry->SetState("mute", "1");
    registry->SetState("mute", "0");
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.7f);
}

TEST_F(GameStateTest, Mute_WithoutASoundManagerOnlyStoresTheState) {
    ASSERT_EQ(TSoundManager::Instance(), nullptr);
    registry->SetState("mute", "1");
    registry->SetState("mute", "0");
    EXPECT_EQ(registry->GetState("mute").ToStd(), "0");
}

TEST_F(GameStateTest, Destruction_DeletesEveryHandlerInRegistrationOrder) {
    AddRecorder("A", journal);
    AddRecorder("B", journal);
    EXPECT_EQ(TGameState::GetHandlerCount(), 2);

    SetApplicationPresent(false);
    delete TGameState::GetInstance();
    EXPECT_EQ(journal, (Journal{"A deleted", "B deleted"}));
    EXPECT_EQ(TGameState::GetHandlerCount(), 0);
    EXPECT_EQ(TGameState::GetInstance(), nullptr);

    SetApplicationPresent(true);
    registry = TGameState::GetInstance();
}

TEST_F(GameStateTest, Destruction_AHandlerThatReadsStatesWhileDeletedFindsNoHandlers) {
    // Reads "level" from its destructor, as a module's DestroyHandler might.
    struct Reader : RecordingHandler {
        Reader(Journal& journal, std::string& seen) : RecordingHandler("R", journal), mSeen(seen) {}
        ~Reader() override {
            if (TGameState* registry = TGameState::GetInstance())
                mSeen = registry->GetState("level").ToStd();
        }
        std::string& mSeen;
    };
    std::string seen;
    TGameState::AddHandler(new Reader(journal, seen));
    AddRecorder("B", journal);
    registry->SetState("level", "2");
    journal.clear();

    SetApplicationPresent(false);
    delete TGameState::GetInstance();
    EXPECT_EQ(seen, "2");
    // Neither the reader itself nor B was asked for "level" during tear-down.
    EXPECT_EQ(journal, (Journal{"R deleted", "B deleted"}));

    SetApplicationPresent(true);
    registry = TGameState::GetInstance();
}

TEST_F(GameStateTest, AddHandler_RefusesNull) {
    TGameState::AddHandler(nullptr);
    EXPECT_EQ(TGameState::GetHandlerCount(), 0);
    registry->SetState("level", "1");
    EXPECT_FALSE(registry->QuerySuspendGame());
    EXPECT_NE(Log().find("null game-state handler"), std::string::npos) << Log();
}

TEST_F(GameStateTest, AddHandler_RefusesAHandlerRegisteredAlready) {
    RecordingHandler* handler = AddRecorder("A", journal);
    AddRecorder("B", journal);
    TGameState::AddHandler(handler);
    EXPECT_EQ(TGameState::GetHandlerCount(), 2);
    EXPECT_NE(Log().find("TGameState: a game-state handler registered already was not "
                         "registered again"),
              std::string::npos)
        << Log();
    registry->SetState("level", "1");
    EXPECT_EQ(journal, (Journal{"A set level=1", "B set level=1"}));

    // Each handler is deleted once, in registration order.
    journal.clear();
    SetApplicationPresent(false);
    delete TGameState::GetInstance();
    EXPECT_EQ(journal, (Journal{"A deleted", "B deleted"}));

    SetApplicationPresent(true);
    registry = TGameState::GetInstance();
}

TEST(GameStateLifetime, GetInstance_MakesTheRegistryOnlyWhileTheApplicationExists) {
    SetApplicationPresent(false);
    EXPECT_EQ(TGameState::GetInstance(), nullptr);
    EXPECT_EQ(TGameState::GetInstance(), nullptr);

    SetApplicationPresent(true);
    TGameState* registry = TGameState::GetInstance();
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(TGameState::GetInstance(), registry);

    // The application's destructor clears itself first, then deletes the
    // registry it still gets from GetInstance.
    SetApplicationPresent(false);
    EXPECT_EQ(TGameState::GetInstance(), registry);
    delete registry;
    EXPECT_EQ(TGameState::GetInstance(), nullptr);
}

TEST(GameStateLifetime, HandlersAddedBeforeTheRegistryExistServeIt) {
    SetApplicationPresent(false);
    Journal journal;
    TGameState::AddHandler(new RecordingHandler("early", journal));

    SetApplicationPresent(true);
    TGameState* registry = TGameState::GetInstance();
    ASSERT_NE(registry, nullptr);
    registry->SetState("cmdline", "corvalo -msn");
    SetApplicationPresent(false);
    delete registry;
    EXPECT_EQ(journal, (Journal{"early set cmdline=corvalo -msn", "early deleted"}));
}

} // namespace

namespace {

// The registry made while a window manager with its script exists, as in
// the running program.
class GameStateScriptTest : public GameStateTest {
protected:
    void SetUp() override {
        mManager.Init(new TWindowScript);
        script = mManager.GetScript();
        GameStateTest::SetUp();
    }

    std::string Text(const char* expression) {
        std::string statement = std::string("gResult = ") + expression;
        EXPECT_TRUE(script->DoLuaString(statement.c_str())) << statement;
        return script->GetGlobalString("gResult").ToStd();
    }
    void Run(const char* statement) { EXPECT_TRUE(script->DoLuaString(statement)) << statement; }

    TWindowScript* script = nullptr;

private:
    TWindowManager mManager;
};

TEST_F(GameStateScriptTest, SetAndGet_ConvertArgumentsAsTheEngineDoes) {
    struct Case {
        const char* statement;
        const char* name;
        const char* stored;
    } cases[] = {
        {"_SetState('level', '3')", "level", "3"},
        {"_SetState('level', 7)", "level", "7"},
        {"_SetState('ratio', 2.5)", "ratio", "2.5"},
        {"_SetState('big', 2^31)", "big", "2147483648"},
        {"_SetState('gone', nil)", "gone", ""},
        {"_SetState('missing')", "missing", ""},
        {"_SetState('flag', true)", "flag", ""},
        {"_SetState(12, 'twelve')", "12", "twelve"},
        {"_SetState('++level', 'ignored')", "level", "8"},
    };
    for (const Case& c : cases) {
        Run(c.statement);
        EXPECT_EQ(registry->GetState(c.name).ToStd(), c.stored) << c.statement;
    }
    registry->SetState("score", "990");
    EXPECT_EQ(Text("GetState('score')"), "990");
    EXPECT_EQ(Text("GetState('never')"), "");
    EXPECT_EQ(Text("type(GetState())"), "string");
}

TEST_F(GameStateScriptTest, Questions_AnswerBooleans) {
    RecordingHandler* handler = AddRecorder("A", journal);
    EXPECT_EQ(Text("tostring(QueryRestartMode())"), "false");
    EXPECT_EQ(Text("tostring(QueryJumpToMenu())"), "false");
    EXPECT_EQ(Text("tostring(QueryMuteGame())"), "false");
    handler->restart = true;
    handler->menu = true;
    EXPECT_EQ(Text("tostring(QueryRestartMode())"), "true");
    EXPECT_EQ(Text("tostring(QueryJumpToMenu())"), "true");
    Run("_SetState('mute', 1)");
    EXPECT_EQ(Text("tostring(QueryMuteGame())"), "true");
    // The suspend question is the event pump's alone.
    EXPECT_EQ(Text("type(QuerySuspendGame)"), "nil");
}

TEST_F(GameStateScriptTest, FunctionsOutlivingTheRegistry_ReadNothing) {
    registry->SetState("level", "5");
    SetApplicationPresent(false);
    delete TGameState::GetInstance();

    EXPECT_EQ(Text("GetState('level')"), "");
    EXPECT_EQ(Text("tostring(QueryMuteGame())"), "false");
    Run("_SetState('level', 6)");
    EXPECT_NE(Log().find("_SetState: there is no game-state registry"), std::string::npos) << Log();

    SetApplicationPresent(true);
    registry = TGameState::GetInstance();
    EXPECT_EQ(registry->GetState("level").ToStd(), "");
}

TEST_F(GameStateTest, WithoutAWindowScript_TheRegistryStillWorks) {
    ASSERT_EQ(TWindowManager::Instance(), nullptr);
    EXPECT_NE(Log().find("no window script"), std::string::npos) << Log();
    registry->SetState("level", "1");
    EXPECT_EQ(registry->GetState("level").ToStd(), "1");
}

} // namespace
