#include "framework/script/engine/LuaTableLibrary.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaTestState.h"

#include <lua.h>

#include <gtest/gtest.h>

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
    // An order function that is no order must not break the table.
    ASSERT_TRUE(state.Run("local t = {} for i = 1, 50 do t[i] = i end "
                          "table.sort(t, function() return true end) "
                          "local seen = {} for i = 1, 50 do seen[t[i]] = true end "
                          "for i = 1, 50 do assert(seen[i]) end"));
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
