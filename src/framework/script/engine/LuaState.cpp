#include "framework/script/engine/LuaState.h"

#include "framework/script/engine/LuaBaseLibrary.h"
#include "framework/script/engine/LuaBitwise.h"
#include "framework/script/engine/LuaStringLibrary.h"
#include "framework/script/engine/LuaTableLibrary.h"
#include "framework/script/engine/LuaTranslator.h"
#include "framework/script/engine/LuaTypeTables.h"
#include "framework/script/engine/LuaWideString.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "platform/process/ProcessControl.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void* Allocate(void*, void* block, size_t, size_t newSize) {
    if (newSize == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, newSize);
}

// An error outside any protected call: nothing can catch it, so the
// process ends here (the engine would end it anyway when this returns).
int Panic(lua_State* L) {
    const char* message = lua_tostring(L, -1);
    if (!message)
        message = "(error object is not a string)";
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message);
    LogPrintf("PANIC: unprotected error in call to Lua API (%s)", message);
    std::fflush(nullptr);
    platform::ExitProcess(1);
}

// os.exit([code]): the process ends through the platform's process
// control, as every other exit of the program does.
int OsExit(lua_State* L) {
    int code = luaL_optint(L, 1, EXIT_SUCCESS);
    std::fflush(nullptr);
    platform::ExitProcess(code);
}

void OpenLibrary(lua_State* L, lua_CFunction open, const char* name) {
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

// The values of a generic for pass through here: 5.0 ran a loop over a
// table t as a loop over the global table's next and t, keeping a third
// value as the first key. Anything else goes on unchanged.
int ForIn(lua_State* L) {
    if (lua_type(L, 1) != LUA_TTABLE)
        return lua_gettop(L);
    lua_settop(L, 3);
    lua_pushvalue(L, 1);
    lua_replace(L, 2);
    lua_pushliteral(L, "next");
    lua_rawget(L, LUA_GLOBALSINDEX);
    lua_replace(L, 1);
    return 3;
}

// The table that translated chunks receive: the run-time helpers of the
// dialect's operators, literals and generic loops.
void OpenDialectTable(lua_State* L) {
    lua_newtable(L);
    LuaRegisterBitwise(L, -1);
    lua_pushcfunction(L, LuaWideFromUtf16Bytes);
    lua_setfield(L, -2, "W");
    lua_pushcfunction(L, ForIn);
    lua_setfield(L, -2, "forin");
    lua_pushcfunction(L, LuaConcatRun);
    lua_setfield(L, -2, "cat");
    lua_setfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
}

int OpenAll(lua_State* L) {
    OpenLibrary(L, luaopen_base, "");
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    // Order matters: the wide strings need the per-type tables, and the
    // base additions store every type's table under its registry name.
    LuaOpenTypeTables(L);
    LuaOpenWideStrings(L);
    LuaOpenStringAdditions(L);
    LuaOpenTableAdditions(L);
    LuaOpenBaseAdditions(L);
    OpenDialectTable(L);
    return 0;
}

int OpenTools(lua_State* L) {
    OpenLibrary(L, luaopen_io, LUA_IOLIBNAME);
    OpenLibrary(L, luaopen_os, LUA_OSLIBNAME);
    lua_getglobal(L, LUA_OSLIBNAME);
    lua_pushcfunction(L, OsExit);
    lua_setfield(L, -2, "exit");
    lua_pop(L, 1);
    OpenLibrary(L, luaopen_debug, LUA_DBLIBNAME);
    return 0;
}

// Runs the wrapper that a translation with run-time helpers came as: called
// with the dialect table, it gives the chunk's real function. This is part
// of loading, not of running the script: the thread's debug hook is off
// meanwhile, so a hook sees nothing of it and cannot make the load fail.
int Unwrap(lua_State* L) {
    lua_getfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
    const lua_Hook hook = lua_gethook(L);
    const int hookMask = lua_gethookmask(L);
    const int hookCount = lua_gethookcount(L);
    if (hook)
        lua_sethook(L, nullptr, 0, 0);
    const int status = lua_pcall(L, 1, 1, 0);
    if (hook)
        lua_sethook(L, hook, hookMask, hookCount);
    if (status != 0)
        return status == LUA_ERRMEM ? LUA_ERRMEM : LUA_ERRSYNTAX;
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        lua_pushliteral(L, "translated chunk gave no function");
        return LUA_ERRSYNTAX;
    }
    return 0;
}

// A translated chunk reaches the dialect's helpers through an up-value;
// a dump keeps the up-value's name but not its value, so a precompiled
// chunk gets the dialect table back when it is loaded.
void BindDialect(lua_State* L) {
    for (int i = 1;; ++i) {
        const char* name = lua_getupvalue(L, -1, i);
        if (!name)
            return;
        lua_pop(L, 1);
        if (std::strcmp(name, kLuaDialectName) == 0) {
            lua_getfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
            lua_setupvalue(L, -2, i);
        }
    }
}

// A name the file system did not open may still be a disk path
// ("../scripts/x.lua"), unless the hidden-name list hides it: that list
// must not be got round by reading the file from the disk instead.
bool MayReadFromDisk(const char* name) {
    if (std::strncmp(name, "::", 2) == 0 || !IsNameVisible(NameKey(name)))
        return false;
    return NameKey(name).View().substr(0, 7) != "assets/" || IsNameVisible(NameKey(name + 7));
}

const char* ErrorText(lua_State* L, int index) {
    const char* text = lua_tostring(L, index);
    return text ? text : "(error object is not a string)";
}

} // namespace

