#pragma once

#include "framework/core/text/TString.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/TLuaStateUser.h"

#include <lauxlib.h>
#include <lua.h>

#include <cstdint>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

class TScript;

// The glue through which native objects give scripts functions: a script
// global set to a closure over one full userdata that holds the object and
// the member to call. Calling the global reads the script's arguments from
// positions 1, 2, ... as the member's parameters ask for them (text through
// lua_tostring, empty for nil; numbers through lua_tonumber; integers
// through LuaToInteger: truncated toward zero, NaN as 0, clamped to the
// parameter's range; booleans through lua_toboolean), calls the member
// and pushes its result (none for void, a boolean, a number or a text). A
// member taking the lua_State* alone and answering int reads and pushes
// for itself and answers its result count.
//
// A binding lives as long as the script holds the closure. When the object
// goes first its owner calls ForgetScriptBindings (every TWindow does so
// when it is destroyed); from then on the function does nothing and says so
// once in the log. When the state closes first, its bindings are forgotten
// before its finalizers run, so a finalizer that calls one reaches no
// object; one called after the collector took its binding does nothing.
// Main thread only.
class TScriptBinding : public TLuaStateUser {
public:
    TScriptBinding(const void* object, const char* name);
    ~TScriptBinding() override;

    void OnStateClosing() override { Forget(); }

    // Runs the member for a call from the scripts; the result count.
    virtual int Call(lua_State* state) = 0;

    const TString& GetName() const { return mName; }
    bool IsAlive() const { return mObject != nullptr; }
    // The function does nothing from now on.
    void Forget();

    // Sets the global "name" of the state to a closure over a new binding
    // made in place by make(memory), which answers it.
    template <typename Make>
    static void Register(lua_State* state, const char* name, size_t size, Make make);

    // The native function of every bound global.
    static int Dispatch(lua_State* state);

private:
    // Pushes the metatable that destroys bindings with their userdata.
    static void PushMetatable(lua_State* state);
    static void EnrolBinding(lua_State* state, TScriptBinding* binding);
    static int Collect(lua_State* state);

    // The closure's userdata: the binding, and a pointer to it that the
    // collector clears when it destroys the binding.
    struct Slot {
        TScriptBinding* live;
    };
    static constexpr size_t kSlotSize = 16;
    static_assert(sizeof(Slot) <= kSlotSize);

    const void* mObject;
    TString mName;
    bool mReported = false;
};

// Every binding of the object does nothing from now on.
void ForgetScriptBindings(const void* object);
// The number of bindings of the object that are still alive (for tests).
size_t CountScriptBindings(const void* object);

namespace script_binding {

template <typename Arg> std::decay_t<Arg> ReadArgument(lua_State* state, int index) {
    using T = std::decay_t<Arg>;
    if constexpr (std::is_same_v<T, TString>) {
        size_t length = 0;
        const char* text = lua_tolstring(state, index, &length);
        return text ? TString(text, length) : TString();
    } else if constexpr (std::is_same_v<T, bool>) {
        return lua_toboolean(state, index) != 0;
    } else if constexpr (std::is_integral_v<T>) {
        return LuaToInteger<T>(lua_tonumber(state, index));
    } else {
        static_assert(std::is_floating_point_v<T>, "a script argument is text, a number or a flag");
        return static_cast<T>(lua_tonumber(state, index));
    }
}

template <typename Result> int PushResult(lua_State* state, const Result& result) {
    luaL_checkstack(state, 1, "no room for a script function's result");
    if constexpr (std::is_same_v<Result, TString>) {
        lua_pushlstring(state, result.CStr(), result.Length());
    } else if constexpr (std::is_same_v<Result, bool>) {
        lua_pushboolean(state, result ? 1 : 0);
    } else {
        static_assert(std::is_arithmetic_v<Result>, "a script result is text, a number or a flag");
        lua_pushnumber(state, static_cast<lua_Number>(result));
    }
    return 1;
}

template <typename Result, typename... Args, typename Function, size_t... I>
int Invoke(lua_State* state, Function&& function, std::index_sequence<I...>) {
    std::tuple<std::decay_t<Args>...> arguments{
        ReadArgument<Args>(state, static_cast<int>(I) + 1)...};
    if constexpr (std::is_void_v<Result>) {
        function(std::get<I>(arguments)...);
        return 0;
    } else {
        return PushResult<std::decay_t<Result>>(state, function(std::get<I>(arguments)...));
    }
}

template <typename Object, typename Result, typename... Args>
int CallMember(lua_State* state, Object* object, Result (Object::*member)(Args...)) {
    if constexpr (sizeof...(Args) == 1 && std::is_same_v<Result, int> &&
                  (std::is_same_v<Args, lua_State*> && ...)) {
        return (object->*member)(state);
    } else {
        return Invoke<Result, Args...>(
            state, [&](auto&&... values) -> Result { return (object->*member)(values...); },
            std::index_sequence_for<Args...>());
    }
}

template <typename Object, typename Result, typename... Args>
int CallMember(lua_State* state, Object* object, Result (Object::*member)(Args...) const) {
    return Invoke<Result, Args...>(
        state, [&](auto&&... values) -> Result { return (object->*member)(values...); },
        std::index_sequence_for<Args...>());
}

template <typename Object, typename Member> class TMemberBinding final : public TScriptBinding {
public:
    TMemberBinding(Object* object, Member member, const char* name)
        : TScriptBinding(object, name), mTarget(object), mMember(member) {}
    int Call(lua_State* state) override { return CallMember(state, mTarget, mMember); }

private:
    Object* mTarget;
    Member mMember;
};

} // namespace script_binding

template <typename Make>
void TScriptBinding::Register(lua_State* state, const char* name, size_t size, Make make) {
    if (!state || !name || !lua_checkstack(state, 3))
        return;
    void* memory = lua_newuserdata(state, kSlotSize + size);
    auto* slot = static_cast<Slot*>(memory);
    slot->live = nullptr;
    slot->live = make(static_cast<char*>(memory) + kSlotSize);
    EnrolBinding(state, slot->live);
    PushMetatable(state);
    lua_setmetatable(state, -2);
    lua_pushcclosure(state, &TScriptBinding::Dispatch, 1);
    lua_setglobal(state, name);
}

// Sets the script global "name" to a function that calls the object's
// member; see TScriptBinding for the forms a member may take.
template <typename Object, typename Member>
requires std::is_member_function_pointer_v<Member>
void BindScriptFunction(lua_State* state, const char* name, Object* object, Member member) {
    using Binding = script_binding::TMemberBinding<Object, Member>;
    TScriptBinding::Register(state, name, sizeof(Binding), [&](void* memory) -> TScriptBinding* {
        return new (memory) Binding(object, member, name);
    });
}

// The same in the state of a script (its main state).
template <typename Object, typename Member>
requires std::is_member_function_pointer_v<Member>
void BindScriptFunction(TScript& script, const char* name, Object* object, Member member);

lua_State* ScriptBindingState(TScript& script);

template <typename Object, typename Member>
requires std::is_member_function_pointer_v<Member>
void BindScriptFunction(TScript& script, const char* name, Object* object, Member member) {
    BindScriptFunction(ScriptBindingState(script), name, object, member);
}
