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

// The sort's comparison of two values on the stack: by the order function
// at index 2, or by the < operator when there is none. Leaves the stack as
// it was.
bool SortLess(lua_State* L, int a, int b) {
    a = LuaAbsIndex(L, a);
    b = LuaAbsIndex(L, b);
    if (lua_isnil(L, 2))
        return lua_lessthan(L, a, b) != 0;
    lua_pushvalue(L, 2);
    lua_pushvalue(L, a);
    lua_pushvalue(L, b);
    lua_call(L, 2, 1);
    const bool less = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return less;
}

// Pops two values: the top one goes to t[i], the one below it to t[j].
void StoreTwo(lua_State* L, int i, int j) {
    lua_rawseti(L, 1, i);
    lua_rawseti(L, 1, j);
}

// Quicksort of t[low..high] with the middle of three values as the pivot.
// Ties, and the calls made to the order function, come out exactly as
// with the engine's own table.sort, on which scripts' results may depend:
// the same comparisons in the same order, and an order function that
// walks a scan off the range raises "invalid order function for sorting".
// The smaller part is sorted by recursion and the larger by the loop, so
// the depth stays logarithmic.
void QuickSort(lua_State* L, int low, int high) {
    while (low < high) {
        // Order t[low] and t[high].
        lua_rawgeti(L, 1, low);
        lua_rawgeti(L, 1, high);
        if (SortLess(L, -1, -2))
            StoreTwo(L, low, high);
        else
            lua_pop(L, 2);
        if (high - low == 1)
            return;
        // Bring the middle value between them.
        int middle = low + (high - low) / 2;
        lua_rawgeti(L, 1, middle);
        lua_rawgeti(L, 1, low);
        if (SortLess(L, -2, -1)) {
            StoreTwo(L, middle, low);
        } else {
            lua_pop(L, 1);
            lua_rawgeti(L, 1, high);
            if (SortLess(L, -1, -2))
                StoreTwo(L, middle, high);
            else
                lua_pop(L, 2);
        }
        if (high - low == 2)
            return;
        // The middle value is the pivot; it waits at high - 1 while the
        // values between low and high - 1 are split around it.
        lua_rawgeti(L, 1, middle);
        lua_pushvalue(L, -1);
        lua_rawgeti(L, 1, high - 1);
        StoreTwo(L, middle, high - 1);
        const int pivot = lua_gettop(L);
        int i = low;
        int j = high - 1;
        for (;;) {
            // Up from the left while t[i] < pivot.
            for (;;) {
                lua_rawgeti(L, 1, ++i);
                if (!SortLess(L, -1, pivot))
                    break;
                if (i > high)
                    luaL_error(L, "invalid order function for sorting");
                lua_pop(L, 1);
            }
            // Down from the right while pivot < t[j].
            for (;;) {
                lua_rawgeti(L, 1, --j);
                if (!SortLess(L, pivot, -1))
                    break;
                if (j < low)
                    luaL_error(L, "invalid order function for sorting");
                lua_pop(L, 1);
            }
            if (j < i) {
                lua_pop(L, 3);
                break;
            }
            // t[i] and t[j] are on the stack in that order: exchange them.
            StoreTwo(L, i, j);
        }
        // The pivot goes to its place at i.
        lua_rawgeti(L, 1, high - 1);
        lua_rawgeti(L, 1, i);
        StoreTwo(L, high - 1, i);
        int from = 0;
        int to = 0;
        if (i - low < high - i) {
            from = low;
            to = i - 1;
            low = i + 1;
        } else {
            from = i + 1;
            to = high;
            high = i - 1;
        }
        QuickSort(L, from, to);
    }
}

// table.sort(t [, less]) over the table's size as the dialect counts it.
int Sort(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    const int n = LuaGetN(L, 1);
    luaL_checkstack(L, 40, "not enough stack to sort");
    if (!lua_isnoneornil(L, 2))
        luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_settop(L, 2);
    QuickSort(L, 1, n);
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
