#include "framework/script/message/TLuaMessage.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstring>

namespace {

const char kMetatableKey[] = "nbMessageMetatable";

TMessage** MessageSlot(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA || !lua_getmetatable(L, index)) {
        return nullptr;
    }
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableKey);
    bool ours = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return ours ? static_cast<TMessage**>(lua_touserdata(L, index)) : nullptr;
}

// __index(object, key): "type" and "name"; nil for anything else.
int MessageIndex(lua_State* L) {
    TMessage* message = ToMessage(L, 1);
    const char* key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
    if (message && key && std::strcmp(key, "type") == 0) {
        lua_pushnumber(L, message->GetType());
    } else if (message && key && std::strcmp(key, "name") == 0) {
        lua_pushlstring(L, message->GetName().CStr(), message->GetName().Length());
    } else {
        lua_pushnil(L);
    }
    return 1;
}

// __gc: the object owned its message.
int MessageCollect(lua_State* L) {
    TMessage** slot = MessageSlot(L, 1);
    if (slot) {
        delete *slot;
        *slot = nullptr;
    }
    return 0;
}

} // namespace

void LuaOpenMessages(lua_State* L) {
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableKey);
    bool present = lua_istable(L, -1);
    lua_pop(L, 1);
    if (present) {
        return;
    }
    lua_newtable(L);
    lua_pushcfunction(L, MessageCollect);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, MessageIndex);
    lua_setfield(L, -2, "__index");
    lua_setfield(L, LUA_REGISTRYINDEX, kMetatableKey);
}

void PushMessageObject(lua_State* L, TMessage* message) {
    LuaOpenMessages(L);
    auto** slot = static_cast<TMessage**>(lua_newuserdata(L, sizeof(TMessage*)));
    *slot = message;
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableKey);
    lua_setmetatable(L, -2);
}

TMessage* ToMessage(lua_State* L, int index) {
    TMessage** slot = MessageSlot(L, index);
    return slot ? *slot : nullptr;
}

TMessage* TLuaMessage::GetMessage() const {
    Push();
    return mState ? ToMessage(mState, -1) : nullptr;
}

const void* TLuaMessageWrapper::ClassId() {
    static const char id = 0;
    return &id;
}

TLuaMessageWrapper::TLuaMessageWrapper(lua_State* state)
    : TMessage(kGeneric, TString()), mObject(state) {
    TMessage* held = GetHeldMessage();
    if (held) {
        mType = held->GetType();
        mName = held->GetName();
        mTarget = held->GetTarget();
    }
}

TMessage* TLuaMessageWrapper::GetHeldMessage() const {
    lua_State* L = mObject.GetState();
    if (!L) {
        return nullptr;
    }
    TMessage* message = mObject.GetMessage();
    lua_pop(L, 1);
    return message;
}
