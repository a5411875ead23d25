#pragma once

// The board screen as the screen scripts make it: by its window type name.

#include "game/board/wndCorvalo.h"
#include "game/startup/GameWindowTypes.h"

#include <cstring>

namespace support {

// Null when the type table has no "wndCorvalo" or it makes something else.
inline wndCorvalo* MakeBoardScreenByTypeName() {
    for (const GameWindowType& type : GetGameWindowTypes())
        if (std::strcmp(type.name, "wndCorvalo") == 0)
            return dynamic_cast<wndCorvalo*>(type.creator());
    return nullptr;
}

} // namespace support
