#include "framework/script/TWindowScript.h"

#include "framework/core/settings/TSettings.h"
#include "framework/ui/TWindowManager.h"

#include <lauxlib.h>
#include <lua.h>

namespace {

TString ArgumentText(lua_State* state, int index) {
    size_t length = 0;
    const char* text = lua_isstring(state, index) ? lua_tolstring(state, index, &length) : nullptr;
    return text ? TString(text, length) : TString();
}

// GetConfig(name, default): the stored setting or the default.
int ScriptGetConfig(lua_State* state) {
    TString value = GetSetting(ArgumentText(state, 1), ArgumentText(state, 2));
    lua_pushlstring(state, value.CStr(), value.Length());
    return 1;
}

// IsEnabled(name): the setting read as a non-zero integer.
int ScriptIsEnabled(lua_State* state) {
    lua_pushboolean(state, GetSettingBool(ArgumentText(state, 1)));
    return 1;
}

} // namespace

TWindowScript::TWindowScript(lua_State* state) : TScript(state) {
    RegisterFunction("GetConfig", ScriptGetConfig);
    RegisterFunction("IsEnabled", ScriptIsEnabled);
}

void TWindowScript::UpdateMovie() {}

bool RunLuaString(const TString& statement) {
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    return script && script->DoLuaString(statement);
}
