#include "framework/script/host/TScript.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TPackWriter.h"
#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include "framework/script/ScriptFixture.h"

#include <lauxlib.h>
#include <lua.h>

#include <string>

namespace {

// A script in a real task list on a clock that only moves by hand.
class ScriptTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        mScript = new TScript;
        mScript->SetClock(&mClock);
        mTasks.AddTask(mScript);
        L = mScript->GetState();
        ASSERT_NE(L, nullptr);
    }
    void TearDown() override {
        mTasks.DeleteAll();
        ScriptFixture::TearDown();
    }

    void Run(const char* source) { ASSERT_TRUE(mScript->DoLuaString(source)) << source; }
    double Number(const char* name) { return mScript->GetGlobalNumber(name); }
    void Pass() { mTasks.RunAll(0); }

    TClock mClock;
    TTaskList mTasks;
    TScript* mScript = nullptr;
    lua_State* L = nullptr;
};

TEST_F(ScriptTest, Constructor_LeavesTheTaskSuspendedAndSetsTheStateUp) {
    EXPECT_TRUE(mScript->IsSuspended());
    EXPECT_TRUE(mScript->OwnsState());
    EXPECT_EQ(TScript::FromState(L), mScript);
    for (const char* name : {"_ALERT", "DebugOut", "toparams", "DumpTable", "_Internal_DumpEntry",
                             "_Internal_DumpTable"}) {
        lua_getglobal(L, name);
        EXPECT_TRUE(lua_isfunction(L, -1)) << name;
        lua_pop(L, 1);
    }
    // Nothing to run: a pass leaves it alone.
    Pass();
    EXPECT_TRUE(mScript->IsSuspended());
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ScriptTest, ToParams_GivesTheElementsAsResults) {
    Run("a, b, c, d = toparams({1, nil, 'x', n = 3})");
    EXPECT_EQ(Number("a"), 1.0);
    EXPECT_TRUE(mScript->GetGlobalString("b").IsEmpty());
    EXPECT_STREQ(mScript->GetGlobalString("c").CStr(), "x");
    Run("e = d == nil and 1 or 0; n = select('#', toparams({})); m = select('#', toparams({1, "
        "2}))");
    EXPECT_EQ(Number("e"), 1.0);
    EXPECT_EQ(Number("n"), 0.0);
    EXPECT_EQ(Number("m"), 2.0);
    Run("big = {} for i = 1, 5000 do big[i] = i end; last = select(5000, toparams(big))");
    EXPECT_EQ(Number("last"), 5000.0);
}

TEST_F(ScriptTest, DumpTable_HandsDebugOutTheEntriesIndented) {
    Run("function DebugOut(s) dumped = s end\n"
        "DumpTable({a = 1})\n"
        "flat = dumped\n"
        "DumpTable({t = {x = 'y'}})\n"
        "nested = dumped\n"
        "DumpTable({a = {b = {c = {d = {e = {f = {g = 1}}}}}}})\n"
        "deep = dumped");
    EXPECT_STREQ(mScript->GetGlobalString("flat").CStr(), "Dump Table: \na -> 1\n");
    EXPECT_STREQ(mScript->GetGlobalString("nested").CStr(), "Dump Table: \nt -> {\n  x -> y\n}\n");
    std::string deep = mScript->GetGlobalString("deep").ToStd();
    EXPECT_NE(deep.find("          f -> {\n            ...\n          }\n"), std::string::npos)
        << deep;
}

