#pragma once

#include "framework/script/host/TScript.h"
#include "framework/ui/window/TWindow.h"

#include <map>
#include <vector>

class TLuaFunction;
class TMessage;

// The window script: the script of the window manager, in whose state the
// window script functions are registered and the screens' scripts run. The
// application constructor makes it and hands it to the window manager,
// which owns it from then on. It keeps the stack of current windows (the
// last is the one script calls address), the window types scripts can
// create by name, and takes the messages and commands that no window
// handled into the script's queues. Registers "GetConfig" and "IsEnabled".
class TWindowScript : public TScript {
public:
    explicit TWindowScript(lua_State* state = nullptr);

    // Runs the attached movie's step; nothing while no movie is attached.
    void UpdateMovie();

    // The option that tells the script functions that a string table is
    // loaded. Returns the previous value.
    bool SetStringTableFlag(bool flag) {
        bool previous = mStringTableLoaded;
        mStringTableLoaded = flag;
        return previous;
    }
    bool GetStringTableFlag() const { return mStringTableLoaded; }

    // ---- Current windows
    // Empties the stack and pushes the window (null leaves it empty).
    void SetCurrentWindow(TWindow* window);
    void PushWindow(TWindow* window);
    // Pops the stack, never its last element.
    void PopWindow();
    TWindow* GetCurrentWindow() const { return mWindows.empty() ? nullptr : mWindows.back(); }
    size_t GetWindowDepth() const { return mWindows.size(); }

    // ---- Window types: a second registration replaces the first.
    void RegisterWindowType(const TString& typeName, TWindowCreator creator);
    // The creator of the type, null when none is registered.
    TWindowCreator FindWindowType(const TString& typeName) const;
    // A new window of the type, null when none is registered.
    TWindow* CreateWindowOfType(const TString& typeName) const;

    // Takes a message (owned from then on) and a command (left to the
    // caller) that reach the script: both go to the script's queues.
    bool DeliverMessage(TMessage* message, const TLuaFunction* command);

    // Wakes a coroutine that waits in a modal loop, with no values.
    void ResumeOnClose();

private:
    bool mStringTableLoaded = false;
    std::vector<TWindow*> mWindows;
    std::map<TString, TWindowCreator> mWindowTypes;
};

// Runs a Lua statement in the window manager's script; false when there is
// no window script or the statement failed.
bool RunLuaString(const TString& statement);
