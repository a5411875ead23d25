#include "framework/ui/script/TScriptBinding.h"

#include "framework/core/log/TLog.h"
#include "framework/script/host/TScript.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <unordered_map>

namespace {

const char kBindingMetatable[] = "nbBindingMetatable";

// The live bindings of each object, so that they can be told when it goes.
std::unordered_multimap<const void*, TScriptBinding*>& LiveBindings() {
    static auto* const bindings = new std::unordered_multimap<const void*, TScriptBinding*>;
    return *bindings;
}

// __gc: the binding goes with its userdata.
int CollectBinding(lua_State* state) {
    if (auto* binding = static_cast<TScriptBinding*>(lua_touserdata(state, 1)))
        binding->~TScriptBinding();
    return 0;
}

} // namespace

TScriptBinding::TScriptBinding(const void* object, const char* name)
    : mObject(object), mName(name ? name : "") {
    if (mObject)
        LiveBindings().emplace(mObject, this);
}

TScriptBinding::~TScriptBinding() {
    if (!mObject)
        return;
    auto [first, last] = LiveBindings().equal_range(mObject);
    for (auto it = first; it != last; ++it) {
        if (it->second == this) {
            LiveBindings().erase(it);
            break;
        }
    }
}

void TScriptBinding::PushMetatable(lua_State* state) {
    if (luaL_newmetatable(state, kBindingMetatable)) {
        lua_pushcfunction(state, CollectBinding);
        lua_setfield(state, -2, "__gc");
        // Scripts cannot reach the binding through the closure anyway; this
        // keeps getmetatable from handing the table out.
        lua_pushboolean(state, 0);
        lua_setfield(state, -2, "__metatable");
    }
}

int TScriptBinding::Dispatch(lua_State* state) {
    auto* binding = static_cast<TScriptBinding*>(lua_touserdata(state, lua_upvalueindex(1)));
    if (!binding)
        return 0;
    if (!binding->IsAlive()) {
        if (!binding->mReported) {
            binding->mReported = true;
            LogPrintf("Script function %s called after its object was destroyed; it does nothing",
                      binding->mName.CStr());
        }
        return 0;
    }
    return binding->Call(state);
}

void ForgetScriptBindings(const void* object) {
    if (!object)
        return;
    auto& bindings = LiveBindings();
    auto [first, last] = bindings.equal_range(object);
    for (auto it = first; it != last; ++it)
        it->second->Forget();
    bindings.erase(object);
}

size_t CountScriptBindings(const void* object) {
    return LiveBindings().count(object);
}

lua_State* ScriptBindingState(TScript& script) {
    return LuaMainState(script.GetState());
}
