#include "game/timers/BoardLayout.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardSlots.h"
#include "game/data/LevelRecords.h"

#include <algorithm>

const TGameModeRecord* FindBoardLayout(int geometryIndex, const char* owner) {
    const TGameModeRecord* layout = GetGameModeRecord(geometryIndex);
    if (!layout)
        LogPrintf("%s: board layout %d does not exist (%d layouts); no slot is run", owner,
                  geometryIndex, GetGameModeCount());
    return layout;
}

int LayoutSlotCount(const TGameModeRecord* layout, const BoardSlots& slots) {
    return layout ? std::min(layout->positionCount, slots.Size()) : 0;
}
