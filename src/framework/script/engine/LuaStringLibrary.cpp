#include "framework/script/engine/LuaStringLibrary.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaTypeTables.h"
#include "framework/script/engine/LuaWideString.h"
#include "platform/text/Hex.h"

#include <lauxlib.h>
#include <lua.h>

#include <initializer_list>

namespace {

// The stock matcher calls itself once for every capture and every item
// with a quantifier, with no limit of its own, so a pattern of enough of
// them overflows the stack. A pattern that would nest deeper than this is
// refused, as later engines refuse it.
constexpr int kMaxPatternDepth = 200;

// The end of the set that starts at p ("[" already read), as the matcher
// reads it: a "]" right after the "[" or "[^" belongs to the set, "%"
// escapes the next character.
size_t SetEnd(const char* p, size_t i, size_t length) {
    if (i < length && p[i] == '^')
        ++i;
    do {
        if (i >= length)
            return length;
        if (p[i] == '%')
            ++i;
        ++i;
    } while (i < length && p[i] != ']');
    return i < length ? i + 1 : length;
}

// How deep the matcher nests on the pattern: its captures and its items
// with a quantifier.
int PatternDepth(const char* p, size_t length) {
    int depth = 0;
    size_t i = p[0] == '^' ? 1 : 0;
    while (i < length) {
        const char c = p[i++];
        if (c == '(' || c == ')') {
            ++depth;
            continue;
        }
        if (c == '%' && i < length) {
            const char kind = p[i++];
            if (kind == 'b') {
                i += 2;
                continue;
            }
            if (kind == 'f') {
                if (i < length && p[i] == '[')
                    i = SetEnd(p, i + 1, length);
                continue;
            }
        } else if (c == '[') {
            i = SetEnd(p, i, length);
        }
        if (i < length && (p[i] == '?' || p[i] == '*' || p[i] == '+' || p[i] == '-')) {
            ++depth;
            ++i;
        }
    }
    return depth;
}

void CheckPattern(lua_State* L, int index) {
    size_t length = 0;
    const char* pattern =
        lua_type(L, index) == LUA_TSTRING ? lua_tolstring(L, index, &length) : nullptr;
    if (pattern && length > 0 && PatternDepth(pattern, length) > kMaxPatternDepth)
        luaL_argerror(L, index, "pattern too complex");
}

// string.find, string.match and string.gmatch: the stock function (up-value
// 1) after the pattern is checked; up-value 2 is true for find, whose
// fourth argument asks for a plain search that uses no pattern.
int CheckedMatch(lua_State* L) {
    if (!(lua_toboolean(L, lua_upvalueindex(2)) && lua_toboolean(L, 4)))
        CheckPattern(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// What a replacement function of gsub gives goes through here: a string
// or a number replaces the match; anything else (nil, false, true, a
// table...) replaces it with nothing. A wide string has no bytes to put
// into a narrow result and is an error.
int GsubReplacement(lua_State* L) {
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    const int type = lua_type(L, -1);
    if (type == LUA_TSTRING || type == LUA_TNUMBER)
        return 1;
    if (LuaIsWString(L, -1)) {
        LuaPushScriptWhere(L);
        lua_pushliteral(L, "invalid replacement value (a wstring)");
        lua_concat(L, 2);
        return lua_error(L);
    }
    lua_pushliteral(L, "");
    return 1;
}

// string.gsub(s, pattern, replacement [, n]): the stock function (the
// up-value) does the matching; a replacement function is wrapped so that
// its results count as they did in 5.0. The arguments are checked here, so
// their errors name gsub and the script's line.
int Gsub(lua_State* L) {
    LuaCheckNarrowString(L, 1, nullptr);
    LuaCheckNarrowString(L, 2, nullptr);
    const int type = lua_type(L, 3);
    luaL_argcheck(L,
                  type == LUA_TNUMBER || type == LUA_TSTRING || type == LUA_TTABLE ||
                      type == LUA_TFUNCTION,
                  3, "string/function/table expected");
    luaL_optint(L, 4, 0);
    lua_settop(L, 4);
    CheckPattern(L, 2);
    if (type == LUA_TFUNCTION) {
        lua_pushvalue(L, 3);
        lua_pushcclosure(L, GsubReplacement, 1);
        lua_replace(L, 3);
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 2);
    return 2;
}

} // namespace

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
        {"format", LuaStringFormat},
        {"lualex", LuaStringLex},
        {"pack", LuaStringPack},
        {"unpack", LuaStringUnpack},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setfield(L, -2, f.name);
    }
    lua_getfield(L, -1, "gsub");
    lua_pushcclosure(L, Gsub, 1);
    lua_setfield(L, -2, "gsub");
    for (const char* name : {"find", "match", "gmatch"}) {
        lua_getfield(L, -1, name);
        lua_pushboolean(L, name[0] == 'f');
        lua_pushcclosure(L, CheckedMatch, 2);
        lua_setfield(L, -2, name);
    }
    LuaSetTypeTable(L, LUA_TSTRING);
}
