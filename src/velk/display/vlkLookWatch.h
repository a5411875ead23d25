#pragma once

#include "framework/core/math/TPoint.h"
#include "framework/core/math/TRect.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

class vlkSprite;

// Watches the sprites that a window draws itself and asks the window
// manager to draw again only where one of them changed: where it was and
// where it is now. Called once a tick after the sprites were moved or
// animated, with the same sprites in the same order each time (a null one
// draws nothing). The first check invalidates every sprite's place.
class vlkLookWatch {
public:
    // Sprite bounds are whole pixels cut from floats, and filtered edges
    // reach a little past them: this much is added round each.
    static constexpr int32_t kMargin = 2;

    // offset: the screen position of the frame the sprites are placed in
    // (the window's top-left corner).
    void Check(std::initializer_list<vlkSprite*> sprites, const TPoint& offset);
    // The next check invalidates every sprite's place again.
    void Forget() { mSeen.clear(); }

    // The screen rectangle a sprite covers, margin included; empty for
    // null.
    static TRect ScreenBounds(vlkSprite* sprite, const TPoint& offset);

private:
    struct Seen {
        uint64_t look = 0;
        TRect place;
    };
    std::vector<Seen> mSeen;
};
