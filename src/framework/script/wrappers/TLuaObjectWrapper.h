#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "framework/script/engine/TLuaStateUser.h"

struct lua_State;

// Native holders of script values. A wrapper anchors one value in the
// script registry under the wrapper's own address, so the value lives
// exactly as long as the wrapper does, and pushes it back from there.
// Wrappers belong to whoever made them; all of them work on the main
// state of the script they were made on (made on a coroutine thread, they
// anchor through its main state, so they never keep a thread's stack).
// A wrapper may outlive its state: the state tells it when it closes, and
// from then on it holds nil and touches nothing. Main thread only.
class TLuaObjectWrapper : public TLuaStateUser {
public:
    // Takes the value on top of the state's stack (popping it) and anchors it.
    explicit TLuaObjectWrapper(lua_State* state);
    // Drops the anchor: the value lives on only while the script holds it.
    ~TLuaObjectWrapper() override;

    // Pushes the value onto the given state (its own main state when null);
    // nil once the wrapper has been detached.
    void Push(lua_State* onto = nullptr) const;
    lua_State* GetState() const { return mState; }

    // Forgets the state without touching it: for a state that has been
    // closed, whose registry is gone with it.
    void Detach() {
        Withdraw();
        mState = nullptr;
    }
    void OnStateClosing() override { mState = nullptr; }

protected:
    lua_State* mState = nullptr;
};

// A wrapper whose value is a function.
class TLuaFunction : public TLuaObjectWrapper {
public:
    using TLuaObjectWrapper::TLuaObjectWrapper;

    // Calls the function protected, with no arguments, "_ALERT" as error
    // handler and one result, which is dropped; the stack is left as it
    // was. A value that is not a function is not called. Returns 0 or the
    // 5.0-numbered error code.
    int Call() const;
};

// A wrapper whose value is a table, with readers for its fields. Each
// reader leaves the stack as it found it unless it says otherwise.
class TLuaTable : public TLuaObjectWrapper {
public:
    using TLuaObjectWrapper::TLuaObjectWrapper;

    // Push table[key]; true when it is not nil (the value stays on the
    // main state's stack), otherwise the nil is popped.
    bool PushField(const char* key) const;
    bool PushIndex(double index) const;

    // The field as a number (lua_tonumber: 0 for a non-number), or the
    // default when it is nil.
    double GetNumber(const char* key, double defaultValue) const;
    double GetNumberAtIndex(double index, double defaultValue) const;
    // The field as text (strings and numbers; a wide string gives its low
    // bytes), or the default when it is nil.
    TString GetStringAtIndex(double index, const TString& defaultValue) const;
    // A new wrapper of the sub-table (the caller deletes it), or null when
    // the field is not a table.
    TLuaTable* GetTableAtIndex(double index) const;
    // The table at the index read as a colour: elements 1 to 4 are red,
    // green, blue and alpha, each defaulting to the default's channel; the
    // default colour when the field is not a table.
    TColor GetColorAtIndex(double index, const TColor& defaultColor) const;
};

// A coroutine thread of a script state, kept alive through the registry
// while this object lives. Owned by the script that runs on it.
class TLuaThread {
public:
    // Creates the thread on the state (through its main state).
    explicit TLuaThread(lua_State* state);
    TLuaThread(const TLuaThread&) = delete;
    TLuaThread& operator=(const TLuaThread&) = delete;
    // Lets the collector have the thread.
    ~TLuaThread();

    lua_State* GetThreadState() const { return mThreadState; }
    // For a state that has been closed: forget it without touching it.
    void Detach() { mAnchor->Detach(); }

private:
    TLuaObjectWrapper* mAnchor = nullptr;
    lua_State* mThreadState = nullptr;
};

// The main state of the script that the state (or thread) belongs to, as
// the host recorded it; the state itself when none was recorded.
lua_State* LuaMainState(lua_State* state);
// Records the state as the main state of its script (the host does this
// for every state it sets up).
void LuaSetMainState(lua_State* state);

// Puts off deleting a wrapper until the next call into the scripts begins:
// for wrappers dropped by native code that the scripts called. The wrapper
// goes to the release queue of the script registered as "_SCRIPT" in its
// state; without one it is deleted at once.
void QueueForRelease(TLuaObjectWrapper* wrapper);

// Takes the value on top of the stack and pops it, whatever it is: nil
// gives false, a boolean its value, a number true unless it is 0; a string
// gives false and the log line "PopBool used on lua string %s", any other
// type false and "PopBool used on a type that isn't a number, a boolean, or
// nil. (type: %d)" (a wide string is type 9).
bool PopBool(lua_State* state);

// The value at the index as text: strings and numbers as lua_tostring
// gives them (without converting the slot), a wide string as its low
// bytes; empty for anything else.
TString LuaValueText(lua_State* state, int index);
