#pragma once

#include "platform/graphics/GraphicsDisplay.h"

// One off-screen surface of the display and its description, made by
// CDisplay::CreateOffscreenSurface and owned by the caller. Dropping the
// holder (or Release) drops the surface.
class CDisplaySurface {
public:
    CDisplaySurface() = default;
    CDisplaySurface(const CDisplaySurface&) = delete;
    CDisplaySurface& operator=(const CDisplaySurface&) = delete;

    // Makes the surface on the display and reads its description back.
    platform::GfxResult Create(platform::GraphicsDisplay& display,
                               const platform::SurfaceSpec& spec);
    void Release();

    const platform::SurfacePtr& GetSurface() const { return mSurface; }
    const platform::SurfaceDesc& GetDesc() const { return mDesc; }

private:
    platform::SurfacePtr mSurface;
    platform::SurfaceDesc mDesc;
};
