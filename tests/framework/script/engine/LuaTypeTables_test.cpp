#include "framework/script/engine/LuaTypeTables.h"

#include "framework/script/engine/LuaTestState.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <string>

using support::LuaTestState;

namespace {

struct Snippet {
    const char* expression;
    const char* expected;
};

} // namespace

TEST(LuaTypeTables, IndexingValuesOfSimpleTypes) {
    LuaTestState state;
    const Snippet cases[] = {
        {"('abc'):upper()", "ABC"},
        {"('abc').len", "function: "},
        {"(5).x", "nil"},
        {"(true).x", "nil"},
        {"print.x", "nil"},
        {"coroutine.create(function() end).x", "nil"},
        {"WS('abc').x", "nil"},
        {"getmetatable('x') == string", "true"},
        {"getmetatable(5) == debug.getregistry()._number", "true"},
        {"getmetatable(WS('a')) == debug.getregistry()._wstring", "true"},
        {"getmetatable(nil)", "nil"},
    };
    for (const Snippet& c : cases) {
        std::string got = state.Eval(c.expression);
        EXPECT_EQ(got.substr(0, std::string(c.expected).size()), c.expected) << c.expression;
    }
}

TEST(LuaTypeTables, CallingMissingMethodsAndIndexingNilFail) {
    LuaTestState state;
    EXPECT_NE(state.Error("return (5):upper()").find("attempt to call method 'upper'"),
              std::string::npos);
    EXPECT_NE(state.Error("local t = nil return t.x").find("attempt to index"), std::string::npos);
    EXPECT_NE(state.Error("return WS('a'):len()").find("attempt to call method 'len'"),
              std::string::npos);
}

TEST(LuaTypeTables, FieldsAddedToATypeTableServeEveryValue) {
    LuaTestState state;
    ASSERT_TRUE(state.Run("local n = debug.getregistry()._number "
                          "function n.double(x) return x * 2 end"));
    EXPECT_EQ(state.Eval("(21):double()"), "42");
    // Assigning a field of a value stores it in its type's table.
    ASSERT_TRUE(state.Run("local b = true b.flag = 'set'"));
    EXPECT_EQ(state.Eval("(false).flag, debug.getregistry()._boolean.flag"), "set,set");
}

TEST(LuaTypeTables, RegistryNamesEveryTypeFromBooleanToWideString) {
    LuaTestState state;
    EXPECT_EQ(state.Eval("debug.getregistry()._nil"), "nil");
    for (int type = 1; type <= kLuaTWString; ++type) {
        std::string name = kLuaTypeTableNames[type];
        EXPECT_EQ(state.Eval("type(debug.getregistry()." + name + ")"), "table") << name;
    }
    EXPECT_EQ(state.Eval("debug.getregistry()._string == string"), "true");
    // A type table has no metatable of its own.
    EXPECT_EQ(state.Eval("getmetatable(debug.getregistry()._table), "
                         "getmetatable(debug.getregistry()._thread)"),
              "nil,nil");
}

TEST(LuaTypeTables, GetAndSetThroughTheApi) {
    LuaTestState state;
    lua_State* L = state.L();
    LuaGetTypeTable(L, LUA_TNIL);
    EXPECT_TRUE(lua_isnil(L, -1));
    LuaGetTypeTable(L, 42);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_settop(L, 0);

    // A non-table is popped and ignored.
    lua_pushnumber(L, 3);
    LuaSetTypeTable(L, LUA_TNUMBER);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(state.Eval("(1).x"), "nil");

    ASSERT_TRUE(state.Run("NUMBERS = { x = 'from new table' }"));
    lua_getglobal(L, "NUMBERS");
    LuaSetTypeTable(L, LUA_TNUMBER);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(state.Eval("(1).x, getmetatable(1) == NUMBERS"), "from new table,true");
    LuaGetTypeTable(L, LUA_TNUMBER);
    lua_getglobal(L, "NUMBERS");
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);

    ASSERT_TRUE(state.Run("WIDE = { tag = 'wide' }"));
    lua_getglobal(L, "WIDE");
    LuaSetTypeTable(L, kLuaTWString);
    EXPECT_EQ(state.Eval("WS('x').tag"), "wide");
}

TEST(LuaTypeTables, GetMetatableGivesTypeTableForPlainValues) {
    LuaTestState state;
    lua_State* L = state.L();
    lua_pushliteral(L, "text");
    ASSERT_EQ(LuaGetMetatable(L, -1), 1);
    lua_getglobal(L, "string");
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    lua_settop(L, 0);

    lua_pushnil(L);
    EXPECT_EQ(LuaGetMetatable(L, -1), 0);
    lua_newtable(L);
    EXPECT_EQ(LuaGetMetatable(L, -1), 0);
    EXPECT_EQ(lua_gettop(L), 2);
    lua_settop(L, 0);
}

TEST(LuaTypeTables, LightUserdataReachesItsTypeTable) {
    LuaTestState state;
    lua_State* L = state.L();
    ASSERT_TRUE(state.Run("debug.getregistry()._lightuserdata.kind = 'light'"));
    ASSERT_TRUE(state.Run("function KindOf(v) return v.kind, v.other end"));
    lua_getglobal(L, "KindOf");
    lua_pushlightuserdata(L, &state);
    ASSERT_EQ(lua_pcall(L, 1, 2, 0), 0);
    EXPECT_STREQ(lua_tostring(L, -2), "light");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_settop(L, 0);
}
