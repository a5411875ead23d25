#pragma once

#include "platform/graphics/GraphicsSystem.h"

namespace platform {

class Window;

// The machine's graphics through SDL2 and the main window's OpenGL 2.1
// context: one display device per SDL display; the desktop's questions come
// from SDL. The window must exist with its context before a display is made
// (CreateDisplay fails with E_FAIL otherwise) and outlive it.
class GlGraphicsSystem : public GraphicsSystem {
public:
    // Binds the calling thread as the GL thread of the back end.
    explicit GlGraphicsSystem(Window& window);

    std::vector<DisplayDeviceInfo> EnumerateDevices() override;
    GfxResult CreateDisplay(uint32_t deviceIndex,
                            std::unique_ptr<GraphicsDisplay>& display) override;
    int32_t DesktopColorCount() override;
    void GetDesktopSize(int32_t& width, int32_t& height) override;
    std::vector<MonitorArea> GetMonitors() override;
    bool GetFrameBorders(FrameBorders& borders) override;
    GraphicsFaults& Faults() override { return mFaults; }

private:
    Window& mWindow;
    GraphicsFaults mFaults;
};

} // namespace platform
