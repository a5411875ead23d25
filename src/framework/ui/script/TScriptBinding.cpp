#include "framework/ui/script/TScriptBinding.h"

#include "framework/core/log/TLog.h"
#include "framework/script/host/TScript.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <unordered_map>
#include <vector>

namespace {

const char kBindingMetatable[] = "nbBindingMetatable";

// The live bindings of each object, so that they can be told when it goes.
std::unordered_multimap<const void*, TScriptBinding*>& LiveBindings() {
    static auto* const bindings = new std::unordered_multimap<const void*, TScriptBinding*>;
    return *bindings;
}

} // namespace

// __gc: the binding goes with its userdata. A finalizer that runs later in
// the same collection may still call the closure: it finds no binding.
int TScriptBinding::Collect(lua_State* state) {
    auto* slot = static_cast<Slot*>(lua_touserdata(state, 1));
    if (slot && slot->live) {
        TScriptBinding* binding = slot->live;
        slot->live = nullptr;
        binding->~TScriptBinding();
    }
    return 0;
}

void TScriptBinding::EnrolBinding(lua_State* state, TScriptBinding* binding) {
    if (binding)
        binding->EnrolWith(LuaMainState(state));
}

TScriptBinding::TScriptBinding(const void* object, const char* name)
    : mObject(object), mName(name ? name : "") {
    if (mObject)
        LiveBindings().emplace(mObject, this);
}

TScriptBinding::~TScriptBinding() {
    Withdraw();
    Forget();
}

void TScriptBinding::Forget() {
    if (!mObject)
        return;
    auto [first, last] = LiveBindings().equal_range(mObject);
    for (auto it = first; it != last; ++it) {
        if (it->second == this) {
            LiveBindings().erase(it);
            break;
        }
    }
    mObject = nullptr;
}

void TScriptBinding::PushMetatable(lua_State* state) {
    if (luaL_newmetatable(state, kBindingMetatable)) {
        lua_pushcfunction(state, &TScriptBinding::Collect);
        lua_setfield(state, -2, "__gc");
        // Scripts cannot reach the binding through the closure anyway; this
        // keeps getmetatable from handing the table out.
        lua_pushboolean(state, 0);
        lua_setfield(state, -2, "__metatable");
    }
}

int TScriptBinding::Dispatch(lua_State* state) {
    auto* slot = static_cast<Slot*>(lua_touserdata(state, lua_upvalueindex(1)));
    TScriptBinding* binding = slot ? slot->live : nullptr;
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
    std::vector<TScriptBinding*> forgotten;
    for (auto it = first; it != last; ++it)
        forgotten.push_back(it->second);
    for (TScriptBinding* binding : forgotten)
        binding->Forget();
}

size_t CountScriptBindings(const void* object) {
    return LiveBindings().count(object);
}

lua_State* ScriptBindingState(TScript& script) {
    return LuaMainState(script.GetState());
}
