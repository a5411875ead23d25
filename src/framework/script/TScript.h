#pragma once

#include "framework/core/tasks/TAnimTask.h"
#include "framework/core/text/TString.h"

#include <memory>

struct lua_State;
typedef int (*lua_CFunction)(lua_State*);

// A script: a Lua state (opened by the script and owned by it) or a
// coroutine thread on another script's state. It is a timed task that is
// due at once and has no clock until one is set; its step resumes the
// thread once. The script stores itself in its state as the global
// "_SCRIPT", so native functions find it through FromState. A thread that
// outlives the script whose state it runs on (the window script goes before
// the platform's task list at shut-down) no longer touches that state: it
// has none from then on.
class TScript : public TAnimTask {
public:
    // With null, opens a Lua state of its own with the framework's script
    // libraries; else runs on the given state without owning it.
    explicit TScript(lua_State* state = nullptr);
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;
    ~TScript() override;

    // The Lua state; null when there is none, also once the script that
    // opened the state this thread runs on has closed it.
    lua_State* GetState() const { return !mStateOpen || *mStateOpen ? mState : nullptr; }
    bool OwnsState() const { return mOwnsState; }

    // The script that registered itself in the state, or null.
    static TScript* FromState(lua_State* state);

    // A new script on a fresh coroutine thread of this state (sharing it).
    // It is not put in any task list; the caller adds it.
    TScript* NewThread();

    // Compiles and runs source. A compile or run error is logged as
    // "Lua Error: %s\n\twhen %s", stored in the global "LuaErrorMessage" and
    // reported by a false result; callers go on either way.
    bool DoLuaString(const TString& source);

    // True while the thread has yielded inside its coroutine.
    bool InCoroutine() const { return mInCoroutine; }

    // The global as a number (0.0 when it is not one) or as text (empty
    // when it is not a string).
    double GetGlobalNumber(const char* name) const;
    TString GetGlobalString(const char* name) const;

    // Sets the global to a native function.
    void RegisterFunction(const char* name, lua_CFunction function);

    // Resumes the thread once; a failed resume is logged as
    // "lua_resume ERROR: %s" and suspends the task, and so does an ended
    // thread. Always keeps the task in its list.
    bool Step() override;

private:
    lua_State* mState = nullptr;
    bool mOwnsState = false;
    bool mInCoroutine = false;
    // Registry reference that keeps a coroutine thread alive; -2 for none.
    int mThreadRef = -2;
    // Shared by the script that opened a state and every thread made on
    // it; false once the state is closed.
    std::shared_ptr<bool> mStateOpen;
};

// The process-wide search path through which the script loader finds the
// files that scripts name; "assets/?;?;../?;../../?" at start.
TString GetScriptSearchPath();
void SetScriptSearchPath(const TString& path);
