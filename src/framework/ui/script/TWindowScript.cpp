#include "framework/ui/script/TWindowScript.h"

#include "framework/core/settings/TSettings.h"
#include "framework/script/message/ScriptQueues.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"

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
    // The queues in which what arrives for a busy script waits.
    DoLuaString("gMessageQueue = gMessageQueue or {}; gCommandQueue = gCommandQueue or {};");
}

void TWindowScript::UpdateMovie() {}

void TWindowScript::SetCurrentWindow(TWindow* window) {
    mWindows.clear();
    if (window)
        mWindows.push_back(window);
}

void TWindowScript::PushWindow(TWindow* window) {
    mWindows.push_back(window);
}

void TWindowScript::PopWindow() {
    if (mWindows.size() > 1)
        mWindows.pop_back();
}

void TWindowScript::RegisterWindowType(const TString& typeName, TWindowCreator creator) {
    mWindowTypes[typeName] = creator;
}

TWindowCreator TWindowScript::FindWindowType(const TString& typeName) const {
    auto it = mWindowTypes.find(typeName);
    return it == mWindowTypes.end() ? nullptr : it->second;
}

TWindow* TWindowScript::CreateWindowOfType(const TString& typeName) const {
    TWindowCreator creator = FindWindowType(typeName);
    return creator ? creator() : nullptr;
}

bool TWindowScript::DeliverMessage(TMessage* message, const TLuaFunction* command) {
    bool delivered = true;
    if (message)
        delivered = QueueScriptMessage(*this, message);
    if (command)
        delivered = QueueScriptCommand(*this, *command) && delivered;
    return delivered;
}

void TWindowScript::ResumeOnClose() {
    lua_State* state = GetState();
    if (!state || !InCoroutine())
        return;
    const int top = lua_gettop(state);
    Resume(0);
    lua_settop(state, top);
}

bool RunLuaString(const TString& statement) {
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    return script && script->DoLuaString(statement);
}