TEST_F(ScriptTest, DoLuaString_ErrorsAreLoggedWithTheirPhaseAndHandedOn) {
    struct Case {
        const char* source;
        const char* phase;
        const char* text;
    } cases[] = {
        {"x = = 1", "parsing", "unexpected symbol"},
        {"error('boom')", "running", "boom"},
        {"local t = nil; t.x = 1", "running", "attempt to index"},
    };
    Run("function LuaErrorMessage(m) handed = m end");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        size_t mark = Mark();
        lua_pushnumber(L, 7);
        EXPECT_FALSE(mScript->DoLuaString(c.source));
        EXPECT_EQ(lua_gettop(L), 1) << "the stack is back at its height";
        lua_pop(L, 1);
        std::string log = LogSince(mark);
        std::string when = std::string("\n\twhen ") + c.phase + " " + c.source;
        EXPECT_NE(log.find("DoLuaString Lua Error: "), std::string::npos) << log;
        EXPECT_NE(log.find(when), std::string::npos) << log;
        EXPECT_NE(log.find(c.text), std::string::npos) << log;
        std::string handed = mScript->GetGlobalString("handed").ToStd();
        EXPECT_EQ(handed.find("Lua Error: "), 0u) << handed;
        EXPECT_NE(handed.find(std::string("\n\twhen ") + c.phase), std::string::npos) << handed;
    }
}

// The error handler gives its message back, so a run error reaches the
// "when running" line with its text instead of as nil.
TEST_F(ScriptTest, DoLuaString_RunErrorKeepsItsMessageThroughTheHandler) {
    size_t mark = Mark();
    EXPECT_FALSE(mScript->DoLuaString("error('lost?')"));
    std::string log = LogSince(mark);
    EXPECT_NE(log.find("Lua error: [string \"error('lost?')\"]:1: lost?"), std::string::npos)
        << log;
    EXPECT_NE(log.find("]:1: lost?\n\twhen running error('lost?')"), std::string::npos) << log;
    // Without a handler function the message is stored in the global.
    std::string stored = mScript->GetGlobalString("LuaErrorMessage").ToStd();
    EXPECT_NE(stored.find("lost?\n\twhen running"), std::string::npos) << stored;
}

TEST_F(ScriptTest, DoLuaString_ResultsAndLength) {
    EXPECT_TRUE(mScript->DoLuaString("return 1, 2", TScript::kWholeSource, 2));
    ASSERT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(lua_tonumber(L, 1), 1.0);
    EXPECT_EQ(lua_tonumber(L, 2), 2.0);
    lua_settop(L, 0);
    EXPECT_TRUE(mScript->DoLuaString("return 5"));
    EXPECT_EQ(lua_gettop(L), 0) << "a result count of 0 drops the one result";
    EXPECT_TRUE(mScript->DoLuaString("cut = 12345", 8));
    EXPECT_EQ(Number("cut"), 12.0);
    EXPECT_TRUE(mScript->DoLuaString("whole = 3", 1000));
    EXPECT_EQ(Number("whole"), 3.0);
    EXPECT_TRUE(mScript->DoLuaString("path = LUA_PATH"));
    EXPECT_STREQ(mScript->GetGlobalString("path").CStr(), "assets/?;?;../?;../../?");
}

