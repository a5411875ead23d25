#pragma once

// Helpers of the texture tests: a texture display on the null graphics back
// end (surfaces in memory), and small PNG and JPEG files written on the fly.

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/graphics/texture/TTextureDisplay.h"
#include "framework/graphics/texture/TTextureMemory.h"
#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace support {

// The null back end's display with a device drawing into a 64 x 64 back
// buffer, handed to new textures while the rig lives.
class NullTextureRig {
public:
    explicit NullTextureRig(uint32_t depth = 32,
                            std::function<void(platform::NullGraphicsConfig&)> configure = {}) {
        using namespace platform;
        if (depth == 16)
            system.Config().desktopMode = {1024, 768, 16, 60, PixelFormat::R5G6B5()};
        else if (depth == 24)
            system.Config().desktopMode = {1024, 768, 24, 60, PixelFormat::R8G8B8()};
        if (configure)
            configure(system.Config());
        if (GfxFailed(system.CreateDisplay(0, display)) ||
            GfxFailed(display->SetCooperativeLevel(gfx::kCoopNormal)))
            throw std::runtime_error("no null display");
        SurfaceSpec spec;
        spec.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
        spec.width = 64;
        spec.height = 64;
        if (GfxFailed(display->CreateSurface(spec, backBuffer)) ||
            GfxFailed(display->CreateDevice(backBuffer, device)))
            throw std::runtime_error("no null device");
        textures = TStandaloneTextureDisplay(display.get(), device, backBuffer);
        TDxTextureData::ForgetKeptFormat();
        SetTextureDisplay(&textures);
    }
    ~NullTextureRig() {
        SetTextureDisplay(nullptr);
        TDxTextureData::ForgetKeptFormat();
    }
    NullTextureRig(const NullTextureRig&) = delete;
    NullTextureRig& operator=(const NullTextureRig&) = delete;

    platform::MemorySurface& Back() { return static_cast<platform::MemorySurface&>(*backBuffer); }

    platform::NullGraphicsSystem system;
    std::unique_ptr<platform::GraphicsDisplay> display;
    platform::SurfacePtr backBuffer;
    platform::DevicePtr device;
    TStandaloneTextureDisplay textures;
};

inline platform::MemorySurface& Memory(const TDxTextureData& data) {
    return static_cast<platform::MemorySurface&>(*data.GetSurface());
}

// A PNG of 0xAARRGGBB pixels given by a function of (x, y).
inline void WritePng(const std::string& path, int32_t width, int32_t height,
                     const std::function<uint32_t(int32_t, int32_t)>& pixel) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = pixel(x, y);
    if (!platform::WritePngFile(path, pixels.data(), width, height, width))
        throw std::runtime_error("cannot write " + path);
}

// A JPEG (quality 100) of 0xRRGGBB colours given by a function of (x, y);
// progressive files have every component at full resolution (4:4:4).
inline void WriteJpeg(const std::string& path, int32_t width, int32_t height,
                      const std::function<uint32_t(int32_t, int32_t)>& pixel,
                      bool progressive = false) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive) {
        for (int c = 0; c < info.num_components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = pixel(x, y);
            row[x * 3 + 0] = static_cast<JSAMPLE>(c >> 16);
            row[x * 3 + 1] = static_cast<JSAMPLE>(c >> 8);
            row[x * 3 + 2] = static_cast<JSAMPLE>(c);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Channel distance of two 0xAARRGGBB colours (the largest of the four).
inline int ColourDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst;
}

// A test with a folder of its own for image files and the log, clean
// settings and the texture memory figures at zero.
class TextureFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        TTextureMemory::Reset();
    }
    void TearDown() override {
        StartLog(nullptr);
        ClearSettings();
    }
    static bool Logged(const std::string& text) {
        return ReadLogText().find(text) != std::string::npos;
    }
    std::string Path(const std::string& file) const { return (mFolder.Path() / file).string(); }
    TString Name(const std::string& file) const { return TString(("::" + Path(file)).c_str()); }

    TempFolder mFolder;
};

} // namespace support
