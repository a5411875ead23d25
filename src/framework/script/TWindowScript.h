#pragma once

#include "framework/script/host/TScript.h"

// The window script: the script of the window manager, in whose state the
// window script functions are registered and the screens' scripts run. The
// application constructor makes it and hands it to the window manager,
// which owns it from then on. Registers "GetConfig" and "IsEnabled"; the
// window, movie and modal functions come with the window system.
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

private:
    bool mStringTableLoaded = false;
};

// Runs a Lua statement in the window manager's script; false when there is
// no window script or the statement failed.
bool RunLuaString(const TString& statement);
