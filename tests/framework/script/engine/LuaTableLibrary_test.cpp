#include "framework/script/engine/LuaTableLibrary.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTestState.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using support::LuaTestState;

namespace {

struct Snippet {
    const char* code;
    const char* expected;
};

} // namespace

TEST(LuaTableLibrary, SizeFollowsFieldNThenSetnThenFirstNil) {
    LuaTestState state;
    const Snippet cases[] = {
        {"return table.getn({1, 2, 3})", "3"},
        {"return table.getn({1, 2, nil, 4})", "2"},
        {"return table.getn({})", "0"},
        {"return table.getn({n = 5})", "5"},
        {"return table.getn({1, 2, 3, n = 1})", "1"},
        {"return table.getn({1, 2, n = 'x'})", "2"},
        {"return table.getn({1, n = -3})", "1"},
        {"return table.getn({n = 2.9})", "2"},
        {"local t = {1, 2, 3} table.setn(t, 10) return table.getn(t), t.n", "10,nil"},
        {"local t = {n = 1} table.setn(t, 4) return table.getn(t), t.n", "4,4"},
        // "n" is read as a number the way arithmetic reads it; a negative
        // one is no size, a small negative fraction truncates to 0.
        {"return table.getn({1, 2, n = '3'})", "3"},
        {"return table.getn({1, 2, n = ' 1 '})", "1"},
        {"return table.getn({1, 2, n = -0.5})", "0"},
        {"return table.getn({1, 2, n = 0/0})", "2"},
        {"local t = {n = '1'} table.setn(t, 4) return table.getn(t), t.n", "4,4"},
        {"local t = {1, n = -1} table.setn(t, 3) return table.getn(t), t.n", "3,-1"},
        {"local t = {n = '2'} table.insert(t, 'x') return t.n, t[3]", "3,x"},
    };
    for (const Snippet& c : cases)
        EXPECT_EQ(state.Run(c.code) ? state.mResult : state.mError, c.expected) << c.code;
}

TEST(LuaTableLibrary, InsertRemoveAndUnpackWorkThroughTheSize) {
    LuaTestState state;
    const Snippet cases[] = {
        {"local t = {n = 0} table.insert(t, 'a') table.insert(t, 'b') return t.n, t[1], t[2]",
         "2,a,b"},
        {"local t = {'a', 'c'} table.insert(t, 2, 'b') return table.concat(t, ',')", "a,b,c"},
        {"local t = {n = 2} table.insert(t, 'x') return t.n, t[3], t[1]", "3,x,nil"},
        {"local t = {'a'} table.insert(t, 4, 'd') return table.getn(t), t[4]", "4,d"},
        {"local t = {1, 2, 3, n = 3} return table.remove(t), t.n, t[3]", "3,2,nil"},
        {"local t = {1, 2, 3} return table.remove(t, 1), table.getn(t), t[1], t[2]", "1,2,2,3"},
        {"local t = {n = 0} return select('#', table.remove(t))", "0"},
        {"return unpack({1, 2, 3, n = 2})", "1,2"},
        {"return unpack({1, 2, 3}, 2)", "2,3"},
        {"return unpack({1, 2, 3}, 2, 4)", "2,3,nil"},
        {"return select('#', unpack({n = 0}))", "0"},
        {"return table.concat({1, 2, 3, n = 2}, '-')", "1-2"},
        {"local t = {3, 1, 2, 0, n = 3} table.sort(t) return t[1], t[2], t[3], t[4]", "1,2,3,0"},
        {"local t = {'b', 'c', 'a'} table.sort(t, function(a, b) return a > b end) "
         "return table.concat(t)",
         "cba"},
        {"local s = '' table.foreachi({'x', 'y', 'z', n = 2}, function(i, v) s = s .. i .. v end) "
         "return s",
         "1x2y"},
    };
    for (const Snippet& c : cases)
        EXPECT_EQ(state.Run(c.code) ? state.mResult : state.mError, c.expected) << c.code;
    EXPECT_NE(state.Error("table.insert({n = 2^31}, 1)").find("table overflow"), std::string::npos);
    EXPECT_NE(state.Error("table.concat({1, {}})").find("table contains non-strings"),
              std::string::npos);
    EXPECT_NE(state.Error("table.sort({1, 'a', 2})").find("attempt to compare"), std::string::npos);
}