lua_State* LuaOpenState() {
    lua_State* L = lua_newstate(Allocate, nullptr);
    if (!L)
        return nullptr;
    lua_atpanic(L, Panic);
    if (lua_cpcall(L, OpenAll, nullptr) != 0) {
        LogPrintf("LuaOpenState: %s", ErrorText(L, -1));
        lua_close(L);
        return nullptr;
    }
    return L;
}

bool LuaOpenToolLibraries(lua_State* L) {
    if (!L)
        return false;
    if (lua_cpcall(L, OpenTools, nullptr) != 0) {
        LogPrintf("LuaOpenToolLibraries: %s", ErrorText(L, -1));
        lua_pop(L, 1);
        return false;
    }
    return true;
}

int LuaLoadBuffer(lua_State* L, const char* text, size_t size, const char* chunkName) {
    if (!chunkName)
        chunkName = "?";
    if (!text)
        size = 0;
    // Precompiled chunks are the engine's own format; only source is
    // translated.
    if (size > 0 && text[0] == LUA_SIGNATURE[0]) {
        int status = luaL_loadbuffer(L, text, size, chunkName);
        if (status == 0)
            BindDialect(L);
        return status;
    }
    int status = 0;
    bool wrapped = false;
    {
        TLuaTranslation translation =
            TranslateLuaSource(std::string_view(text ? text : "", size), chunkName);
        if (!translation.ok) {
            lua_pushlstring(L, translation.error.data(), translation.error.size());
            return LUA_ERRSYNTAX;
        }
        wrapped = translation.wrapped;
        status =
            luaL_loadbuffer(L, translation.source.data(), translation.source.size(), chunkName);
    }
    if (status != 0 || !wrapped)
        return status;
    return Unwrap(L);
}

int LuaLoadFile(lua_State* L, const char* fileName) {
    if (!fileName) {
        lua_pushliteral(L, "cannot open (no file name)");
        return LUA_ERRFILE;
    }
    std::vector<char> bytes;
    {
        TFile file;
        bool opened = file.Open(fileName, kFileReadBinary);
        if (!opened && MayReadFromDisk(fileName))
            opened = file.Open((std::string("::") + fileName).c_str(), kFileReadBinary);
        if (!opened) {
            lua_pushfstring(L, "cannot open %s", fileName);
            return LUA_ERRFILE;
        }
        int32_t size = file.GetSize();
        bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (size > 0 && file.Read(bytes.data(), size) != size) {
            lua_pushfstring(L, "cannot read %s", fileName);
            return LUA_ERRFILE;
        }
    }
    // A first line such as "#!/usr/bin/lua" is skipped by the translator,
    // as for every chunk of source.
    lua_pushfstring(L, "@%s", fileName);
    int status = LuaLoadBuffer(L, bytes.data(), bytes.size(), lua_tostring(L, -1));
    lua_remove(L, -2);
    return status;
}

int LuaStatusTo50(int status) {
    switch (status) {
    case 0:
    case LUA_YIELD:
        return kLua50Ok;
    case LUA_ERRRUN:
        return kLua50ErrRun;
    case LUA_ERRSYNTAX:
        return kLua50ErrSyntax;
    case LUA_ERRMEM:
        return kLua50ErrMem;
    case LUA_ERRERR:
        return kLua50ErrErr;
    case LUA_ERRFILE:
        return kLua50ErrFile;
    default:
        return kLua50ErrRun;
    }
}

namespace {

// Hands a failed run's message to "_ALERT" and takes it off the stack.
void Alert(lua_State* L) {
    lua_getglobal(L, "_ALERT");
    if (lua_isfunction(L, -1)) {
        lua_insert(L, -2);
        // An _ALERT that fails itself must not take the process down.
        if (lua_pcall(L, 1, 0, 0) == 0)
            return;
        std::fprintf(stderr, "error in _ALERT: %s\n", ErrorText(L, -1));
        lua_pop(L, 1);
        return;
    }
    std::fprintf(stderr, "%s\n", ErrorText(L, -2));
    lua_pop(L, 2);
}

int RunLoaded(lua_State* L, int status) {
    if (status == 0)
        status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != 0)
        Alert(L);
    return LuaStatusTo50(status);
}

} // namespace

int LuaDoBuffer(lua_State* L, const char* text, size_t size, const char* chunkName) {
    return RunLoaded(L, LuaLoadBuffer(L, text, size, chunkName));
}

int LuaDoString(lua_State* L, const char* text) {
    if (!text)
        text = "";
    return LuaDoBuffer(L, text, std::strlen(text), text);
}

int LuaDoFile(lua_State* L, const char* fileName) {
    return RunLoaded(L, LuaLoadFile(L, fileName));
}

int LuaResume(lua_State* thread, int narg) {
    if (lua_status(thread) == 0) {
        lua_Debug frame;
        bool running = lua_getstack(thread, 0, &frame) != 0;
        int functionIndex = lua_gettop(thread) - narg;
        if (!running && (functionIndex < 1 || !lua_isfunction(thread, functionIndex))) {
            lua_settop(thread, 0);
            lua_pushliteral(thread, "cannot resume dead coroutine");
            return kLua50ErrRun;
        }
    }
    return LuaStatusTo50(lua_resume(thread, narg));
}

void LuaPushRegistryRef(lua_State* L, int n) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, n);
}

void LuaPushIndex(lua_State* L, int index) {
    if (LuaIsRegistryRefIndex(index))
        LuaPushRegistryRef(L, kLuaRegistryRefBase - index);
    else
        lua_pushvalue(L, index);
}
