#pragma once

#include "platform/graphics/GraphicsResult.h"

#include <functional>

// The log line of a failed display call, "DX Error: (name) (0xcode), File
// source, Line n". An out-of-video-memory failure first runs the reaction
// set here (the renderer lowers its texture sizes); the log line follows.
void LogDxError(platform::GfxResult code, const char* source, int line);

// Installs the reaction to DDERR_OUTOFVIDEOMEMORY; an empty one removes it.
void SetOutOfVideoMemoryHandler(std::function<void()> handler);
