#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/TLuaStateUser.h"
#include "framework/script/host/TScript.h"

#include "framework/script/ScriptFixture.h"

#include <lua.h>

#include <string>

namespace {

class WrapperTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        mScript = std::make_unique<TScript>();
        L = mScript->GetState();
        ASSERT_NE(L, nullptr);
        // weak[k] is kept only while something else holds the value.
        Run("weak = setmetatable({}, {__mode = 'v'})");
    }
    void TearDown() override {
        mScript.reset();
        ScriptFixture::TearDown();
    }
    void Run(const char* source) { ASSERT_TRUE(mScript->DoLuaString(source)) << source; }
    // Pushes weak[key].
    void PushWeak(const char* key) {
        lua_getglobal(L, "weak");
        lua_getfield(L, -1, key);
        lua_remove(L, -2);
    }
    bool Alive(const char* key) {
        lua_gc(L, LUA_GCCOLLECT, 0);
        PushWeak(key);
        bool alive = !lua_isnil(L, -1);
        lua_pop(L, 1);
        return alive;
    }

    std::unique_ptr<TScript> mScript;
    lua_State* L = nullptr;
};

TEST_F(WrapperTest, Wrapper_AnchorsItsValueUntilItGoes) {
    Run("weak.t = {}");
    PushWeak("t");
    auto* wrapper = new TLuaObjectWrapper(L);
    EXPECT_EQ(lua_gettop(L), 0) << "the value was taken off the stack";
    EXPECT_TRUE(Alive("t"));
    wrapper->Push();
    PushWeak("t");
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);
    delete wrapper;
    EXPECT_FALSE(Alive("t"));
}

