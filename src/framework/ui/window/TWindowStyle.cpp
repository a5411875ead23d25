#include "framework/ui/window/TWindowStyle.h"

#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <lua.h>

#include <cmath>

namespace {

// Restores the stack height of a state on leaving a scope.
class StackGuard {
public:
    explicit StackGuard(lua_State* state) : mState(state), mTop(state ? lua_gettop(state) : 0) {}
    ~StackGuard() {
        if (mState)
            lua_settop(mState, mTop);
    }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    lua_State* mState;
    int mTop;
};

lua_State* StateOf(const TLuaTable* table) {
    return table ? LuaMainState(table->GetState()) : nullptr;
}

} // namespace

bool TWindowStyle::FindField(const char* key, bool topLevel) const {
    lua_State* L = StateOf(mTable);
    if (!L)
        return false;
    // 1. The table on top, or the globals when the top is no table.
    lua_pushstring(L, key);
    if (lua_istable(L, -2))
        lua_gettable(L, -2);
    else
        lua_gettable(L, LUA_GLOBALSINDEX);
    // 2.
    if (!lua_isnil(L, -1))
        return true;
    // 3.
    lua_pop(L, 1);
    if (topLevel) {
        lua_getglobal(L, "gCurrentDefaultStyle");
    } else if (lua_istable(L, -1)) {
        lua_pushstring(L, "parent");
        lua_gettable(L, -2);
    } else {
        lua_pushnil(L);
    }
    // 4.
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return false;
    }
    // 5.
    if (FindField(key, false)) {
        lua_remove(L, -2);
        return true;
    }
    lua_pop(L, 1);
    return false;
}

bool TWindowStyle::Find(const char* key) const {
    lua_State* L = StateOf(mTable);
    if (!L)
        return false;
    mTable->Push(L);
    return FindField(key, true);
}

double TWindowStyle::GetNumber(const char* key, double defaultValue) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    return Find(key) ? lua_tonumber(L, -1) : defaultValue;
}

int32_t TWindowStyle::GetInt(const char* key, int32_t defaultValue) const {
    double value = GetNumber(key, defaultValue);
    if (!std::isfinite(value) || value >= 2147483648.0 || value < -2147483648.0)
        return defaultValue;
    return static_cast<int32_t>(value);
}

TString TWindowStyle::GetString(const char* key, const TString& defaultValue) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    if (!Find(key))
        return defaultValue;
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    return text ? TString(text, length) : TString();
}

TColor TWindowStyle::GetColor(const char* key, const TColor& defaultValue) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    if (!Find(key))
        return defaultValue;
    float channels[4] = {0, 0, 0, 0};
    if (lua_istable(L, -1)) {
        for (int i = 0; i < 4; ++i) {
            lua_rawgeti(L, -1, i + 1);
            channels[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
    }
    return TColor(channels[0], channels[1], channels[2], channels[3]);
}

bool TWindowStyle::GetBool(const char* key, bool defaultValue) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    if (!Find(key))
        return defaultValue;
    return PopBool(L);
}

TLuaTable* TWindowStyle::GetTable(const char* key) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    return Find(key) ? new TLuaTable(L) : nullptr;
}

TLuaFunction* TWindowStyle::GetFunction(const char* key) const {
    lua_State* L = StateOf(mTable);
    StackGuard guard(L);
    return Find(key) ? new TLuaFunction(L) : nullptr;
}
