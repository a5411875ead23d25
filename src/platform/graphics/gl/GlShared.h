#pragma once

#include "platform/graphics/GraphicsFaults.h"

#include <cstdint>

namespace platform {

class GlDevice;
class Window;

// What the GL display, its surfaces and its device share: the window whose
// context they draw with, the faults, the live device (whose pending draws
// must reach GL before any surface is read or copied), and a counter that
// tells the device its cached GL bindings are no longer true.
struct GlShared {
    Window* window = nullptr;
    GraphicsFaults* faults = nullptr;
    GlDevice* device = nullptr;
    uint32_t bindingsChanged = 0;

    // Sends the device's pending draws to GL.
    void FlushDrawing();
};

} // namespace platform
