#pragma once

#include "framework/core/math/TRect.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>

class vlkActorList;

// The board screen's window in which the current level's board is drawn:
// the level looks it up by name when it starts, places and sizes it from
// the board layout and hands it the actors to draw. Made by the window
// manager from a screen description, deleted with its parent.
class guiCorvalo : public TWindow {
public:
    guiCorvalo();

    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }

    const char* GetClassName() const override { return "guiCorvalo"; }
    bool IsKindOf(TWindowClassId id) const override;
    void Draw() override;

    // Not owned; the level that sets it clears it before the actors go.
    void SetBoard(vlkActorList* board);
    bool HasBoard() const { return mHasBoard != 0; }
    vlkActorList* GetBoard() const { return mBoard; }
    // Asks for the board's rectangle to be drawn again when a tile's look
    // changed since the last frame (or the window moved).
    void OnBeforeFrame() override;

private:
    uint8_t mHasBoard = 0;
    vlkActorList* mBoard = nullptr;
    uint64_t mLook = 0;
    TRect mLookRect;
};
