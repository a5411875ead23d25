// getfenv and setfenv with protected environments: an environment with a
// "__fenv" field shows that field in its place and cannot be replaced.

#include "framework/script/engine/LuaTestState.h"

#include <gtest/gtest.h>

#include <string>

using support::LuaTestState;

namespace {

struct Snippet {
    const char* code;
    const char* expected;
};

// A function F whose environment E is protected by the field "__fenv",
// and a function G with an ordinary environment.
constexpr const char* kSetup = "E = setmetatable({__fenv = 'hidden'}, {__index = _G}) "
                               "function F() return getfenv(1) end setfenv(F, E) "
                               "G = function() return 1 end setfenv(G, {}) ";

} // namespace

TEST(LuaBaseLibrary, GetFEnvGivesTheFenvFieldOfAProtectedEnvironment) {
    const Snippet cases[] = {
        {"return getfenv(F)", "hidden"},
        {"return F()", "hidden"},
        {"return getfenv(G) ~= _G, type(getfenv(G)), getfenv(G).__fenv", "true,table,nil"},
        {"return getfenv() == _G, getfenv(0) == _G, getfenv(1) == _G", "true,true,true"},
        {"return getfenv(print) == _G", "true"},
        // A false field protects too; only nil leaves the table itself.
        {"local f = function() end setfenv(f, {__fenv = false}) return getfenv(f)", "false"},
        {"_G.__fenv = 'globals' local a, b = getfenv(0), getfenv(print) _G.__fenv = nil "
         "return a, b",
         "globals,globals"},
    };
    for (const Snippet& c : cases) {
        LuaTestState state;
        ASSERT_TRUE(state.Run(kSetup)) << state.mError;
        EXPECT_EQ(state.Run(c.code) ? state.mResult : "error: " + state.mError, c.expected)
            << c.code;
    }
}

TEST(LuaBaseLibrary, SetFEnvRefusesProtectedEnvironments) {
    const Snippet cases[] = {
        {"setfenv(F, {})", "test:1: `setfenv' cannot change a protected environment"},
        {"local function f() setfenv(1, {}) end setfenv(f, E) f()",
         "test:1: `setfenv' cannot change a protected environment"},
        {"_G.__fenv = 1 setfenv(0, {})", "test:1: `setfenv' cannot change a protected environment"},
        {"setfenv(print, {})", "test:1: `setfenv' cannot change environment of given function"},
        {"setfenv(F)", "bad argument #2 to 'setfenv' (table expected, got no value)"},
        {"setfenv(99, {})", "bad argument #1 to 'setfenv' (invalid level)"},
        {"getfenv(-1)", "bad argument #1 to 'getfenv' (level must be non-negative)"},
    };
    for (const Snippet& c : cases) {
        LuaTestState state;
        ASSERT_TRUE(state.Run(kSetup)) << state.mError;
        EXPECT_NE(state.Error(c.code).find(c.expected), std::string::npos)
            << c.code << ": " << state.mError;
        // The protected environment is still in place.
        EXPECT_EQ(state.Eval("getfenv(F), rawget(E, 'x')"), "hidden,nil");
    }
}

TEST(LuaBaseLibrary, SetFEnvChangesOrdinaryEnvironments) {
    LuaTestState state;
    ASSERT_TRUE(state.Run(kSetup)) << state.mError;
    // As in 5.0, setfenv gives nothing back.
    EXPECT_EQ(state.Eval("select('#', setfenv(G, {y = 2}))"), "0");
    EXPECT_EQ(state.Eval("getfenv(G).y"), "2");
    EXPECT_EQ(state.Eval("(function() setfenv(1, {r = 5, getfenv = getfenv}) "
                         "return getfenv(1).r end)()"),
              "5");
    // Level 0 is the running thread's globals.
    ASSERT_TRUE(state.Run("local g = _G setfenv(0, setmetatable({mark = 'new'}, {__index = g}))"));
    EXPECT_EQ(state.Eval("getfenv(0).mark"), "new");
}
