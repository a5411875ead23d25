#include "framework/script/engine/LuaTableLibrary.h"

#include "framework/script/engine/LuaApi.h"

#include <lauxlib.h>
#include <lua.h>

namespace {

// Registry key of the table of sizes set by setn on tables without "n".
char kSizesKey;

// A size read from a number or a numeric string, truncated: -1 when it is
// no usable size (not a number, negative after truncation, NaN).
int SizeFrom(lua_State* L, int index) {
    if (!lua_isnumber(L, index))
        return -1;
    lua_Number n = lua_tonumber(L, index);
    if (!(n > -1))
        return -1;
    return n >= 2147483647.0 ? 2147483647 : static_cast<int>(n);
}

void PushSizes(lua_State* L) {
    lua_pushlightuserdata(L, &kSizesKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
}

int GetN(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_pushnumber(L, LuaGetN(L, 1));
    return 1;
}

int SetN(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    LuaSetN(L, 1, luaL_checkint(L, 2));
    lua_settop(L, 1);
    return 1;
}

int Insert(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int value = lua_gettop(L);
    int size = LuaGetN(L, 1);
    if (size == 2147483647)
        return luaL_error(L, "table overflow");
    int n = size + 1;
    int position = n;
    if (value != 2) {
        position = luaL_checkint(L, 2);
        if (position > n)
            n = position;
        value = 3;
    }
    LuaSetN(L, 1, n);
    for (int i = n - 1; i >= position; --i) {
        lua_rawgeti(L, 1, i);
        lua_rawseti(L, 1, i + 1);
    }
    lua_pushvalue(L, value);
    lua_rawseti(L, 1, position);
    return 0;
}

int Remove(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int n = LuaGetN(L, 1);
    int position = luaL_optint(L, 2, n);
    if (n <= 0)
        return 0;
    LuaSetN(L, 1, n - 1);
    lua_rawgeti(L, 1, position);
    for (; position < n; ++position) {
        lua_rawgeti(L, 1, position + 1);
        lua_rawseti(L, 1, position);
    }
    lua_pushnil(L);
    lua_rawseti(L, 1, n);
    return 1;
}

int Concat(lua_State* L) {
    size_t separatorSize = 0;
    const char* separator = luaL_optlstring(L, 2, "", &separatorSize);
    luaL_checktype(L, 1, LUA_TTABLE);
    int first = luaL_optint(L, 3, 1);
    int last = lua_isnoneornil(L, 4) ? LuaGetN(L, 1) : luaL_checkint(L, 4);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (int i = first; i <= last; ++i) {
        lua_rawgeti(L, 1, i);
        luaL_argcheck(L, lua_isstring(L, -1), 1, "table contains non-strings");
        luaL_addvalue(&buffer);
        if (i != last)
            luaL_addlstring(&buffer, separator, separatorSize);
        if (i == 2147483647)
            break;
    }
    luaL_pushresult(&buffer);
    return 1;
}

int ForEachI(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    int n = LuaGetN(L, 1);
    for (int i = 1; i <= n; ++i) {
        lua_pushvalue(L, 2);
        lua_pushnumber(L, i);
        lua_rawgeti(L, 1, i);
        lua_call(L, 2, 1);
        if (!lua_isnil(L, -1))
            return 1;
        lua_pop(L, 1);
    }
    return 0;
}

// t[i] < t[j] by the order function at index 2, or by the < operator.
bool Less(lua_State* L, int i, int j) {
    bool less = false;
    if (lua_isnil(L, 2)) {
        lua_rawgeti(L, 1, i);
        lua_rawgeti(L, 1, j);
        less = lua_lessthan(L, -2, -1) != 0;
        lua_pop(L, 2);
    } else {
        lua_pushvalue(L, 2);
        lua_rawgeti(L, 1, i);
        lua_rawgeti(L, 1, j);
        lua_call(L, 2, 1);
        less = lua_toboolean(L, -1) != 0;
        lua_pop(L, 1);
    }
    return less;
}

void Swap(lua_State* L, int i, int j) {
    lua_rawgeti(L, 1, i);
    lua_rawgeti(L, 1, j);
    lua_rawseti(L, 1, i);
    lua_rawseti(L, 1, j);
}

void SiftDown(lua_State* L, int root, int end) {
    for (;;) {
        long long child = 2LL * root;
        if (child > end)
            return;
        if (child + 1 <= end && Less(L, static_cast<int>(child), static_cast<int>(child) + 1))
            ++child;
        if (!Less(L, root, static_cast<int>(child)))
            return;
        Swap(L, root, static_cast<int>(child));
        root = static_cast<int>(child);
    }
}

// Heap sort: the order function may be anything a script passes, and no
// order function can make this step outside 1..n.
int Sort(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int n = LuaGetN(L, 1);
    if (!lua_isnoneornil(L, 2))
        luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_settop(L, 2);
    luaL_checkstack(L, 8, "not enough stack to sort");
    for (int start = n / 2; start >= 1; --start)
        SiftDown(L, start, n);
    for (int end = n; end > 1; --end) {
        Swap(L, 1, end);
        SiftDown(L, 1, end - 1);
    }
    return 0;
}

} // namespace

int LuaGetN(lua_State* L, int index) {
    index = LuaAbsIndex(L, index);
    lua_pushliteral(L, "n");
    lua_rawget(L, index);
    int n = SizeFrom(L, -1);
    lua_pop(L, 1);
    if (n >= 0)
        return n;
    PushSizes(L);
    if (lua_istable(L, -1)) {
        lua_pushvalue(L, index);
        lua_rawget(L, -2);
        n = SizeFrom(L, -1);
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    if (n >= 0)
        return n;
    for (n = 0; n < 2147483647; ++n) {
        lua_rawgeti(L, index, n + 1);
        bool end = lua_isnil(L, -1);
        lua_pop(L, 1);
        if (end)
            break;
    }
    return n;
}

void LuaSetN(lua_State* L, int index, int n) {
    index = LuaAbsIndex(L, index);
    lua_pushliteral(L, "n");
    lua_rawget(L, index);
    bool hasField = SizeFrom(L, -1) >= 0;
    lua_pop(L, 1);
    if (hasField) {
        lua_pushliteral(L, "n");
        lua_pushnumber(L, n);
        lua_rawset(L, index);
        return;
    }
    PushSizes(L);
    if (lua_istable(L, -1)) {
        lua_pushvalue(L, index);
        lua_pushnumber(L, n);
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
}

void LuaOpenTableAdditions(lua_State* L) {
    lua_pushlightuserdata(L, &kSizesKey);
    LuaNewWeakTable(L, "k");
    lua_rawset(L, LUA_REGISTRYINDEX);

    lua_getglobal(L, "table");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    static const luaL_Reg functions[] = {
        {"getn", GetN},     {"setn", SetN}, {"insert", Insert},     {"remove", Remove},
        {"concat", Concat}, {"sort", Sort}, {"foreachi", ForEachI},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setfield(L, -2, f.name);
    }
    lua_pop(L, 1);
}
