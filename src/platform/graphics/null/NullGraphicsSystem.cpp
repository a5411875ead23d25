#include "platform/graphics/null/NullGraphicsSystem.h"

#include "platform/graphics/null/NullDisplay.h"

namespace platform {

GfxResult NullGraphicsSystem::CreateDisplay(uint32_t deviceIndex,
                                            std::unique_ptr<GraphicsDisplay>& display) {
    display.reset();
    if (const GfxResult r = mFaults.Enter("CreateDisplay"); r != kGfxOk)
        return r;
    if (deviceIndex >= mConfig.devices.size())
        return E_FAIL;
    display = std::make_unique<NullDisplay>(mConfig, mFaults);
    return kGfxOk;
}

void NullGraphicsSystem::GetDesktopSize(int32_t& width, int32_t& height) {
    width = mConfig.desktopWidth;
    height = mConfig.desktopHeight;
}

bool NullGraphicsSystem::GetFrameBorders(FrameBorders& borders) {
    if (!mConfig.frameBordersKnown)
        return false;
    borders = mConfig.frameBorders;
    return true;
}

} // namespace platform
