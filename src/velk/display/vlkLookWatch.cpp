#include "velk/display/vlkLookWatch.h"

#include "framework/ui/manager/TWindowManager.h"
#include "velk/display/vlkSprite.h"

TRect vlkLookWatch::ScreenBounds(vlkSprite* sprite, const TPoint& offset) {
    if (!sprite)
        return TRect();
    const TRect b = sprite->GetBounds();
    if (b.right < b.left || b.bottom < b.top)
        return TRect();
    return TRect(b.left + offset.x - kMargin, b.top + offset.y - kMargin,
                 b.right + offset.x + kMargin, b.bottom + offset.y + kMargin);
}

void vlkLookWatch::Check(std::initializer_list<vlkSprite*> sprites, const TPoint& offset) {
    const bool first = mSeen.size() != sprites.size();
    if (first)
        mSeen.assign(sprites.size(), Seen{});
    size_t i = 0;
    for (vlkSprite* sprite : sprites) {
        Seen& seen = mSeen[i++];
        const uint64_t look = sprite ? sprite->GetLook() : 0;
        const TRect place = ScreenBounds(sprite, offset);
        if (!first && look == seen.look && place == seen.place)
            continue;
        InvalidateScreenRect(seen.place);
        InvalidateScreenRect(place);
        seen.look = look;
        seen.place = place;
    }
}
