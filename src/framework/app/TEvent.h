#pragma once

// The event record lives with the core, where the window tree reads it too.
#include "framework/core/system/TEvent.h"
