#pragma once

#include "framework/core/math/TRect.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class TWindow;
class TWindowScript;
struct TEvent;

// The one window manager: holds the window tree (its main window and the
// modal stack) and the window script, takes the events of the game loop and
// draws. The platform object creates and owns it; the application
// destructor deletes it first. Event dispatch and throttled drawing are
// not here yet: HandleEvent only counts what it is given.
class TWindowManager {
public:
    TWindowManager();
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;
    virtual ~TWindowManager();

    // The window manager, or null before it exists and after it is gone.
    static TWindowManager* Instance();

    // Takes over the window script made by the application constructor.
    // The script layer sits above this one, so the manager learns how to
    // delete the script and set its option where the caller knows its type.
    template <typename Script> void Init(Script* script) {
        mScript =
            ScriptPointer(script, [](TWindowScript* owned) { delete static_cast<Script*>(owned); });
        mSetScriptFlag = [](TWindowScript* owned, bool flag) {
            return static_cast<Script*>(owned)->SetStringTableFlag(flag);
        };
    }
    TWindowScript* GetScript() const { return mScript.get(); }
    // Sets the window script's string-table option; returns its previous value.
    bool SetScriptFlag(bool flag);

    // Marks the whole tree for redrawing at the next pass.
    void Invalidate() { mDirty = true; }
    bool IsDirty() const { return mDirty; }

    // Makes the window the root: stores it and pushes it on the modal
    // stack. The manager owns it.
    void SetMainWindow(TWindow* window);
    TWindow* GetMainWindow() const { return mMainWindow; }
    size_t GetModalDepth() const { return mModalStack.size(); }
    // The root window's rectangle; empty without one.
    TRect GetScreenRect() const;

    // Set while a movie covers the main window (and by some screens). The
    // platform's helper thread reads it.
    std::atomic<uint8_t> mBackgroundMode{0};
    // Set while a movie plays: mouse buttons and the wheel make no events.
    uint8_t mInputBlocked = 0;

    virtual void HandleEvent(const TEvent& event);
    uint32_t GetHandledEventCount() const { return mHandledEvents; }

private:
    using ScriptPointer = std::unique_ptr<TWindowScript, void (*)(TWindowScript*)>;
    ScriptPointer mScript{nullptr, nullptr};
    bool (*mSetScriptFlag)(TWindowScript*, bool) = nullptr;
    TWindow* mMainWindow = nullptr;
    std::vector<TWindow*> mModalStack;
    bool mDirty = true;
    uint32_t mHandledEvents = 0;
};
