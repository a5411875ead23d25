#include "framework/script/engine/LuaStringLibrary.h"

#include "framework/script/engine/LuaTypeTables.h"
#include "platform/text/Hex.h"

#include <lauxlib.h>
#include <lua.h>

int LuaStringLex(lua_State* L) {
    size_t size = 0;
    const char* text = luaL_checklstring(L, 1, &size);
    bool keepUnknown = luaL_optnumber(L, 2, 0) != 0;
    const char* end = text + size;
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    while (text < end) {
        char c = *text++;
        if (c != '\\' || text >= end) {
            luaL_addchar(&buffer, c);
            continue;
        }
        c = *text++;
        switch (c) {
        case 'a':
            luaL_addchar(&buffer, '\a');
            break;
        case 'b':
            luaL_addchar(&buffer, '\b');
            break;
        case 'f':
            luaL_addchar(&buffer, '\f');
            break;
        case 'n':
            luaL_addchar(&buffer, '\n');
            break;
        case 'r':
            luaL_addchar(&buffer, '\r');
            break;
        case 't':
            luaL_addchar(&buffer, '\t');
            break;
        case 'v':
            luaL_addchar(&buffer, '\v');
            break;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && text < end && platform::HexDigitValue(*text) >= 0) {
                value = value * 16 + platform::HexDigitValue(*text++);
                ++digits;
            }
            luaL_addchar(&buffer, digits > 0 ? static_cast<char>(value) : 'x');
            break;
        }
        default:
            if (c >= '0' && c <= '9') {
                int value = c - '0';
                for (int digits = 1; digits < 3 && text < end && *text >= '0' && *text <= '9';
                     ++digits)
                    value = value * 10 + (*text++ - '0');
                if (value > 255)
                    return luaL_error(L, "escape sequence too large");
                luaL_addchar(&buffer, static_cast<char>(value));
            } else {
                if (keepUnknown)
                    luaL_addchar(&buffer, '\\');
                luaL_addchar(&buffer, c);
            }
            break;
        }
    }
    luaL_pushresult(&buffer);
    return 1;
}

void LuaOpenStringAdditions(lua_State* L) {
    lua_getglobal(L, "string");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    static const luaL_Reg functions[] = {
        {"find", LuaStringFind}, {"format", LuaStringFormat}, {"gmatch", LuaStringGmatch},
        {"gsub", LuaStringGsub}, {"lualex", LuaStringLex},    {"match", LuaStringMatch},
        {"pack", LuaStringPack}, {"unpack", LuaStringUnpack},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setfield(L, -2, f.name);
    }
    LuaSetTypeTable(L, LUA_TSTRING);
}
