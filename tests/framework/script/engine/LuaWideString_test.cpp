#include "framework/script/engine/LuaWideString.h"

#include "framework/script/engine/LuaTestState.h"
#include "framework/script/engine/LuaTypeTables.h"

#include <lauxlib.h>
#include <lua.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using support::LuaTestState;

namespace {

struct Snippet {
    const char* code;
    const char* expected;
};

void ExpectAll(LuaTestState& state, const Snippet* begin, const Snippet* end) {
    for (const Snippet* c = begin; c != end; ++c)
        EXPECT_EQ(state.Run(c->code) ? state.mResult : "error: " + state.mError, c->expected)
            << c->code;
}

int CheckWide(lua_State* L) {
    size_t length = 0;
    luaL_checkwstring(L, 1, &length);
    lua_pushnumber(L, static_cast<lua_Number>(length));
    return 1;
}

} // namespace

TEST(LuaWideString, IdentityTypeAndEquality) {
    LuaTestState state;
    const Snippet cases[] = {
        {"return type(WS('abc'))", "wstring"},
        {"return WS('abc') == WS('abc'), rawequal(WS('abc'), WS('abc'))", "true,true"},
        {"return WS('abc') == 'abc', WS('abc') ~= WS('abd')", "false,true"},
        {"return WS('') == W(''), type(W(''))", "true,wstring"},
        {"local t = {} t[WS('k')] = 1 t[WS('k')] = t[WS('k')] + 1 return t[WS('k')], t.k", "2,nil"},
        {"return WS('a') < WS('b'), WS('ab') < WS('b'), WS('a') < WS('ab'), WS('b') < WS('a')",
         "true,true,true,false"},
        {"return WS('a') <= WS('a'), WS('b') <= WS('a'), W(':&') > WS('z')", "true,false,true"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_NE(state.Error("return WS('a') < 'a'").find("attempt to compare"), std::string::npos);
}

TEST(LuaWideString, InterningSurvivesTheCollector) {
    LuaTestState state;
    ASSERT_TRUE(state.Run("KEPT = WS('kept') "
                          "for i = 1, 200 do local dropped = WS('dropped' .. i) end "
                          "local t = {} t[WS('gone')] = true "
                          "collectgarbage('collect') collectgarbage('collect')"));
    EXPECT_EQ(state.Eval("KEPT == WS('kept'), rawequal(KEPT, WS('kept'))"), "true,true");
    EXPECT_EQ(state.Eval("WS('dropped5') == WS('dropped5'), WS('gone')"), "true,L\"gone\"");
    // A wide string held only as a table key stays the interned one.
    ASSERT_TRUE(state.Run("KEYS = {} KEYS[WS('key')] = 'v' "
                          "collectgarbage('collect') collectgarbage('collect')"));
    EXPECT_EQ(state.Eval("KEYS[WS('key')], rawequal(next(KEYS), WS('key'))"), "v,true");
    // Made and dropped while the collector works in steps: the ones kept
    // are still the ones a new equal wide string gives.
    ASSERT_TRUE(state.Run("local kept = {} "
                          "for i = 1, 3000 do "
                          "  local w = WS('s' .. math.mod(i, 300)) "
                          "  if math.mod(i, 7) == 0 then kept[w] = i end "
                          "  collectgarbage('step') "
                          "end "
                          "for w in pairs(kept) do "
                          "  assert(rawequal(w, towstring(tostring(w)))) "
                          "end"))
        << state.mError;
    // Dropped strings leave the interning table with the collection.
    int before = lua_gc(state.L(), LUA_GCCOUNT, 0);
    ASSERT_TRUE(state.Run("for i = 1, 5000 do local s = WS('temporary' .. i) end "
                          "collectgarbage('collect')"));
    EXPECT_LT(lua_gc(state.L(), LUA_GCCOUNT, 0), before + 200);
}

TEST(LuaWideString, Concatenation) {
    LuaTestState state;
    const Snippet cases[] = {
        {"return WS('x') .. 12", "L\"x12\""},
        {"return 1.5 .. WS('x') .. 2", "L\"1.5x2\""},
        {"return WS('a') .. WS('b') .. WS('c')", "L\"abc\""},
        {"return WS('x') .. 1/3", "L\"x0.33333333333333\""},
        {"return WS('ab') .. WS('') == WS('ab')", "true"},
        // Runs: the last string or wide string from the right decides.
        {"return 1 .. 2 .. WS('w')", "L\"12w\""},
        {"return 1 .. WS('w') .. 2", "L\"1w2\""},
        {"return WS('a') .. 1 .. WS('b') .. 2", "L\"a1b2\""},
        {"local w = WS('w') return w .. w .. w", "L\"www\""},
        {"local mt = {__concat = function(a, b) return 'joined' end} "
         "return WS('x') .. setmetatable({}, mt)",
         "joined"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    const Snippet errors[] = {
        {"return WS('x') .. 'y'", "attempt to concatenate a wstring value"},
        {"return 'y' .. WS('x')", "attempt to concatenate a string value"},
        {"return WS('x') .. 'y' .. 'z'", "attempt to concatenate a wstring value"},
        {"return WS('x') .. true", "attempt to concatenate a boolean value"},
        {"return {} .. WS('x')", "attempt to concatenate a table value"},
        {"return 'a' .. 1 .. WS('b')", "attempt to concatenate a string value"},
        {"return WS('a') .. 'b' .. 1", "attempt to concatenate a wstring value"},
        {"return WS('a') .. 1 .. 'b' .. WS('c')", "attempt to concatenate a string value"},
    };
    for (const Snippet& c : errors) {
        std::string error = state.Error(c.code);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.code << ": " << error;
        EXPECT_EQ(error.rfind("test:1:", 0), 0u) << c.code << ": " << error;
    }
}

// Runs of three or more operands that end in numbers after a wide string:
// the last string or wide string from the right decides the join.
TEST(LuaWideString, ConcatenationRunsEndingInNumbers) {
    LuaTestState state;
    const Snippet cases[] = {
        {"return WS('w') .. 1 .. 2", "L\"w12\""},
        {"local w, a, b = WS('w'), 1, 2.5 return w .. a .. b", "L\"w12.5\""},
        {"return WS('a') .. WS('b') .. 1 .. 2", "L\"ab12\""},
        {"return 1 .. WS('w') .. 2 .. 3", "L\"1w23\""},
        {"local w = WS('w') return w .. 1 .. 2 .. WS('x') .. 3 .. 4", "L\"w12x34\""},
        {"local w, n = WS(''), 7 return w .. n .. n", "L\"77\""},
        {"local x = 'x' return x .. 1 .. 2", "x12"},
        // Numbers after a wide string join wide even where a value with its
        // own __concat stands before it.
        {"local t = setmetatable({}, {__concat = function(a, b) return b end}) "
         "local n = 1 return t .. WS('w') .. n .. 2",
         "L\"w12\""},
        // Values with __concat are asked pair by pair from the right, as
        // the engine asks them.
        {"local log = '' local mt = {__concat = function(a, b) "
         "log = log .. '[' .. type(a) .. ',' .. type(b) .. ']' return 'r' end} "
         "local t, x, y = setmetatable({}, mt), 1, 2 local r = t .. x .. y "
         "local s = x .. t .. y return r, s, log",
         "r,1r,[table,string][table,number]"},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    const Snippet errors[] = {
        {"local w, t = WS('w'), {}\nreturn w .. t .. 1 .. 2",
         "test:2: attempt to concatenate a table value"},
        {"local x, y = nil, 1\nreturn 'a' .. x .. y .. 2",
         "test:2: attempt to concatenate a nil value"},
        {"local w = WS('w')\n\nreturn w .. 'y' .. 1 .. 2",
         "test:3: attempt to concatenate a wstring value"},
        {"local w, b = WS('w'), true\nreturn w .. 1 .. b", "test:2: attempt to concatenate a "
                                                           "boolean value"},
    };
    for (const Snippet& c : errors)
        EXPECT_EQ(state.Error(c.code), c.expected) << c.code;
}

TEST(LuaWideString, ToStringAndToWString) {
    LuaTestState state;
    const Snippet cases[] = {
        {"return tostring(W(':&')) == ':'", "true"},
        {"return string.len(tostring(W(':&'))), tostring(WS('')) == ''", "1,true"},
        {"return tostring(WS('abc'))", "abc"},
        {"return towstring(nil), type(towstring(nil))", "nil,string"},
        {"return towstring(12.5), towstring(1/3), towstring(100)",
         "L\"12.5\",L\"0.33333333333333\",L\"100\""},
        {"return towstring('abc') == WS('abc'), towstring('') == W('')", "true,true"},
        {"return towstring('\\233')", "L\"\\x00e9\""},
        {"local w = WS('same') return rawequal(towstring(w), w)", "true"},
        {"return string.sub(string.format('%Q', towstring({})), 1, 9)", "L\"table: "},
        {"return string.sub(string.format('%Q', towstring(print)), 1, 12)", "L\"function: "},
        {"return towstring(setmetatable({}, {__tostring = function() return 'custom' end}))",
         "L\"custom\""},
        {"return type(tostring), type(towstring)", "function,function"},
        // The text tostring makes may be a number.
        {"return towstring(setmetatable({}, {__tostring = function() return 5 end}))", "L\"5\""},
        {"return towstring(setmetatable({}, {__tostring = function() return WS('w') end}))",
         "L\"w\""},
    };
    ExpectAll(state, std::begin(cases), std::end(cases));
    EXPECT_NE(state.Error("towstring(true)").find("value expected"), std::string::npos);
    lua_State* L = state.L();
    lua_getglobal(L, "towstring");
    lua_pushlightuserdata(L, &state);
    ASSERT_NE(lua_pcall(L, 1, 1, 0), 0);
    EXPECT_NE(std::string(lua_tostring(L, -1)).find("value expected"), std::string::npos);
    lua_settop(L, 0);
    EXPECT_NE(state.Error("towstring()").find("value expected"), std::string::npos);
}

TEST(LuaWideString, PrintWritesWideTextAsUtf8) {
    LuaTestState state;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(state.Run("print(WS('wide'), 1, 'narrow', W(':&=\\216\\0\\222'))"));
    ASSERT_TRUE(state.Run("local long = string.rep('ab', 600) print(WS(long) == WS(long), "
                          "WS(long))"));
    std::string out = testing::internal::GetCapturedStdout();
    std::string expected = "wide\t1\tnarrow\t\xe2\x98\xba\xf0\x9f\x98\x80\n";
    ASSERT_GE(out.size(), expected.size());
    EXPECT_EQ(out.substr(0, expected.size()), expected);
    std::string longText;
    for (int i = 0; i < 600; ++i)
        longText += "ab";
    EXPECT_EQ(out.substr(expected.size()), "true\t" + longText + "\n");
    ASSERT_TRUE(state.Run("tostring = function() return {} end"));
    EXPECT_NE(state.Error("print(1)").find("`tostring' must return a string to `print'"),
              std::string::npos);
}

TEST(LuaWideString, PrintTakesNumbersFromTostringAndChecksBeforeWriting) {
    LuaTestState state;
    ASSERT_TRUE(state.Run("tostring = function(v) if v == 3 then return {} end return v * 2 end"));
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    bool printed = state.Run("print(1, 2)");
    std::string failure = state.Error("print(1, 3)");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed) << state.mError;
    EXPECT_NE(failure.find("`tostring' must return a string to `print'"), std::string::npos);
    // The failing value gets no separator before it.
    EXPECT_EQ(out, "2\t4\n2");
}

TEST(LuaWideString, NativeApi) {
    LuaTestState state;
    lua_State* L = state.L();
    const char16_t text[] = u"h\u00e9llo\u263a";
    lua_pushwstring(L, text);
    EXPECT_TRUE(LuaIsWString(L, -1));
    EXPECT_EQ(LuaType(L, -1), kLuaTWString);
    EXPECT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    EXPECT_STREQ(LuaTypeName(L, -1), "wstring");
    EXPECT_TRUE(LuaIsString(L, -1));
    EXPECT_EQ(LuaStrLen(L, -1), 6u);
    size_t length = 0;
    const char16_t* units = LuaToWString(L, -1, &length);
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(std::u16string(units, length), text);
    EXPECT_EQ(units[length], 0);

    lua_pushlwstring(L, text, 5);
    lua_pushlwstring(L, u"h\u00e9llo", 5);
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);

    lua_pushwstring(L, nullptr);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pushlwstring(L, u"a\0b", 3);
    EXPECT_EQ(LuaStrLen(L, -1), 3u);
    lua_settop(L, 0);

    // A number turns into its wide text in place; other values give null.
    lua_pushnumber(L, 42.25);
    units = lua_towstring(L, 1);
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(std::u16string(units), u"42.25");
    EXPECT_EQ(LuaType(L, 1), kLuaTWString);
    lua_pushliteral(L, "narrow");
    EXPECT_EQ(lua_towstring(L, -1), nullptr);
    EXPECT_TRUE(LuaIsString(L, -1));
    EXPECT_FALSE(LuaIsWString(L, -1));
    EXPECT_EQ(LuaType(L, -1), LUA_TSTRING);
    EXPECT_EQ(lua_towstring(L, 10), nullptr);
    EXPECT_EQ(lua_towstring(L, LUA_REGISTRYINDEX), nullptr);
    lua_newuserdata(L, 16);
    EXPECT_FALSE(LuaIsWString(L, -1));
    EXPECT_EQ(LuaType(L, -1), LUA_TUSERDATA);
    lua_settop(L, 0);

    lua_register(L, "checkwide", CheckWide);
    EXPECT_EQ(state.Eval("checkwide(WS('abc')), checkwide(123)"), "3,3");
    EXPECT_NE(state.Eval("checkwide('abc')")
                  .find("bad argument #1 to 'checkwide' (wstring expected, got string)"),
              std::string::npos);
    EXPECT_NE(state.Eval("checkwide()").find("wstring expected, got no value"), std::string::npos);
}