TEST(LuaTableLibrary, SortHandlesManyValuesAndOddOrderFunctions) {
    LuaTestState state;
    ASSERT_TRUE(
        state.Run("T = {} for i = 1, 500 do T[i] = math.mod(i * 7919, 500) end table.sort(T) "
                  "for i = 2, 500 do assert(T[i - 1] <= T[i]) end"));
    // An order function that is no order is refused, and the table keeps
    // every value it had.
    ASSERT_TRUE(state.Run("local t = {} for i = 1, 50 do t[i] = i end "
                          "local ok, message = pcall(table.sort, t, function() return true end) "
                          "assert(not ok and message == 'invalid order function for sorting') "
                          "local seen = {} for i = 1, 50 do seen[t[i]] = true end "
                          "for i = 1, 50 do assert(seen[i]) end"))
        << state.mError;
}

TEST(LuaTableLibrary, SortPutsTiesWhereTheEnginesQuicksortDoes) {
    LuaTestState state;
    const Snippet cases[] = {
        // Equal first letters: the order among them is the quicksort's.
        {"local t = {'b1', 'a1', 'b2', 'a2', 'b3', 'a3', 'b4', 'a4', 'b5', 'a5'} "
         "table.sort(t, function(x, y) return string.sub(x, 1, 1) < string.sub(y, 1, 1) end) "
         "return table.concat(t, ' ')",
         "a5 a2 a4 a1 a3 b4 b3 b2 b5 b1"},
        {"local t, calls = {3, 1, 2, 5, 4}, 0 "
         "table.sort(t, function(a, b) calls = calls + 1 return a < b end) "
         "return calls, table.concat(t, ',')",
         "8,1,2,3,4,5"},
        // The size is the dialect's: "n" limits the sort.
        {"local t = {5, 4, 3, 2, 1, n = 3} table.sort(t) return table.concat(t, ',', 1, 5)",
         "3,4,5,2,1"},
        {"local t = {} table.sort(t) return table.getn(t)", "0"},
        {"\nlocal t = {} for i = 1, 10 do t[i] = i end table.sort(t, function() return true end)",
         "test:2: invalid order function for sorting"},
        {"table.sort({3, 2, 1}, 'x')", "bad argument #2 to 'sort' (function expected, got string)"},
    };
    for (const Snippet& c : cases) {
        const bool ran = state.Run(c.code);
        const std::string got = ran ? state.mResult : state.mError;
        if (ran)
            EXPECT_EQ(got, c.expected) << c.code;
        else
            EXPECT_NE(got.find(c.expected), std::string::npos) << c.code << ": " << got;
    }
}

