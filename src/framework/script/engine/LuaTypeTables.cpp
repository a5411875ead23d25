#include "framework/script/engine/LuaTypeTables.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

const char* const kLuaTypeTableNames[10] = {
    "_nil",   "_boolean",  "_lightuserdata", "_number", "_string",
    "_table", "_function", "_userdata",      "_thread", "_wstring",
};

namespace {

// Registry keys (addresses of these objects): the slot table (type number
// -> table) and the event tables bound to each type.
char kSlotsKey;
char kEventsKey;

void PushRegistryTable(lua_State* L, char* key) {
    lua_pushlightuserdata(L, key);
    lua_rawget(L, LUA_REGISTRYINDEX);
}

// Points an event table's fields at the type's table (at tableIndex).
void FillEvents(lua_State* L, int events, int tableIndex) {
    static const char* const fields[] = {"__index", "__newindex", "__metatable"};
    for (const char* field : fields) {
        lua_pushstring(L, field);
        lua_pushvalue(L, tableIndex);
        lua_rawset(L, events);
    }
}

// Pushes a sample value of one of the simple types, whose 5.1 metatable
// then serves every value of the type.
bool PushSample(lua_State* L, int type) {
    switch (type) {
    case LUA_TBOOLEAN:
        lua_pushboolean(L, 0);
        return true;
    case LUA_TLIGHTUSERDATA:
        lua_pushlightuserdata(L, nullptr);
        return true;
    case LUA_TNUMBER:
        lua_pushnumber(L, 0);
        return true;
    case LUA_TSTRING:
        lua_pushliteral(L, "");
        return true;
    case LUA_TFUNCTION:
        lua_pushcfunction(L, lua_gettop);
        return true;
    case LUA_TTHREAD:
        lua_pushthread(L);
        return true;
    default:
        return false;
    }
}

} // namespace

void LuaOpenTypeTables(lua_State* L) {
    lua_pushlightuserdata(L, &kSlotsKey);
    lua_createtable(L, kLuaTypeSlots, 0);
    for (int type = 1; type < kLuaTypeSlots; ++type) {
        lua_newtable(L);
        lua_rawseti(L, -2, type);
    }
    lua_rawset(L, LUA_REGISTRYINDEX);

    lua_pushlightuserdata(L, &kEventsKey);
    lua_newtable(L);
    lua_rawset(L, LUA_REGISTRYINDEX);

    for (int type = 1; type < kLuaTypeSlots; ++type) {
        if (!PushSample(L, type))
            continue;
        lua_newtable(L);
        LuaBindTypeEvents(L, type, lua_gettop(L));
        lua_setmetatable(L, -2);
        lua_pop(L, 1);
    }
}

void LuaGetTypeTable(lua_State* L, int type) {
    if (type < 0 || type >= kLuaTypeSlots) {
        lua_pushnil(L);
        return;
    }
    PushRegistryTable(L, &kSlotsKey);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_pushnil(L);
        return;
    }
    lua_rawgeti(L, -1, type);
    lua_remove(L, -2);
}

void LuaSetTypeTable(lua_State* L, int type) {
    if (type < 0 || type >= kLuaTypeSlots || !lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    int table = lua_gettop(L);
    PushRegistryTable(L, &kSlotsKey);
    lua_pushvalue(L, table);
    lua_rawseti(L, -2, type);
    lua_pop(L, 1);

    PushRegistryTable(L, &kEventsKey);
    lua_rawgeti(L, -1, type);
    if (lua_istable(L, -1))
        FillEvents(L, lua_gettop(L), table);
    lua_settop(L, table - 1);
}

void LuaBindTypeEvents(lua_State* L, int type, int metatableIndex) {
    if (type < 0 || type >= kLuaTypeSlots)
        return;
    metatableIndex = LuaAbsIndex(L, metatableIndex);
    PushRegistryTable(L, &kEventsKey);
    lua_pushvalue(L, metatableIndex);
    lua_rawseti(L, -2, type);
    lua_pop(L, 1);
    LuaGetTypeTable(L, type);
    if (lua_istable(L, -1))
        FillEvents(L, metatableIndex, lua_gettop(L));
    lua_pop(L, 1);
}

int LuaGetMetatable(lua_State* L, int index) {
    int type = LuaType(L, index);
    if (type == LUA_TTABLE || type == LUA_TUSERDATA)
        return lua_getmetatable(L, index);
    if (type == LUA_TNONE || type == LUA_TNIL)
        return 0;
    LuaGetTypeTable(L, type);
    if (lua_istable(L, -1))
        return 1;
    lua_pop(L, 1);
    return 0;
}
