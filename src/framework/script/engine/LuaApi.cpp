#include "framework/script/engine/LuaApi.h"

#include <lua.h>

#include <cmath>
#include <cstring>

namespace {

int Truncated(lua_Number value) {
    if (!(value > -2147483648.0))
        return value != value ? 0 : -2147483647 - 1;
    if (value >= 2147483647.0)
        return 2147483647;
    return static_cast<int>(value);
}

} // namespace

int LuaGetTableLength(lua_State* L, int index) {
    if (!lua_istable(L, index))
        return 0;
    index = LuaAbsIndex(L, index);
    lua_pushliteral(L, "n");
    lua_rawget(L, index);
    if (lua_type(L, -1) == LUA_TNUMBER) {
        int n = Truncated(lua_tonumber(L, -1));
        lua_pop(L, 1);
        return n;
    }
    lua_pop(L, 1);
    lua_Number largest = 0;
    lua_pushnil(L);
    while (lua_next(L, index) != 0) {
        // lua_type, not lua_isnumber: a key "5" is no numeric key.
        if (lua_type(L, -2) == LUA_TNUMBER && lua_tonumber(L, -2) > largest)
            largest = lua_tonumber(L, -2);
        lua_pop(L, 1);
    }
    return Truncated(largest);
}

void LuaPushPointerBox(lua_State* L, void* pointer) {
    void* box = lua_newuserdata(L, sizeof pointer);
    std::memcpy(box, &pointer, sizeof pointer);
}

void* LuaToPointerBox(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA || lua_objlen(L, index) != sizeof(void*))
        return nullptr;
    // Boxes carry no metatable; other userdata of the same size do.
    if (lua_getmetatable(L, index)) {
        lua_pop(L, 1);
        return nullptr;
    }
    void* pointer = nullptr;
    std::memcpy(&pointer, lua_touserdata(L, index), sizeof pointer);
    return pointer;
}

int LuaAbsIndex(lua_State* L, int index) {
    return index < 0 && index > LUA_REGISTRYINDEX ? lua_gettop(L) + index + 1 : index;
}

void LuaNewWeakTable(lua_State* L, const char* mode) {
    lua_newtable(L);
    lua_createtable(L, 0, 1);
    lua_pushstring(L, mode);
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
}

uint64_t LuaTruncatedBits(double value) {
    if (!(std::fabs(value) < 9.2233720368547758e18))
        return 0;
    return static_cast<uint64_t>(static_cast<int64_t>(value));
}

int32_t LuaCheckedInt(lua_State* L, int index) {
    return LuaToInteger<int32_t>(lua_tonumber(L, index));
}

void LuaPushScriptWhere(lua_State* L) {
    lua_Debug frame;
    for (int level = 1; lua_getstack(L, level, &frame); ++level) {
        lua_getinfo(L, "Sl", &frame);
        if (std::strcmp(frame.what, "C") == 0)
            continue;
        if (frame.currentline > 0) {
            lua_pushfstring(L, "%s:%d: ", frame.short_src, frame.currentline);
            return;
        }
        break;
    }
    lua_pushliteral(L, "");
}
