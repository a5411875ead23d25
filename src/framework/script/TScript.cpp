#include "framework/script/TScript.h"

#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaState.h"

#include <lauxlib.h>
#include <lua.h>

#include <mutex>

namespace {

const char kScriptGlobal[] = "_SCRIPT";
const char kErrorGlobal[] = "LuaErrorMessage";

struct SearchPath {
    std::mutex mutex;
    TString path{"assets/?;?;../?;../../?"};
};

SearchPath& TheSearchPath() {
    static SearchPath* const path = new SearchPath;
    return *path;
}

} // namespace

TScript::TScript(lua_State* state) : mState(state) {
    if (!mState) {
        mState = LuaOpenState();
        mOwnsState = mState != nullptr;
        if (!mState) {
            LogPrintf("TScript: cannot open a Lua state");
            return;
        }
        mStateOpen = std::make_shared<bool>(true);
        lua_pushlightuserdata(mState, this);
        lua_setglobal(mState, kScriptGlobal);
    }
}

TScript::~TScript() {
    if (!mState) {
        return;
    }
    if (mOwnsState) {
        *mStateOpen = false;
        lua_close(mState);
    } else if (mThreadRef != -2 && GetState()) {
        luaL_unref(mState, LUA_REGISTRYINDEX, mThreadRef);
    }
}

TScript* TScript::FromState(lua_State* state) {
    if (!state) {
        return nullptr;
    }
    lua_getglobal(state, kScriptGlobal);
    void* script = lua_touserdata(state, -1);
    lua_pop(state, 1);
    return static_cast<TScript*>(script);
}

TScript* TScript::NewThread() {
    if (!GetState()) {
        return nullptr;
    }
    lua_State* thread = lua_newthread(mState);
    // The registry keeps the thread from being collected while the script lives.
    int ref = luaL_ref(mState, LUA_REGISTRYINDEX);
    TScript* script = new TScript(thread);
    script->mThreadRef = ref;
    script->mStateOpen = mStateOpen;
    return script;
}

bool TScript::DoLuaString(const TString& source) {
    if (!GetState()) {
        return false;
    }
    int status = LuaLoadBuffer(mState, source.CStr(), source.Length(), source.CStr());
    if (status == 0) {
        status = lua_pcall(mState, 0, 0, 0);
    }
    if (status == 0) {
        return true;
    }
    const char* message = lua_tostring(mState, -1);
    TString text = message ? message : "(error object is not a string)";
    lua_pop(mState, 1);
    LogPrintf("Lua Error: %s\n\twhen %s", text.CStr(), source.CStr());
    lua_pushstring(mState, text.CStr());
    lua_setglobal(mState, kErrorGlobal);
    return false;
}

double TScript::GetGlobalNumber(const char* name) const {
    if (!GetState() || !name) {
        return 0.0;
    }
    lua_getglobal(mState, name);
    double value = lua_type(mState, -1) == LUA_TNUMBER ? lua_tonumber(mState, -1) : 0.0;
    lua_pop(mState, 1);
    return value;
}

TString TScript::GetGlobalString(const char* name) const {
    if (!GetState() || !name) {
        return TString();
    }
    lua_getglobal(mState, name);
    TString value;
    if (lua_type(mState, -1) == LUA_TSTRING) {
        size_t length = 0;
        const char* text = lua_tolstring(mState, -1, &length);
        value = TString(text, length);
    }
    lua_pop(mState, 1);
    return value;
}

void TScript::RegisterFunction(const char* name, lua_CFunction function) {
    if (!GetState() || !name) {
        return;
    }
    lua_pushcfunction(mState, function);
    lua_setglobal(mState, name);
}

bool TScript::Step() {
    if (!GetState() || mOwnsState) {
        // A main state has no coroutine to resume.
        mInCoroutine = false;
        Suspend();
        return true;
    }
    if (!mInCoroutine && lua_gettop(mState) == 0) {
        // Nothing to run: the thread has ended or was never given a function.
        Suspend();
        return true;
    }
    // A fresh thread starts its function with the values above it; a
    // suspended one goes on from its yield.
    int arguments = mInCoroutine ? 0 : lua_gettop(mState) - 1;
    int status = LuaResume(mState, arguments);
    if (status == kLua50Ok && lua_status(mState) == LUA_YIELD) {
        lua_settop(mState, 0);
        mInCoroutine = true;
        return true;
    }
    mInCoroutine = false;
    if (status != 0) {
        const char* message = lua_tostring(mState, -1);
        LogPrintf("lua_resume ERROR: %s", message ? message : "(no message)");
    }
    lua_settop(mState, 0);
    Suspend();
    return true;
}

TString GetScriptSearchPath() {
    SearchPath& path = TheSearchPath();
    std::lock_guard<std::mutex> lock(path.mutex);
    return path.path;
}

void SetScriptSearchPath(const TString& text) {
    SearchPath& path = TheSearchPath();
    std::lock_guard<std::mutex> lock(path.mutex);
    path.path = text;
}