TEST_F(WrapperTest, Wrapper_OnAnEmptyStackHoldsNil) {
    ASSERT_EQ(lua_gettop(L), 0);
    TLuaTable table(L);
    EXPECT_EQ(lua_gettop(L), 0);
    table.Push();
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    EXPECT_FALSE(table.PushField("x"));
    EXPECT_EQ(table.GetNumber("x", 4), 4.0);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(WrapperTest, Wrapper_DroppedWhileTheScriptHoldsTheValueOnlyLetsGo) {
    Run("held = {}; weak.held = held");
    PushWeak("held");
    delete new TLuaTable(L);
    EXPECT_TRUE(Alive("held"));
    Run("held = nil");
    EXPECT_FALSE(Alive("held"));
}

TEST_F(WrapperTest, Wrapper_MadeOnAThreadAnchorsThroughTheMainState) {
    std::unique_ptr<TScript> thread(mScript->NewThread());
    lua_State* T = thread->GetState();
    Run("weak.f = function() return 3 end");
    PushWeak("f");
    lua_xmove(L, T, 1);
    auto function = std::make_unique<TLuaFunction>(T);
    EXPECT_EQ(function->GetState(), L);
    EXPECT_EQ(lua_gettop(T), 0);
    thread.reset();
    EXPECT_TRUE(Alive("f"));
    function.reset();
    EXPECT_FALSE(Alive("f"));
}

// The state goes first (an application torn down before the tables its
// windows read): the wrappers made on it, and on a thread of it, hold nil
// from then on and never touch the freed state, down to their destruction.
TEST_F(WrapperTest, Wrapper_OutlivingItsStateHoldsNilAndTouchesNothing) {
    std::unique_ptr<TScript> thread(mScript->NewThread());
    Run("t = {x = 7}; function f() return 1 end");
    lua_getglobal(L, "t");
    auto table = std::make_unique<TLuaTable>(L);
    lua_getglobal(L, "f");
    auto function = std::make_unique<TLuaFunction>(thread->GetState());
    EXPECT_EQ(table->GetNumber("x", 0), 7.0);
    EXPECT_EQ(LuaCountStateUsers(L), 3u) << "two wrappers and the thread's anchor";

    mScript.reset();
    EXPECT_EQ(LuaCountStateUsers(L), 0u);
    EXPECT_EQ(table->GetState(), nullptr);
    EXPECT_EQ(function->GetState(), nullptr);
    EXPECT_EQ(table->GetNumber("x", 5), 5.0);
    EXPECT_FALSE(table->PushField("x"));
    EXPECT_NE(function->Call(), 0);

    TScript other;
    lua_State* O = other.GetState();
    table->Push(O);
    EXPECT_TRUE(lua_isnil(O, -1)) << "a wrapper whose state is gone pushes nil";
    lua_pop(O, 1);
    thread.reset();
    table.reset();
    function.reset();
    EXPECT_EQ(lua_gettop(O), 0);
}

TEST_F(WrapperTest, Thread_LivesWhileItsHolderDoes) {
    auto thread = std::make_unique<TLuaThread>(L);
    ASSERT_NE(thread->GetThreadState(), nullptr);
    lua_pushthread(thread->GetThreadState());
    lua_xmove(thread->GetThreadState(), L, 1);
    lua_setfield(L, LUA_GLOBALSINDEX, "tmp");
    Run("weak.co = tmp; tmp = nil");
    EXPECT_TRUE(Alive("co"));
    thread.reset();
    EXPECT_FALSE(Alive("co"));
}

TEST_F(WrapperTest, Function_CallRunsItProtected) {
    Run("function count() calls = (calls or 0) + 1; return 'r' end\n"
        "function fails() error('call failed') end");
    lua_pushnumber(L, 5);
    struct Case {
        const char* source;
        int status;
    } cases[] = {{"count", 0}, {"fails", 1}, {"notAFunction", 1}};
    Run("notAFunction = 3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        lua_getglobal(L, c.source);
        TLuaFunction function(L);
        size_t mark = Mark();
        EXPECT_EQ(function.Call(), c.status);
        EXPECT_EQ(lua_gettop(L), 1) << "the stack is left as it was";
        if (std::string(c.source) == "fails") {
            EXPECT_NE(LogSince(mark).find("Lua error: "), std::string::npos);
            EXPECT_NE(LogSince(mark).find("call failed"), std::string::npos);
        }
    }
    EXPECT_EQ(mScript->GetGlobalNumber("calls"), 1.0);
}

TEST_F(WrapperTest, Table_ReadersGiveFieldsOrDefaults) {
    ASSERT_TRUE(mScript->DoLuaString(
        "return {width = 40, title = 'x', [1] = 7, [2] = 'two', [3] = {1, 0.5}, [4] = 'nt', "
        "[5] = {0.1, 0.2, 0.3, 0.4}}",
        TScript::kWholeSource, 1));
    TLuaTable table(L);
    lua_pushnumber(L, 99);
    const TColor fallback(0.9f, 0.8f, 0.7f, 0.6f);
    EXPECT_EQ(table.GetNumber("width", 1), 40.0);
    EXPECT_EQ(table.GetNumber("height", 1), 1.0);
    EXPECT_EQ(table.GetNumber("title", 1), 0.0) << "a non-number reads as 0";
    EXPECT_EQ(table.GetNumberAtIndex(1, 0), 7.0);
    EXPECT_EQ(table.GetNumberAtIndex(9, -1), -1.0);
    EXPECT_STREQ(table.GetStringAtIndex(2, "d").CStr(), "two");
    EXPECT_STREQ(table.GetStringAtIndex(1, "d").CStr(), "7");
    EXPECT_STREQ(table.GetStringAtIndex(9, "d").CStr(), "d");
    EXPECT_EQ(table.GetColorAtIndex(3, fallback), TColor(1, 0.5f, 0.7f, 0.6f));
    EXPECT_EQ(table.GetColorAtIndex(5, fallback), TColor(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(table.GetColorAtIndex(4, fallback), fallback);
    EXPECT_EQ(table.GetColorAtIndex(9, fallback), fallback);
    EXPECT_EQ(table.GetTableAtIndex(4), nullptr);
    std::unique_ptr<TLuaTable> sub(table.GetTableAtIndex(3));
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->GetNumberAtIndex(2, 0), 0.5);
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_TRUE(table.PushField("title"));
    EXPECT_STREQ(lua_tostring(L, -1), "x");
    EXPECT_FALSE(table.PushField("absent"));
    EXPECT_TRUE(table.PushIndex(1));
    EXPECT_FALSE(table.PushIndex(10));
    EXPECT_EQ(lua_gettop(L), 3);
}

TEST_F(WrapperTest, QueueForRelease_WaitsForTheNextCallIntoTheScripts) {
    Run("weak.q = {}");
    PushWeak("q");
    QueueForRelease(new TLuaTable(L));
    EXPECT_TRUE(Alive("q"));
    Run("x = 1");
    EXPECT_FALSE(Alive("q"));

    // Without a host script in the state there is no queue: it goes at once.
    lua_State* bare = LuaOpenState();
    lua_newtable(bare);
    QueueForRelease(new TLuaTable(bare));
    lua_close(bare);
}

TEST_F(WrapperTest, PopBool_AlwaysPopsAndLogsOddTypes) {
    struct Case {
        const char* source;
        bool value;
        const char* log;
    } cases[] = {
        {"return nil", false, nullptr},
        {"return true", true, nullptr},
        {"return false", false, nullptr},
        {"return 0", false, nullptr},
        {"return -2.5", true, nullptr},
        {"return 'yes'", false, "PopBool used on lua string yes"},
        {"return '1'", false, "PopBool used on lua string 1"},
        {"return {}", false, "(type: 5)"},
        {"return print", false, "(type: 6)"},
        {"return L\"w\"", false, "(type: 9)"},
    };
    lua_pushnumber(L, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        ASSERT_TRUE(mScript->DoLuaString(c.source, TScript::kWholeSource, 1));
        size_t mark = Mark();
        EXPECT_EQ(PopBool(L), c.value);
        EXPECT_EQ(lua_gettop(L), 1) << "popped";
        std::string log = LogSince(mark);
        if (c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        } else {
            EXPECT_EQ(log, "");
        }
    }
    std::string log = Log();
    EXPECT_NE(log.find("PopBool used on a type that isn't a number, a boolean, or nil. (type: 5)"),
              std::string::npos);
}

} // namespace
