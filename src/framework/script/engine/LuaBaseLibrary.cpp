#include "framework/script/engine/LuaBaseLibrary.h"

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTableLibrary.h"
#include "framework/script/engine/LuaTypeTables.h"
#include "framework/script/engine/LuaWideString.h"

#include "framework/core/log/TLog.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstdio>
#include <cstring>

namespace {

// Functions here are called by scripts and may be left by a script error
// (a long jump) at any call into the engine: they hold nothing that needs
// a destructor.

int Alert(lua_State* L) {
    const char* message = lua_tostring(L, 1);
    if (!message)
        message = "(error object is not a string)";
    LogPrintf("Lua error: %s", message);
    std::fprintf(stderr, "Lua error: %s\n", message);
    return 0;
}

int LoadResult(lua_State* L, int status) {
    if (status == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int LoadString(lua_State* L) {
    size_t size = 0;
    const char* text = luaL_checklstring(L, 1, &size);
    const char* chunkName = luaL_optstring(L, 2, text);
    return LoadResult(L, LuaLoadBuffer(L, text, size, chunkName));
}

// load(reader [, chunkName]): the pieces the reader gives until nil or an
// empty string, joined, are compiled like loadstring's text, so this way
// in also goes through the translator. A reader that fails or gives
// something else than a string makes load give nil and a message.
int Load(lua_State* L) {
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char* chunkName = luaL_optstring(L, 2, "=(load)");
    lua_settop(L, 2);
    lua_newtable(L);
    int pieces = 0;
    for (;;) {
        lua_pushvalue(L, 1);
        if (lua_pcall(L, 0, 1, 0) != 0)
            return LoadResult(L, LUA_ERRRUN);
        if (lua_isnil(L, -1) || (lua_isstring(L, -1) && lua_objlen(L, -1) == 0)) {
            lua_pop(L, 1);
            break;
        }
        if (lua_type(L, -1) != LUA_TSTRING) {
            luaL_where(L, 1);
            lua_pushliteral(L, "reader function must return a string");
            lua_concat(L, 2);
            return LoadResult(L, LUA_ERRRUN);
        }
        lua_rawseti(L, 3, ++pieces);
    }
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (int i = 1; i <= pieces; ++i) {
        lua_rawgeti(L, 3, i);
        luaL_addvalue(&buffer);
    }
    luaL_pushresult(&buffer);
    size_t size = 0;
    const char* text = lua_tolstring(L, -1, &size);
    return LoadResult(L, LuaLoadBuffer(L, text, size, chunkName));
}

// Reads standard input whole and compiles it as "=stdin".
int LoadStandardInput(lua_State* L) {
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    size_t got = 0;
    do {
        char* space = luaL_prepbuffer(&buffer);
        got = std::fread(space, 1, LUAL_BUFFERSIZE, stdin);
        luaL_addsize(&buffer, got);
    } while (got == LUAL_BUFFERSIZE);
    luaL_pushresult(&buffer);
    size_t size = 0;
    const char* text = lua_tolstring(L, -1, &size);
    int status = LuaLoadBuffer(L, text, size, "=stdin");
    lua_remove(L, -2);
    return status;
}

int LoadAny(lua_State* L, const char* fileName) {
    return fileName ? LuaLoadFile(L, fileName) : LoadStandardInput(L);
}

int LoadFile(lua_State* L) {
    const char* fileName = luaL_optstring(L, 1, nullptr);
    return LoadResult(L, LoadAny(L, fileName));
}

int DoFile(lua_State* L) {
    const char* fileName = luaL_optstring(L, 1, nullptr);
    int base = lua_gettop(L);
    if (LoadAny(L, fileName) != 0)
        return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - base;
}

// Pushes the next template of a ';'-separated path with every '?' replaced
// by name; returns the rest of the path, or null when none is left.
const char* PushNextCandidate(lua_State* L, const char* path, const char* name) {
    while (*path == ';')
        ++path;
    if (*path == 0)
        return nullptr;
    const char* end = std::strchr(path, ';');
    if (!end)
        end = path + std::strlen(path);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (const char* c = path; c < end; ++c) {
        if (*c == '?')
            luaL_addstring(&buffer, name);
        else
            luaL_addchar(&buffer, *c);
    }
    luaL_pushresult(&buffer);
    return end;
}

// require(name): runs the first file the search path finds for name, once;
// its result (true when it gives none) is kept in _LOADED[name]. The path
// is the global "LUA_PATH"; files open through the framework's files.
int Require(lua_State* L) {
    const char* name = luaL_checkstring(L, 1);
    lua_settop(L, 1);
    lua_getglobal(L, "LUA_PATH");
    if (!lua_isstring(L, 2)) {
        lua_pop(L, 1);
        lua_pushstring(L, kLuaDefaultPath);
    }
    lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
    if (!lua_istable(L, 3))
        return luaL_error(L, "`_LOADED' is not a table");
    lua_pushvalue(L, 1);
    lua_rawget(L, 3);
    if (lua_toboolean(L, -1))
        return 1;
    lua_pop(L, 1);

    int status = LUA_ERRFILE;
    const char* path = lua_tostring(L, 2);
    while (status == LUA_ERRFILE && (path = PushNextCandidate(L, path, name)) != nullptr) {
        status = LuaLoadFile(L, lua_tostring(L, -1));
        lua_remove(L, -2);
        if (status == LUA_ERRFILE)
            lua_pop(L, 1);
    }
    if (status == LUA_ERRFILE)
        return luaL_error(L, "could not load package `%s' from path `%s'", name,
                          lua_tostring(L, 2));
    if (status != 0)
        return luaL_error(L, "error loading package `%s' (%s)", name, lua_tostring(L, -1));

    // The module sees its own name in _REQUIREDNAME while it runs.
    lua_getglobal(L, "_REQUIREDNAME");
    lua_insert(L, -2);
    lua_pushvalue(L, 1);
    lua_setglobal(L, "_REQUIREDNAME");
    lua_call(L, 0, 1);
    lua_insert(L, -2);
    lua_setglobal(L, "_REQUIREDNAME");
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        lua_pushboolean(L, 1);
    }
    lua_pushvalue(L, 1);
    lua_pushvalue(L, -2);
    lua_rawset(L, 3);
    return 1;
}

int Unpack(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    int first = luaL_optint(L, 2, 1);
    int last = lua_isnoneornil(L, 3) ? LuaGetN(L, 1) : luaL_checkint(L, 3);
    if (first > last)
        return 0;
    long long count = static_cast<long long>(last) - first + 1;
    if (count >= 0x7FFFFFFF || !lua_checkstack(L, static_cast<int>(count)))
        return luaL_error(L, "too many results to unpack");
    for (int i = first; i <= last; ++i)
        lua_rawgeti(L, 1, i);
    return static_cast<int>(count);
}

int Type(lua_State* L) {
    luaL_checkany(L, 1);
    lua_pushstring(L, LuaTypeName(L, 1));
    return 1;
}

int ToString(lua_State* L) {
    luaL_checkany(L, 1);
    if (LuaIsWString(L, 1)) {
        LuaPushWStringLowBytes(L, 1);
        return 1;
    }
    if (luaL_callmeta(L, 1, "__tostring"))
        return 1;
    switch (lua_type(L, 1)) {
    case LUA_TNUMBER:
        lua_pushvalue(L, 1);
        lua_tostring(L, -1);
        break;
    case LUA_TSTRING:
        lua_pushvalue(L, 1);
        break;
    case LUA_TBOOLEAN:
        lua_pushstring(L, lua_toboolean(L, 1) ? "true" : "false");
        break;
    case LUA_TNIL:
        lua_pushliteral(L, "nil");
        break;
    default:
        lua_pushfstring(L, "%s: %p", luaL_typename(L, 1), lua_topointer(L, 1));
        break;
    }
    return 1;
}

int ToWString(lua_State* L) {
    luaL_checkany(L, 1);
    switch (LuaType(L, 1)) {
    case LUA_TNIL:
        lua_pushliteral(L, "nil");
        return 1;
    case LUA_TNUMBER:
        lua_pushvalue(L, 1);
        LuaToWString(L, -1);
        return 1;
    case LUA_TSTRING: {
        size_t size = 0;
        const char* bytes = lua_tolstring(L, 1, &size);
        LuaPushWStringFromBytes(L, bytes, size);
        return 1;
    }
    case kLuaTWString:
        lua_pushvalue(L, 1);
        return 1;
    case LUA_TTABLE:
    case LUA_TFUNCTION:
    case LUA_TUSERDATA:
    case LUA_TTHREAD: {
        lua_pushcfunction(L, ToString);
        lua_pushvalue(L, 1);
        lua_call(L, 1, 1);
        if (lua_isstring(L, -1)) {
            size_t size = 0;
            const char* bytes = lua_tolstring(L, -1, &size);
            LuaPushWStringFromBytes(L, bytes, size);
        }
        return 1;
    }
    default:
        return luaL_argerror(L, 1, "value expected");
    }
}

// Appends the UTF-8 form of one code point.
size_t PutUtf8(char* out, unsigned long code) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

// Writes wide text to standard output as UTF-8, in pieces of at most 511
// units (a surrogate pair is never split); a lone surrogate gives U+FFFD.
void WriteWide(const char16_t* units, size_t n) {
    constexpr size_t kPiece = 511;
    char out[kPiece * 3 + 8];
    size_t i = 0;
    while (i < n) {
        size_t used = 0;
        size_t end = i + kPiece < n ? i + kPiece : n;
        while (i < end) {
            unsigned long code = units[i++];
            if (code >= 0xD800 && code < 0xDC00 && i < n && units[i] >= 0xDC00 &&
                units[i] < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (units[i++] - 0xDC00);
            } else if (code >= 0xD800 && code < 0xE000) {
                code = 0xFFFD;
            }
            used += PutUtf8(out + used, code);
        }
        std::fwrite(out, 1, used, stdout);
    }
}

int Print(lua_State* L) {
    int count = lua_gettop(L);
    lua_getglobal(L, "tostring");
    lua_getglobal(L, "towstring");
    for (int i = 1; i <= count; ++i) {
        bool wide = LuaIsWString(L, i);
        lua_pushvalue(L, wide ? count + 2 : count + 1);
        lua_pushvalue(L, i);
        lua_call(L, 1, 1);
        // A number is text too, as for the stock print.
        bool wideText = LuaIsWString(L, -1);
        if (!wideText && !lua_isstring(L, -1))
            return luaL_error(L, wide ? "`towstring' must return a string to `print'"
                                      : "`tostring' must return a string to `print'");
        if (i > 1)
            std::fputs("\t", stdout);
        size_t size = 0;
        if (wideText) {
            const char16_t* units = LuaToWString(L, -1, &size);
            WriteWide(units, size);
        } else {
            const char* text = lua_tolstring(L, -1, &size);
            std::fwrite(text, 1, size, stdout);
        }
        lua_pop(L, 1);
    }
    std::fputs("\n", stdout);
    std::fflush(stdout);
    return 0;
}

// Pushes the function that getfenv and setfenv work on: the function given,
// or the one running at the level given (1, the default here, is the
// caller). Level 0 pushes nothing: it stands for the running thread.
bool PushEnvironmentOwner(lua_State* L, bool levelOptional) {
    if (lua_isfunction(L, 1)) {
        lua_pushvalue(L, 1);
        return true;
    }
    const int level = levelOptional ? luaL_optint(L, 1, 1) : luaL_checkint(L, 1);
    luaL_argcheck(L, level >= 0, 1, "level must be non-negative");
    if (level == 0)
        return false;
    lua_Debug frame;
    if (lua_getstack(L, level, &frame) == 0)
        luaL_argerror(L, 1, "invalid level");
    lua_getinfo(L, "f", &frame);
    if (lua_isnil(L, -1))
        luaL_error(L, "no function environment for tail call at level %d", level);
    return true;
}

// Pushes the environment of the owner on the stack top (the thread's
// globals for a native function or for none), and its "__fenv" field.
void PushEnvironment(lua_State* L, bool hasOwner) {
    if (hasOwner && !lua_iscfunction(L, -1))
        lua_getfenv(L, -1);
    else
        lua_pushvalue(L, LUA_GLOBALSINDEX);
    lua_pushliteral(L, "__fenv");
    lua_rawget(L, -2);
}

// getfenv([f]): an environment with a "__fenv" field is protected: the
// field is given in its place.
int GetFEnv(lua_State* L) {
    PushEnvironment(L, PushEnvironmentOwner(L, true));
    if (lua_isnil(L, -1))
        lua_pop(L, 1);
    return 1;
}

// setfenv(f, table): a protected environment (one with a "__fenv" field)
// cannot be replaced; level 0 replaces the running thread's globals.
int SetFEnv(lua_State* L) {
    luaL_checktype(L, 2, LUA_TTABLE);
    const bool hasOwner = PushEnvironmentOwner(L, false);
    PushEnvironment(L, hasOwner);
    if (!lua_isnil(L, -1))
        return luaL_error(L, "`setfenv' cannot change a protected environment");
    lua_pop(L, 2);
    lua_pushvalue(L, 2);
    if (!hasOwner) {
        lua_pushthread(L);
        lua_insert(L, -2);
        lua_setfenv(L, -2);
        return 0;
    }
    if (lua_iscfunction(L, -2) || lua_setfenv(L, -2) == 0)
        return luaL_error(L, "`setfenv' cannot change environment of given function");
    return 0;
}

// collectgarbage(limit) with a number is the old form that set the
// collector's threshold; the incremental collector has none, so it
// collects fully. Any other argument goes to the stock function.
int CollectGarbage(lua_State* L) {
    if (lua_type(L, 1) == LUA_TNUMBER) {
        lua_gc(L, LUA_GCCOLLECT, 0);
        return 0;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

} // namespace

void LuaOpenBaseAdditions(lua_State* L) {
    static const luaL_Reg functions[] = {
        {"_ALERT", Alert},        {"load", Load},     {"loadstring", LoadString},
        {"loadfile", LoadFile},   {"dofile", DoFile}, {"require", Require},
        {"unpack", Unpack},       {"type", Type},     {"tostring", ToString},
        {"towstring", ToWString}, {"print", Print},   {"getfenv", GetFEnv},
        {"setfenv", SetFEnv},
    };
    for (const luaL_Reg& f : functions) {
        lua_pushcfunction(L, f.func);
        lua_setglobal(L, f.name);
    }
    lua_getglobal(L, "collectgarbage");
    lua_pushcclosure(L, CollectGarbage, 1);
    lua_setglobal(L, "collectgarbage");

    lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_pushvalue(L, -1);
        lua_setfield(L, LUA_REGISTRYINDEX, "_LOADED");
    }
    lua_setglobal(L, "_LOADED");

    for (int type = 1; type <= kLuaTWString; ++type) {
        LuaGetTypeTable(L, type);
        lua_setfield(L, LUA_REGISTRYINDEX, kLuaTypeTableNames[type]);
    }
}
