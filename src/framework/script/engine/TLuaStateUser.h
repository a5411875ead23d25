#pragma once

struct lua_State;

// Something native that keeps a handle on a script state (a wrapper that
// anchors a value in its registry, a function bound to a native object) and
// must stop using it when the state closes. A user enrols with the main
// state it works on; LuaCloseState tells every enrolled user before the
// state's finalizers run, so nothing that outlives the state, and nothing a
// finalizer calls, touches it or a half-destroyed owner. Main thread only.
class TLuaStateUser {
public:
    TLuaStateUser() = default;
    TLuaStateUser(const TLuaStateUser&) = delete;
    TLuaStateUser& operator=(const TLuaStateUser&) = delete;

    // The state is about to close: forget it, and from now on do nothing.
    virtual void OnStateClosing() = 0;

protected:
    // Withdraws; a derived class whose OnStateClosing reads its own members
    // withdraws in its own destructor already.
    virtual ~TLuaStateUser();

    // Enrols with the main state (null does nothing); a user enrols once.
    void EnrolWith(lua_State* mainState);
    // Leaves the state's list (nothing when not enrolled).
    void Withdraw();

private:
    lua_State* mEnrolledWith = nullptr;

    friend void LuaCloseState(lua_State* state);
};

// Tells the state's users that it closes, then closes it: its finalizers
// run after every user has let go.
void LuaCloseState(lua_State* state);
// The number of users enrolled with the state (for tests).
unsigned LuaCountStateUsers(lua_State* state);