namespace {

// Sorts records with keys 0..3 (many ties) by an order function that logs
// every call; bad makes the order function answer at random. Gives the
// outcome, the order of the records and the log of calls. Runs the same on
// the stock engine and on the dialect (the arguments come as globals, since
// a 5.0 chunk has no `...`).
constexpr const char* kSortScript =
    "local seed, n, bad = SEED, N, BAD\n"
    "local function rand(m) seed = math.fmod(seed * 16807, 2147483647) "
    "return math.fmod(seed, m) end\n"
    "local t = {}\n"
    "for i = 1, n do t[i] = {k = rand(4), id = i} end\n"
    "local log = {}\n"
    "local function less(a, b)\n"
    "  table.insert(log, a.id .. '<' .. b.id)\n"
    "  if bad then return rand(2) == 0 end\n"
    "  return a.k < b.k\n"
    "end\n"
    "local ok, message = pcall(table.sort, t, less)\n"
    "local order = {}\n"
    "for i = 1, n do order[i] = t[i].id end\n"
    "return (ok and 'ok' or message) .. '|' .. table.concat(order, ',') .. '|' .. "
    "table.concat(log, ' ')\n";

std::string RunSortScript(lua_State* L, bool dialect, int seed, int n, bool bad) {
    const size_t size = std::strlen(kSortScript);
    const int status = dialect ? LuaLoadBuffer(L, kSortScript, size, "=sort")
                               : luaL_loadbuffer(L, kSortScript, size, "=sort");
    if (status != 0)
        return "load failed";
    lua_pushnumber(L, seed);
    lua_setglobal(L, "SEED");
    lua_pushnumber(L, n);
    lua_setglobal(L, "N");
    lua_pushboolean(L, bad);
    lua_setglobal(L, "BAD");
    if (lua_pcall(L, 0, 1, 0) != 0 || !lua_isstring(L, -1))
        return std::string("run failed: ") + (lua_tostring(L, -1) ? lua_tostring(L, -1) : "?");
    std::string result = lua_tostring(L, -1);
    lua_pop(L, 1);
    return result;
}

} // namespace

TEST(LuaTableLibrary, SortCallsTheOrderFunctionAsTheStockSortDoes) {
    LuaTestState state;
    lua_State* stock = luaL_newstate();
    ASSERT_NE(stock, nullptr);
    luaL_openlibs(stock);
    int refused = 0;
    for (int n : {0, 1, 2, 3, 4, 5, 7, 12, 31, 64}) {
        for (int seed = 1; seed <= 6; ++seed) {
            for (bool bad : {false, true}) {
                const std::string expected = RunSortScript(stock, false, seed, n, bad);
                EXPECT_EQ(RunSortScript(state.L(), true, seed, n, bad), expected)
                    << "n " << n << " seed " << seed << (bad ? " (no order)" : "");
                refused += expected.rfind("invalid order function", 0) == 0;
            }
        }
    }
    // The random order functions must have run into the error sometimes.
    EXPECT_GT(refused, 0);
    lua_close(stock);
}

TEST(LuaApi, TableLength) {
    LuaTestState state;
    const Snippet cases[] = {
        {"{}", "0"},
        {"{1, 2, 3}", "3"},
        {"{1, nil, 3}", "3"},
        {"{[10] = true}", "10"},
        {"{1, 2, [7.8] = 'x'}", "7"},
        {"{[-5] = 1}", "0"},
        {"{['9'] = 1, 2}", "1"},
        {"{1, 2, 3, n = 1}", "1"},
        {"{n = 6.9}", "6"},
        {"{1, 2, n = 'many'}", "2"},
        {"{[1/0] = 1}", "2147483647"},
    };
    lua_State* L = state.L();
    for (const Snippet& c : cases) {
        ASSERT_EQ(luaL_dostring(L, (std::string("return ") + c.code).c_str()), 0) << c.code;
        EXPECT_EQ(std::to_string(LuaGetTableLength(L, -1)), c.expected) << c.code;
        lua_settop(L, 0);
    }
    lua_pushnumber(L, 3);
    EXPECT_EQ(LuaGetTableLength(L, -1), 0);
    lua_settop(L, 0);
}

TEST(LuaApi, PointerBoxHoldsTheWholePointer) {
    LuaTestState state;
    lua_State* L = state.L();
    int value = 0;
    void* pointer = &value;
    LuaPushPointerBox(L, pointer);
    EXPECT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    EXPECT_EQ(lua_objlen(L, -1), sizeof(void*));
    EXPECT_EQ(LuaToPointerBox(L, -1), pointer);
    LuaPushPointerBox(L, nullptr);
    EXPECT_EQ(LuaToPointerBox(L, -1), nullptr);
    lua_pushnumber(L, 1);
    EXPECT_EQ(LuaToPointerBox(L, -1), nullptr);
    lua_settop(L, 0);
}
