#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include "framework/core/log/TLog.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaWideString.h"
#include "framework/script/host/TScript.h"

#include <lauxlib.h>
#include <lua.h>

namespace {

// Registry key under which the host records a script's main state.
const char kMainStateKey[] = "nbMainState";

} // namespace

lua_State* LuaMainState(lua_State* state) {
    if (!state) {
        return nullptr;
    }
    lua_getfield(state, LUA_REGISTRYINDEX, kMainStateKey);
    lua_State* main = lua_tothread(state, -1);
    lua_pop(state, 1);
    return main ? main : state;
}

void LuaSetMainState(lua_State* state) {
    lua_pushthread(state);
    lua_setfield(state, LUA_REGISTRYINDEX, kMainStateKey);
}

TLuaObjectWrapper::TLuaObjectWrapper(lua_State* state) : mState(LuaMainState(state)) {
    if (!mState) {
        return;
    }
    if (lua_gettop(state) == 0) {
        // Nothing was pushed: the wrapper holds nil rather than whatever
        // lies below the caller's frame.
        lua_pushnil(state);
    }
    // The value moves to the main state, so a thread's stack is never kept.
    if (state != mState) {
        lua_xmove(state, mState, 1);
    }
    lua_pushlightuserdata(mState, this);
    lua_insert(mState, -2);
    lua_rawset(mState, LUA_REGISTRYINDEX);
    EnrolWith(mState);
}

TLuaObjectWrapper::~TLuaObjectWrapper() {
    Withdraw();
    if (!mState) {
        return;
    }
    lua_pushlightuserdata(mState, this);
    lua_pushnil(mState);
    lua_rawset(mState, LUA_REGISTRYINDEX);
}

void TLuaObjectWrapper::Push(lua_State* onto) const {
    if (!onto) {
        onto = mState;
    }
    if (!onto) {
        return;
    }
    if (!mState) {
        lua_pushnil(onto);
        return;
    }
    lua_pushlightuserdata(onto, const_cast<TLuaObjectWrapper*>(this));
    lua_rawget(onto, LUA_REGISTRYINDEX);
}

int TLuaFunction::Call() const {
    if (!mState) {
        return kLua50ErrRun;
    }
    int base = lua_gettop(mState) + 1;
    Push();
    if (!lua_isfunction(mState, -1)) {
        lua_pop(mState, 1);
        return kLua50ErrRun;
    }
    lua_getglobal(mState, "_ALERT");
    lua_insert(mState, base);
    int status = lua_pcall(mState, 0, 1, base);
    lua_settop(mState, base - 1);
    return LuaStatusTo50(status);
}

bool TLuaTable::PushField(const char* key) const {
    if (!mState || !key) {
        return false;
    }
    Push();
    if (!lua_istable(mState, -1)) {
        lua_pop(mState, 1);
        return false;
    }
    lua_getfield(mState, -1, key);
    lua_remove(mState, -2);
    if (lua_isnil(mState, -1)) {
        lua_pop(mState, 1);
        return false;
    }
    return true;
}

bool TLuaTable::PushIndex(double index) const {
    if (!mState) {
        return false;
    }
    Push();
    if (!lua_istable(mState, -1)) {
        lua_pop(mState, 1);
        return false;
    }
    lua_pushnumber(mState, index);
    lua_gettable(mState, -2);
    lua_remove(mState, -2);
    if (lua_isnil(mState, -1)) {
        lua_pop(mState, 1);
        return false;
    }
    return true;
}

double TLuaTable::GetNumber(const char* key, double defaultValue) const {
    if (!PushField(key)) {
        return defaultValue;
    }
    double value = lua_tonumber(mState, -1);
    lua_pop(mState, 1);
    return value;
}

double TLuaTable::GetNumberAtIndex(double index, double defaultValue) const {
    if (!PushIndex(index)) {
        return defaultValue;
    }
    double value = lua_tonumber(mState, -1);
    lua_pop(mState, 1);
    return value;
}

TString TLuaTable::GetStringAtIndex(double index, const TString& defaultValue) const {
    if (!PushIndex(index)) {
        return defaultValue;
    }
    TString value = LuaValueText(mState, -1);
    lua_pop(mState, 1);
    return value;
}

TLuaTable* TLuaTable::GetTableAtIndex(double index) const {
    if (!PushIndex(index)) {
        return nullptr;
    }
    if (!lua_istable(mState, -1)) {
        lua_pop(mState, 1);
        return nullptr;
    }
    return new TLuaTable(mState);
}

TColor TLuaTable::GetColorAtIndex(double index, const TColor& defaultColor) const {
    TLuaTable* table = GetTableAtIndex(index);
    if (!table) {
        return defaultColor;
    }
    TColor color(static_cast<float>(table->GetNumberAtIndex(1, defaultColor.r)),
                 static_cast<float>(table->GetNumberAtIndex(2, defaultColor.g)),
                 static_cast<float>(table->GetNumberAtIndex(3, defaultColor.b)),
                 static_cast<float>(table->GetNumberAtIndex(4, defaultColor.a)));
    delete table;
    return color;
}

TLuaThread::TLuaThread(lua_State* state) {
    lua_State* main = LuaMainState(state);
    mThreadState = lua_newthread(main);
    mAnchor = new TLuaObjectWrapper(main);
}

TLuaThread::~TLuaThread() {
    delete mAnchor;
}

void QueueForRelease(TLuaObjectWrapper* wrapper) {
    if (!wrapper) {
        return;
    }
    TScript* script = TScript::FromState(wrapper->GetState());
    if (script) {
        script->QueueRelease(wrapper);
    } else {
        delete wrapper;
    }
}

bool PopBool(lua_State* state) {
    bool value = false;
    switch (LuaType(state, -1)) {
    case LUA_TNONE:
        // An empty stack: nothing to take.
        return false;
    case LUA_TNIL:
        break;
    case LUA_TBOOLEAN:
        value = lua_toboolean(state, -1) != 0;
        break;
    case LUA_TNUMBER:
        value = lua_tonumber(state, -1) != 0.0;
        break;
    case LUA_TSTRING:
        LogPrintf("PopBool used on lua string %s", lua_tostring(state, -1));
        break;
    default:
        LogPrintf("PopBool used on a type that isn't a number, a boolean, or nil. (type: %d)",
                  LuaType(state, -1));
        break;
    }
    lua_pop(state, 1);
    return value;
}

TString LuaValueText(lua_State* state, int index) {
    if (!LuaIsString(state, index)) {
        return TString();
    }
    lua_pushvalue(state, index);
    if (LuaIsWString(state, -1)) {
        LuaPushWStringLowBytes(state, -1);
        lua_remove(state, -2);
    }
    size_t length = 0;
    const char* text = lua_tolstring(state, -1, &length);
    TString value = text ? TString(text, length) : TString();
    lua_pop(state, 1);
    return value;
}
