#pragma once

#include "velk/GameStartup.h"

#include <array>
#include <cstddef>

// The window types of the game, in the order start-up registers them with
// the window manager: each type name makes a window of the class of that
// name.

// Makes a new window of its class; null when memory is short.
using GameWindowCreator = TWindowCreator;

constexpr size_t kGameWindowTypeCount = 30;

// The table, in registration order.
const std::array<GameWindowType, kGameWindowTypeCount>& GetGameWindowTypes();
