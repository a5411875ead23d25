#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>

class TClock;
class vlkGame;

// The window in which a game runs. It owns the game object (the subclass
// makes it and hands it over with SetGame) and turns the window's calls
// into the game's: each animation step becomes the game's Update with the
// milliseconds of the window's own clock since the step before, drawing
// becomes the game's Draw, and pointer and key events are forwarded when
// the container was made to forward them. While it lives it is the current
// container; its end deletes the game and clears the current game.
class vlkGameContainer : public TWindow {
public:
    // Bits of the forward mask.
    static constexpr uint32_t kForwardMouseDown = 1;
    static constexpr uint32_t kForwardMouseButton = 2;
    static constexpr uint32_t kForwardMouseMove = 4;
    static constexpr uint32_t kForwardKeyDown = 8;
    static constexpr uint32_t kForwardKeyUp = 16;
    static constexpr uint32_t kForwardAll = 31;

    explicit vlkGameContainer(uint32_t forwardMask);

    const char* GetClassName() const override { return "vlkGameContainer"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // Takes the clock of the window's animation task and its time.
    void Init(TWindowStyle& style) override;
    void Draw() override;
    // Redraws and gives the game the time since the last step.
    bool OnAnimate() override;
    // Asks for what the step changed to be drawn again: the whole screen,
    // unless a subclass knows better.
    virtual void InvalidateChanges() { InvalidateWholeScreen(); }
    bool OnMouseDown(TPoint point) override;
    bool OnMouseButton(TPoint point, int32_t code) override;
    bool OnMouseMove(TPoint point) override;
    // Never handled, so the dialog's keys still work.
    bool OnKeyDown(int8_t key, uint32_t modifiers) override;
    bool OnKeyUp(int8_t key) override;

    // The names the board screen calls them by. Update is the container's
    // own step: a subclass whose frame step calls it must not come back to
    // its own.
    bool Update() { return vlkGameContainer::OnAnimate(); }
    bool OnMouseDoubleClick(TPoint point) { return vlkGameContainer::OnMouseButton(point, 2); }

    // The container owns the game from here on.
    void SetGame(vlkGame* game) { mGame = game; }
    vlkGame* GetGame() const { return mGame; }
    TClock* GetClock() const { return mClock; }
    TPoint GetLastPointer() const { return TPoint(mLastX, mLastY); }

protected:
    ~vlkGameContainer() override;
    static void InvalidateWholeScreen();

    int32_t mLastX = 0;
    int32_t mLastY = 0;
    vlkGame* mGame = nullptr;
    TClock* mClock = nullptr;
    uint32_t mLastUpdate = 0;
    bool mForwardMouseDown = false;
    bool mForwardMouseMove = false;
    bool mForwardMouseButton = false;
    bool mForwardKeyDown = false;
    bool mForwardKeyUp = false;

private:
    bool mToldNoGame = false;
};
