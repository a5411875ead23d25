#pragma once

#include "platform/graphics/GraphicsDisplay.h"

#include <memory>
#include <vector>

namespace platform {

// The graphics of the machine: its display devices (one per screen), the
// desktop's questions (colours, size, monitors, the window frame) and the
// display made on one of them. Back ends: gl/ (OpenGL 2.1 on the main
// window's context) and null/ (memory surfaces, recorded device state,
// injected failures). The application frame owns the one instance.
class GraphicsSystem {
public:
    virtual ~GraphicsSystem() = default;

    virtual std::vector<DisplayDeviceInfo> EnumerateDevices() = 0;
    // E_FAIL (or an injected code) when there is no such device.
    virtual GfxResult CreateDisplay(uint32_t deviceIndex,
                                    std::unique_ptr<GraphicsDisplay>& display) = 0;

    // Colours of the desktop: -1 above 256 colours, else the count.
    virtual int32_t DesktopColorCount() = 0;
    virtual void GetDesktopSize(int32_t& width, int32_t& height) = 0;
    // Each monitor's bounds and work area in desktop coordinates.
    virtual std::vector<MonitorArea> GetMonitors() = 0;
    // False when the system does not tell.
    virtual bool GetFrameBorders(FrameBorders& borders) = 0;

    virtual GraphicsFaults& Faults() = 0;
};

} // namespace platform
