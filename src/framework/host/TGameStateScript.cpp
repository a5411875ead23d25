#include "framework/host/TGameStateScript.h"

#include "framework/core/log/TLog.h"
#include "framework/host/TGameState.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"

#include <lua.h>

namespace {

// The registry as it stands; never makes one.
TGameState* CurrentRegistry(const char* function) {
    TGameState* registry = TGameState::GetInstance();
    if (!registry)
        LogPrintf("%s: there is no game-state registry", function);
    return registry;
}

// Text of a script argument as the engine's string conversion gives it: a
// string as it is, a number in its decimal form, anything else (nil, a
// missing argument) as the empty text.
TString ArgumentText(lua_State* state, int index) {
    int type = lua_type(state, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return TString();
    // Converted on a copy, so the caller's number stays a number.
    lua_pushvalue(state, index);
    size_t length = 0;
    const char* text = lua_tolstring(state, -1, &length);
    TString result(text, length);
    lua_pop(state, 1);
    return result;
}

int GetStateFunction(lua_State* state) {
    TString name = ArgumentText(state, 1);
    TGameState* registry = CurrentRegistry("GetState");
    TString value = registry ? registry->GetState(name) : TString();
    lua_pushlstring(state, value.CStr(), static_cast<size_t>(value.Length()));
    return 1;
}

int SetStateFunction(lua_State* state) {
    TString name = ArgumentText(state, 1);
    TString value = ArgumentText(state, 2);
    if (TGameState* registry = CurrentRegistry("_SetState"))
        registry->SetState(name, value);
    return 0;
}

constexpr char kQueryMuteGame[] = "QueryMuteGame";
constexpr char kQueryRestartMode[] = "QueryRestartMode";
constexpr char kQueryJumpToMenu[] = "QueryJumpToMenu";

template <bool (TGameState::*Question)(), const char* Name> int QueryFunction(lua_State* state) {
    TGameState* registry = CurrentRegistry(Name);
    lua_pushboolean(state, registry && (registry->*Question)());
    return 1;
}

} // namespace

void RegisterGameStateScriptFunctions() {
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    if (!script || !script->GetState()) {
        LogPrintf("TGameState: no window script; the game-state script functions are not "
                  "registered");
        return;
    }
    script->RegisterFunction("GetState", GetStateFunction);
    script->RegisterFunction("_SetState", SetStateFunction);
    script->RegisterFunction(kQueryMuteGame,
                             QueryFunction<&TGameState::QueryMuteGame, kQueryMuteGame>);
    script->RegisterFunction(kQueryRestartMode,
                             QueryFunction<&TGameState::QueryRestartMode, kQueryRestartMode>);
    script->RegisterFunction(kQueryJumpToMenu,
                             QueryFunction<&TGameState::QueryJumpToMenu, kQueryJumpToMenu>);
}
