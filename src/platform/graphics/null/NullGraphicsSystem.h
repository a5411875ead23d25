#pragma once

#include "platform/graphics/GraphicsSystem.h"
#include "platform/graphics/null/NullGraphicsConfig.h"

namespace platform {

// The graphics system of tests: no display, no GL. Its displays keep their
// surfaces in memory and record what the device was told (see NullDisplay,
// NullDevice); the machine it describes is the config, and failures are
// injected through Faults(), which every display made here shares.
class NullGraphicsSystem : public GraphicsSystem {
public:
    NullGraphicsConfig& Config() { return mConfig; }

    std::vector<DisplayDeviceInfo> EnumerateDevices() override { return mConfig.devices; }
    GfxResult CreateDisplay(uint32_t deviceIndex,
                            std::unique_ptr<GraphicsDisplay>& display) override;
    int32_t DesktopColorCount() override { return mConfig.desktopColors; }
    void GetDesktopSize(int32_t& width, int32_t& height) override;
    std::vector<MonitorArea> GetMonitors() override { return mConfig.monitors; }
    bool GetFrameBorders(FrameBorders& borders) override;
    GraphicsFaults& Faults() override { return mFaults; }

private:
    NullGraphicsConfig mConfig;
    GraphicsFaults mFaults;
};

} // namespace platform
