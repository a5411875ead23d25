#pragma once

#include "framework/host/TGameStateHandler.h"

// The web-portal handler: turns the game's states into messages for the
// hosting page and answers the registry's questions from the portal state
// (PortalState.h), which every instance shares. The installers register
// one per process. "mute" is consumed only in portal mode, so with "-aol"
// alone the registry's own mute still works.
class TMsnQuarrowHandler : public TGameStateHandler {
public:
    TMsnQuarrowHandler() = default;
    ~TMsnQuarrowHandler() override;
    TMsnQuarrowHandler(const TMsnQuarrowHandler&) = delete;
    TMsnQuarrowHandler& operator=(const TMsnQuarrowHandler&) = delete;

    // The handler the installers registered, until the registry deletes it.
    static TMsnQuarrowHandler* GetInstalled();
    static void SetInstalled(TMsnQuarrowHandler* handler);

    bool OnSetState(const char* name, const char* value) override;
    // The answer lives in one buffer of the class, overwritten by the next
    // call.
    const char* OnGetState(const char* name, const char* value) override;
    bool QueryRestartMode() override;
    bool QueryJumpToMenu() override;
    bool QueryMuteGame() override;
    // True while waiting for the host; a host that went away ends the wait.
    bool QuerySuspendGame() override;

    // "-aol": "systemmode" answers "aol" (unless quarrow mode is on).
    void SetAol(bool aol) { mAol = aol; }
    bool IsAol() const { return mAol; }

private:
    bool mAol = false;
};
