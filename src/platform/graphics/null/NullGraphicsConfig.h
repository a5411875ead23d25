#pragma once

#include "platform/graphics/GraphicsTypes.h"

#include <optional>
#include <vector>

namespace platform {

// What the null graphics back end pretends the machine has. Tests change
// the fields before the display is made (or between calls: the display reads
// them through a pointer, so a change shows at the next call).
struct NullGraphicsConfig {
    std::vector<DisplayDeviceInfo> devices = {{0, "display0", "Null display"}};
    int32_t desktopColors = -1;
    int32_t desktopWidth = 1280;
    int32_t desktopHeight = 1024;
    std::vector<MonitorArea> monitors = {{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}};
    bool frameBordersKnown = true;
    FrameBorders frameBorders = {2, 2, 4, 4, 19};

    DisplayMode desktopMode = {1280, 1024, 32, 60, PixelFormat::X8R8G8B8()};
    std::vector<DisplayMode> modes = {
        {640, 480, 16, 60, PixelFormat::R5G6B5()},     {640, 480, 32, 60, PixelFormat::X8R8G8B8()},
        {800, 600, 16, 60, PixelFormat::R5G6B5()},     {800, 600, 32, 60, PixelFormat::X8R8G8B8()},
        {1024, 768, 16, 60, PixelFormat::R5G6B5()},    {1024, 768, 32, 60, PixelFormat::X8R8G8B8()},
        {1280, 1024, 32, 60, PixelFormat::X8R8G8B8()},
    };
    uint32_t monitorFrequency = 60;
    // Surfaces other than system-memory ones are counted against this.
    uint32_t videoMemory = 256u * 1024 * 1024;
    DeviceCaps deviceCaps;
    DeviceIdentifier identifier = {
        "null", "Null graphics device", 0x00060000, 0x00000001, 0x1234, 0x5678, 0, 1, {1, 2, 3, 4}};
    std::vector<PixelFormat> textureFormats = {PixelFormat::A8R8G8B8(), PixelFormat::X8R8G8B8(),
                                               PixelFormat::A4R4G4B4(), PixelFormat::R5G6B5(),
                                               PixelFormat::A1R5G5B5()};
    std::vector<PixelFormat> zBufferFormats = {PixelFormat::Depth(16), PixelFormat::Depth(24)};
    // When set, CreateTexture makes this format whatever was asked.
    std::optional<PixelFormat> textureFormatOverride;
};

} // namespace platform
