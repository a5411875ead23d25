#include "platform/graphics/gl/GlGraphicsSystem.h"

#include "platform/graphics/gl/GlDisplay.h"
#include "platform/graphics/gl/GlThread.h"
#include "platform/window/Window.h"
#include "platform/window/sdl/SdlWindow.h"

#include <SDL.h>

namespace platform {

GlGraphicsSystem::GlGraphicsSystem(Window& window) : mWindow(window) {
    BindGlThread();
    mFaults.SetEntryCheck(&CheckGlThread);
}

std::vector<DisplayDeviceInfo> GlGraphicsSystem::EnumerateDevices() {
    std::vector<DisplayDeviceInfo> devices;
    const int count = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetNumVideoDisplays() : 0;
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetDisplayName(i);
        devices.push_back(
            {static_cast<uint32_t>(i), "display" + std::to_string(i), name ? name : "display"});
    }
    return devices;
}

GfxResult GlGraphicsSystem::CreateDisplay(uint32_t deviceIndex,
                                          std::unique_ptr<GraphicsDisplay>& display) {
    display.reset();
    if (const GfxResult r = mFaults.Enter("CreateDisplay"); r != kGfxOk)
        return r;
    if (!mWindow.HasGlContext() || !mWindow.MakeGlCurrent() ||
        deviceIndex >= EnumerateDevices().size())
        return E_FAIL;
    display = std::make_unique<GlDisplay>(mWindow, deviceIndex, mFaults);
    return kGfxOk;
}

int32_t GlGraphicsSystem::DesktopColorCount() {
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0 &&
        SDL_BITSPERPIXEL(mode.format) <= 8)
        return 1 << SDL_BITSPERPIXEL(mode.format);
    return -1;
}

void GlGraphicsSystem::GetDesktopSize(int32_t& width, int32_t& height) {
    SDL_DisplayMode mode;
    width = height = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        width = mode.w;
        height = mode.h;
    }
}

std::vector<MonitorArea> GlGraphicsSystem::GetMonitors() {
    std::vector<MonitorArea> monitors;
    const int count = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetNumVideoDisplays() : 0;
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds, usable;
        if (SDL_GetDisplayBounds(i, &bounds) != 0)
            continue;
        if (SDL_GetDisplayUsableBounds(i, &usable) != 0)
            usable = bounds;
        monitors.push_back({{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h},
                            {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h}});
    }
    return monitors;
}

bool GlGraphicsSystem::GetFrameBorders(FrameBorders& borders) {
    auto* sdl = dynamic_cast<SdlWindow*>(&mWindow);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (!sdl || !sdl->NativeWindow() ||
        SDL_GetWindowBordersSize(sdl->NativeWindow(), &top, &left, &bottom, &right) != 0)
        return false;
    // The window system gives the whole frame; it has no separate edge.
    borders = {0, 0, left, bottom, top - bottom};
    return true;
}

} // namespace platform
