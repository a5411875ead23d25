#pragma once

#include "framework/core/tasks/TAnimTask.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>
#include <vector>

struct lua_State;
typedef int (*lua_CFunction)(lua_State*);

class TLuaObjectWrapper;
class TLuaThread;

// The script host: one Lua state, or one coroutine thread of another
// script's state, bound to the framework. It runs source strings and
// script files, calls script functions from native code, and runs a
// function that such a call returns as a coroutine, resumed once per pass
// of the task list it sits in until the function ends.
//
// A main script (made without a state) opens its state, owns it and is
// registered in it as the global "_SCRIPT"; its coroutine runs on a thread
// of its own, kept alive through the registry, while native calls and
// DoLuaString run on the main state. A script made by NewThread runs its
// coroutine on its own thread (a fresh one for each coroutine that a call
// starts, so GetState changes then); its calls too run on the main state,
// their values moved across, so callers find on the thread's stack what
// they would find on a main script's. A thread that outlives the
// script that opened its state (at shut-down the window script goes before
// the platform's task list) no longer touches that state.
//
// The task is suspended from construction; it becomes due only when a
// coroutine starts, and suspends itself again when the coroutine ends or
// fails. Main thread only.
class TScript : public TAnimTask {
public:
    // With null, opens a state of its own and registers itself as
    // "_SCRIPT"; else sets up the given state without owning it.
    explicit TScript(lua_State* state = nullptr);
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;
    ~TScript() override;

    // The state the script runs on (a thread script's own thread); null
    // when there is none, also once the state was closed.
    lua_State* GetState() const { return IsStateOpen() ? mState : nullptr; }
    bool OwnsState() const { return mOwnsState; }

    // The script registered as "_SCRIPT" in the state, or null.
    static TScript* FromState(lua_State* state);

    // A new script on a new coroutine thread of this script's state. It is
    // not put in any task list; the caller adds it. Null without a state.
    TScript* NewThread();

    // Calls the function that lies on the stack below its arguments (0 or
    // a 5.0-numbered error code, whose error object is then left on the
    // stack). While the coroutine is suspended in a yield a call for at
    // most one result is wrapped into a closure that keeps the first six
    // arguments and is handed to DeliverCall; the base version calls it at
    // once. A single result that is a function starts as the coroutine.
    int RunFunction(int arguments, int results);
    // Resumes the coroutine with the given number of values from the stack;
    // what it yields or returns is left on the stack. A failure is logged
    // as "lua_resume ERROR: %s". Returns 0 or a 5.0-numbered error code.
    int Resume(int arguments);
    // One resume per due pass; suspends the task when the coroutine failed
    // or ended. Always keeps the task in its list.
    bool Step() override;

    // Compiles and runs source (its first length bytes; kWholeSource for
    // all of it) with the search path as "LUA_PATH". With results 0 the one
    // result is dropped; otherwise the results stay on the stack. An error
    // is logged as "DoLuaString %s %s" with the message "Lua Error:
    // %s\n\twhen %s" (phase "parsing" or "running") and the source, and is
    // handed to the global "LuaErrorMessage" when that is a function, else
    // stored in it; the stack goes back to its height. False on an error.
    static constexpr uint32_t kWholeSource = 0xFFFFFFFFu;
    bool DoLuaString(const TString& source, uint32_t length = kWholeSource, int results = 0);
    // Runs a script file through its compiled asset; a file that returns a
    // function starts it as the coroutine. An empty name or a missing file
    // does nothing and says nothing; a compile error goes to "_ALERT", a
    // run error is logged as "Failed to run script %s: %d". The stack is
    // left as it was. True when the file ran.
    bool DoFile(const TString& fileName);

    // True while the coroutine is suspended in a yield.
    bool InCoroutine() const;
    // True when the last coroutine started ended in an error (at its start
    // or at a later resume).
    bool CoroutineFailed() const { return mCoroutineFailed; }
    // The error the last failed coroutine ended with; empty while none failed.
    const TString& CoroutineError() const { return mCoroutineError; }

    // Globals; the stack is left as it was. Strings read as text (a number
    // as its text, empty when nil); numbers as lua_tonumber (0.0 when nil).
    TString GetGlobalString(const char* name) const;
    void SetGlobalString(const char* name, const TString& value);
    double GetGlobalNumber(const char* name) const;
    void SetGlobalNumber(const char* name, double value);
    // Sets the global to a native function.
    void RegisterFunction(const char* name, lua_CFunction function);

    // Take the value on top of the stack and pop it.
    TString PopString();
    double PopNumber();
    // Elements 1 to 4 of the table on top (red, green, blue, alpha; 0 when
    // missing), popping the table.
    TColor PopColor();

    // Deletes the wrapper when the next call into the scripts begins.
    void QueueRelease(TLuaObjectWrapper* wrapper);

protected:
    // A call that arrived while the coroutine is suspended, made into a
    // closure without arguments that lies on top of the main state's
    // stack. True when it was handed on (the closure is taken); false to
    // have it called at once (the base drops it and answers false).
    virtual bool DeliverCall();

    // The state on which calls into the scripts run.
    lua_State* GetMainState() const { return IsStateOpen() ? mMainState : nullptr; }

private:
    bool IsStateOpen() const { return mState && (!mStateOpen || *mStateOpen); }
    void SetUpState();
    void ReleaseQueued();
    // Starts the function on top of the main state's stack (left there) as
    // the coroutine.
    void StartCoroutine();
    lua_State* CoroutineState() const;
    // "_ALERT" with one text, protected.
    void Alert(const TString& text);

    lua_State* mState = nullptr;
    lua_State* mMainState = nullptr;
    bool mOwnsState = false;
    // The thread a NewThread script runs on; null on a main script.
    TLuaThread* mOwningThread = nullptr;
    // A main script's coroutine thread, made when a coroutine starts.
    TLuaThread* mCoroutine = nullptr;
    std::vector<TLuaObjectWrapper*> mReleaseQueue;
    bool mCoroutineFailed = false;
    TString mCoroutineError;
    // Shared by the script that opened a state and every thread made on
    // it; false once the state is closed.
    std::shared_ptr<bool> mStateOpen;
};

// The process-wide search path through which the script loader finds the
// files that scripts name; "assets/?;?;../?;../../?" at start.
TString GetScriptSearchPath();
void SetScriptSearchPath(const TString& path);