TEST_F(ScriptTest, DoFile_MissingFileIsSilentAndLeavesTheStack) {
    lua_pushnumber(L, 1);
    size_t mark = Mark();
    for (const char* name : {"", "scripts/none.lua", "::nowhere/none.lua"}) {
        EXPECT_FALSE(mScript->DoFile(name)) << name;
    }
    EXPECT_EQ(LogSince(mark), "");
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(ScriptTest, DoFile_RunsAFileAndReportsBrokenOnes) {
    Write("assets/scripts/ok.lua", "ran = (ran or 0) + 1; return {}");
    Write("assets/scripts/broken.lua", "x = = 1");
    Write("assets/scripts/fails.lua", "error('inside')");
    ScanAssetFolder("assets", "");
    lua_pushnumber(L, 1);
    EXPECT_TRUE(mScript->DoFile("scripts/ok.lua"));
    EXPECT_EQ(Number("ran"), 1.0);
    EXPECT_TRUE(mScript->IsSuspended()) << "a chunk that returns a table starts nothing";
    size_t mark = Mark();
    EXPECT_FALSE(mScript->DoFile("scripts/broken.lua"));
    EXPECT_NE(LogSince(mark).find("Lua error: "), std::string::npos) << LogSince(mark);
    EXPECT_NE(LogSince(mark).find("broken.lua"), std::string::npos) << LogSince(mark);
    mark = Mark();
    EXPECT_FALSE(mScript->DoFile("scripts/fails.lua"));
    EXPECT_NE(LogSince(mark).find("Failed to run script scripts/fails.lua: 1"), std::string::npos)
        << LogSince(mark);
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST_F(ScriptTest, DoFile_RunsAFileInsideAPack) {
    std::string source = Write("packed/scripts/inpack.lua", "frompack = L\"w\" .. 1; n = 6 & 3");
    std::vector<TPackSource> sources{{"scripts/inpack.lua", source.c_str()}};
    TString error;
    std::filesystem::create_directories("assets");
    ASSERT_TRUE(WritePackFile("assets/test.nbp", sources, error)) << error.CStr();
    std::filesystem::remove_all("packed");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/test.nbp"));
    EXPECT_TRUE(mScript->DoFile("scripts/inpack.lua"));
    EXPECT_STREQ(mScript->GetGlobalString("frompack").CStr(), "w1");
    EXPECT_EQ(Number("n"), 2.0);
}

TEST_F(ScriptTest, ReturnedFunction_RunsAsTheCoroutineOncePerPass) {
    Run("return function() steps = 1; coroutine.yield(); steps = 2; coroutine.yield(); "
        "steps = 3 end");
    EXPECT_EQ(Number("steps"), 1.0);
    EXPECT_TRUE(mScript->InCoroutine());
    EXPECT_FALSE(mScript->IsSuspended());
    Pass();
    EXPECT_EQ(Number("steps"), 2.0);
    EXPECT_TRUE(mScript->InCoroutine());
    Pass();
    EXPECT_EQ(Number("steps"), 3.0);
    EXPECT_FALSE(mScript->InCoroutine());
    EXPECT_TRUE(mScript->IsSuspended());
    EXPECT_TRUE(mTasks.Contains(mScript));
    Pass();
    EXPECT_EQ(Number("steps"), 3.0);
    EXPECT_EQ(lua_gettop(L), 0);
    // A function that ends at once leaves nothing to resume.
    Run("return function() quick = 1 end");
    EXPECT_EQ(Number("quick"), 1.0);
    EXPECT_TRUE(mScript->IsSuspended());
}

TEST_F(ScriptTest, FileReturningAFunction_StartsItAsTheCoroutine) {
    Write("assets/scripts/screen.lua",
          "return function() while true do waits = (waits or 0) + 1; coroutine.yield() end end");
    ScanAssetFolder("assets", "");
    EXPECT_TRUE(mScript->DoFile("scripts/screen.lua"));
    EXPECT_EQ(Number("waits"), 1.0);
    Pass();
    Pass();
    EXPECT_EQ(Number("waits"), 3.0);
    EXPECT_TRUE(mScript->InCoroutine());
}

TEST_F(ScriptTest, CallWhileSuspended_IsWrappedAndKeepsSixArguments) {
    Run("function record(...) got = arg.n; a6 = arg[6]; a7 = arg[7] end");
    Run("return function() coroutine.yield() end");
    ASSERT_TRUE(mScript->InCoroutine());
    lua_getglobal(L, "record");
    for (int i = 1; i <= 7; ++i) {
        lua_pushnumber(L, i);
    }
    EXPECT_EQ(mScript->RunFunction(7, 0), 0);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(Number("a6"), 6.0);
    EXPECT_TRUE(mScript->GetGlobalString("a7").IsEmpty()) << "the seventh is lost";
    EXPECT_EQ(Number("got"), 6.0);
    // A call for two results is not wrapped.
    lua_getglobal(L, "record");
    for (int i = 1; i <= 7; ++i) {
        lua_pushnumber(L, i);
    }
    EXPECT_EQ(mScript->RunFunction(7, 2), 0);
    EXPECT_EQ(lua_gettop(L), 2);
    EXPECT_EQ(Number("a7"), 7.0);
    lua_settop(L, 0);
    EXPECT_TRUE(mScript->InCoroutine()) << "the coroutine still waits";
}

// A host that hands wrapped calls to its coroutine, as the window script
// does: the coroutine calls the closure and yields its result back.
class HandingScript : public TScript {
protected:
    bool DeliverCall() override {
        lua_State* L = GetMainState();
        lua_pushnil(L);
        lua_insert(L, -2);
        return Resume(2) == 0;
    }
};

TEST_F(ScriptFixture, CallHandedToTheCoroutine_ComesBackAsItsResult) {
    auto* script = new HandingScript;
    TTaskList tasks;
    tasks.AddTask(script);
    lua_State* L = script->GetState();
    ASSERT_TRUE(script->DoLuaString("function double(x) return x * 2 end\n"
                                    "return function()\n"
                                    "  while true do\n"
                                    "    local m, f = coroutine.yield(gYieldResult)\n"
                                    "    if f then gYieldResult = f() end\n"
                                    "  end\n"
                                    "end"));
    ASSERT_TRUE(script->InCoroutine());
    lua_getglobal(L, "double");
    lua_pushnumber(L, 21);
    EXPECT_EQ(script->RunFunction(1, 1), 0);
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(lua_tonumber(L, 1), 42.0);
    lua_settop(L, 0);
    // A closure that fails kills the coroutine: logged, and the call is
    // then made at once, failing there too.
    ASSERT_TRUE(script->DoLuaString("function bad() error('in closure') end"));
    size_t mark = Mark();
    lua_getglobal(L, "bad");
    EXPECT_NE(script->RunFunction(0, 1), 0);
    lua_settop(L, 0);
    std::string log = LogSince(mark);
    EXPECT_NE(log.find("lua_resume ERROR: "), std::string::npos) << log;
    EXPECT_NE(log.find("in closure"), std::string::npos) << log;
    EXPECT_FALSE(script->InCoroutine());
    tasks.RunAll(0);
    EXPECT_TRUE(script->IsSuspended());
}

TEST_F(ScriptTest, CoroutineThatFailsWhileCallsWait_IsLoggedAndSuspends) {
    Run("function later() called = (called or 0) + 1 end");
    Run("return function() coroutine.yield(); error('coroutine broke') end");
    // Calls arrive while it waits; the plain host makes them at once.
    for (int i = 0; i < 3; ++i) {
        lua_getglobal(L, "later");
        EXPECT_EQ(mScript->RunFunction(0, 0), 0);
    }
    EXPECT_EQ(Number("called"), 3.0);
    size_t mark = Mark();
    Pass();
    std::string log = LogSince(mark);
    EXPECT_NE(log.find("lua_resume ERROR: "), std::string::npos) << log;
    EXPECT_NE(log.find("coroutine broke"), std::string::npos) << log;
    EXPECT_TRUE(mScript->IsSuspended());
    EXPECT_FALSE(mScript->InCoroutine());
    EXPECT_EQ(lua_gettop(L), 0);
    // The state stays usable, and a new coroutine can start.
    Run("return function() coroutine.yield() end");
    EXPECT_TRUE(mScript->InCoroutine());
}

TEST_F(ScriptTest, Resume_WithoutACoroutineFailsAndSaysSo) {
    size_t mark = Mark();
    EXPECT_NE(mScript->Resume(0), 0);
    EXPECT_NE(LogSince(mark).find("lua_resume ERROR: "), std::string::npos);
    EXPECT_EQ(lua_gettop(L), 0);
}

// A native function that the coroutine calls tries to resume it.
int ResumeFromInside(lua_State* L) {
    TScript* script = TScript::FromState(L);
    lua_pushnumber(L, script->Resume(0));
    lua_pushboolean(L, script->Step());
    return 2;
}

TEST_F(ScriptTest, ResumeFromInsideTheCoroutine_IsRefusedAndLeavesItRunning) {
    mScript->RegisterFunction("ResumeFromInside", ResumeFromInside);
    size_t mark = Mark();
    Run("return function() local a, b, c = 1, 2, 3; code = ResumeFromInside(); "
        "sum = a + b + c; coroutine.yield(); after = 1 end");
    EXPECT_EQ(Number("code"), 1.0);
    EXPECT_EQ(Number("sum"), 6.0);
    EXPECT_NE(LogSince(mark).find("lua_resume ERROR: cannot resume non-suspended coroutine"),
              std::string::npos)
        << LogSince(mark);
    EXPECT_TRUE(mScript->InCoroutine());
    Pass();
    EXPECT_EQ(Number("after"), 1.0);
}

TEST_F(ScriptTest, RunFunction_FailureForManyResultsIsLogged) {
    Run("function fails() error('no') end");
    lua_getglobal(L, "fails");
    size_t mark = Mark();
    EXPECT_EQ(mScript->RunFunction(0, 3), 1);
    EXPECT_NE(LogSince(mark).find(
                  "TScript::RunFunction failure. Too many return results? (3, FAILURE CODE 1)"),
              std::string::npos)
        << LogSince(mark);
    EXPECT_EQ(lua_gettop(L), 1) << "the error object is left";
    lua_settop(L, 0);
}

TEST_F(ScriptTest, NewThread_RunsItsFunctionStepByStepAndCallsRunOnTheMainState) {
    Run("function walk() steps = 1; coroutine.yield(); steps = 2 end");
    TScript* thread = mScript->NewThread();
    ASSERT_NE(thread, nullptr);
    thread->SetClock(&mClock);
    mTasks.AddTask(thread);
    lua_State* T = thread->GetState();
    EXPECT_NE(T, L);
    EXPECT_FALSE(thread->OwnsState());
    EXPECT_TRUE(thread->IsSuspended());
    lua_getglobal(T, "walk");
    thread->Delay(0, true);
    Pass();
    EXPECT_EQ(Number("steps"), 1.0);
    EXPECT_TRUE(thread->InCoroutine());
    // A call made while the thread waits runs on the main state.
    EXPECT_TRUE(thread->DoLuaString("fromthread = 1"));
    EXPECT_TRUE(thread->DoLuaString("return 9", TScript::kWholeSource, 1));
    EXPECT_EQ(lua_tonumber(T, -1), 9.0);
    lua_pop(T, 1);
    Pass();
    EXPECT_EQ(Number("steps"), 2.0);
    EXPECT_EQ(Number("fromthread"), 1.0);
    EXPECT_FALSE(thread->InCoroutine());
    EXPECT_TRUE(thread->IsSuspended());
}

// A thread script's coroutine that failed leaves its thread dead; the next
// coroutine a call starts runs on a fresh one, as a main script's does.
TEST_F(ScriptTest, NewThread_StartsAFreshCoroutineAfterOneFailed) {
    Run("function broken() return function() error('broken at once') end end "
        "function failsLater() return function() coroutine.yield() error('later') end end "
        "function walk() return function() steps = 1; coroutine.yield(); steps = 2 end end");
    TScript* thread = mScript->NewThread();
    ASSERT_NE(thread, nullptr);
    thread->SetClock(&mClock);
    mTasks.AddTask(thread);
    const size_t mark = Mark();
    for (const char* first : {"broken", "failsLater"}) {
        SCOPED_TRACE(first);
        lua_State* T = thread->GetState();
        lua_getglobal(T, first);
        EXPECT_EQ(thread->RunFunction(0, 1), 0);
        lua_settop(thread->GetState(), 0);
        for (int pass = 0; pass < 3; ++pass) {
            Pass();
        }
        EXPECT_FALSE(thread->InCoroutine());
        EXPECT_TRUE(thread->CoroutineFailed());
        EXPECT_TRUE(thread->IsSuspended());

        Run("steps = 0");
        T = thread->GetState();
        lua_getglobal(T, "walk");
        EXPECT_EQ(thread->RunFunction(0, 1), 0);
        lua_settop(thread->GetState(), 0);
        EXPECT_EQ(Number("steps"), 1.0);
        EXPECT_TRUE(thread->InCoroutine());
        EXPECT_FALSE(thread->CoroutineFailed());
        Pass();
        EXPECT_EQ(Number("steps"), 2.0);
        EXPECT_FALSE(thread->InCoroutine());
        EXPECT_FALSE(thread->CoroutineFailed());
    }
    const std::string log = LogSince(mark);
    EXPECT_EQ(log.find("cannot resume"), std::string::npos) << log;
}

TEST(ScriptThread, OutlivingItsStateNoLongerTouchesIt) {
    auto* owner = new TScript;
    TScript* thread = owner->NewThread();
    ASSERT_NE(thread, nullptr);
    lua_State* T = thread->GetState();
    lua_pushlightuserdata(T, nullptr);
    thread->QueueRelease(new TLuaObjectWrapper(T));
    delete owner;
    EXPECT_EQ(thread->GetState(), nullptr);
    EXPECT_FALSE(thread->DoLuaString("x = 1"));
    EXPECT_FALSE(thread->DoFile("x.lua"));
    EXPECT_EQ(thread->NewThread(), nullptr);
    EXPECT_NE(thread->Resume(0), 0);
    EXPECT_TRUE(thread->Step());
    EXPECT_TRUE(thread->IsSuspended());
    delete thread;
}

TEST_F(ScriptTest, Globals_AreReadAndWrittenWithoutMovingTheStack) {
    lua_pushnumber(L, 1);
    mScript->SetGlobalString("s", "text");
    mScript->SetGlobalNumber("n", 2.5);
    EXPECT_STREQ(mScript->GetGlobalString("s").CStr(), "text");
    EXPECT_EQ(mScript->GetGlobalNumber("n"), 2.5);
    EXPECT_STREQ(mScript->GetGlobalString("n").CStr(), "2.5");
    EXPECT_TRUE(mScript->GetGlobalString("absent").IsEmpty());
    EXPECT_EQ(mScript->GetGlobalNumber("absent"), 0.0);
    EXPECT_EQ(lua_gettop(L), 1);
    lua_settop(L, 0);
    Run("w = L\"wide\"");
    EXPECT_STREQ(mScript->GetGlobalString("w").CStr(), "wide");
}

TEST_F(ScriptTest, Pops_TakeTheTopValue) {
    EXPECT_TRUE(
        mScript->DoLuaString("return 'x', 3, {1, 0.5, 0.25}, {0.5}", TScript::kWholeSource, 4));
    TColor partial = mScript->PopColor();
    EXPECT_EQ(partial, TColor(0.5f, 0, 0, 0));
    TColor color = mScript->PopColor();
    EXPECT_EQ(color, TColor(1, 0.5f, 0.25f, 0));
    EXPECT_EQ(mScript->PopNumber(), 3.0);
    EXPECT_STREQ(mScript->PopString().CStr(), "x");
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(mScript->PopNumber(), 0.0) << "an empty stack gives the default";
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ScriptTest, QueuedWrappers_GoWhenTheNextCallBegins) {
    Run("weak = setmetatable({}, {__mode = 'v'}); weak[1] = {}");
    lua_getglobal(L, "weak");
    lua_rawgeti(L, -1, 1);
    lua_remove(L, -2);
    mScript->QueueRelease(new TLuaTable(L));
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_getglobal(L, "weak");
    lua_rawgeti(L, -1, 1);
    EXPECT_TRUE(lua_istable(L, -1)) << "held until the next call begins";
    lua_settop(L, 0);
    Run("collectgarbage(); kept = weak[1] and 1 or 0");
    EXPECT_EQ(Number("kept"), 0.0);
}

} // namespace
