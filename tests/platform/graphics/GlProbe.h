#pragma once

// A GL display on a hidden main window under the offscreen driver, with a
// 128 x 96 windowed back buffer and a device drawing into it, and helpers
// that draw and read pixels back. Probes compare each channel with a small
// tolerance. Include in exactly one source file of a test program.

#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/gl/GlDevice.h"
#include "platform/graphics/gl/GlDisplay.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DriverLeaks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace support {

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == platform::gfx::kVertexSize);

class GlProbe : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 128;
    static constexpr int32_t kHeight = 96;

    void SetUp() override {
        using namespace platform;
        WindowSpec spec;
        spec.caption = "gfx";
        spec.width = kWidth;
        spec.height = kHeight;
        spec.visible = false;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        ASSERT_TRUE(window.HasGlContext());
        PinGlDriver();
        system = std::make_unique<GlGraphicsSystem>(window);
        ASSERT_EQ(system->CreateDisplay(0, display), kGfxOk);
        ASSERT_EQ(display->SetCooperativeLevel(gfx::kCoopNormal), kGfxOk);
        SurfaceSpec back;
        back.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
        back.width = kWidth;
        back.height = kHeight;
        ASSERT_EQ(display->CreateSurface(back, backBuffer), kGfxOk);
        DevicePtr made;
        ASSERT_EQ(display->CreateDevice(backBuffer, made), kGfxOk);
        device = std::dynamic_pointer_cast<GlDevice>(made);
        // The 2-D drawing state: no lighting, no depth, no culling.
        device->SetRenderState(RenderState::Lighting, 0);
        device->SetRenderState(RenderState::ZEnable, 0);
        device->SetRenderState(RenderState::CullMode, gfx::kCullNone);
        device->SetStageState(0, StageState::ColorOp, gfx::kOpModulate);
        device->SetStageState(0, StageState::ColorArg1, gfx::kArgTexture);
        device->SetStageState(0, StageState::ColorArg2, gfx::kArgDiffuse);
        device->SetStageState(0, StageState::AlphaOp, gfx::kOpModulate);
        device->SetStageState(0, StageState::AlphaArg1, gfx::kArgTexture);
        device->SetStageState(0, StageState::AlphaArg2, gfx::kArgDiffuse);
        ASSERT_EQ(device->BeginScene(), kGfxOk);
    }

    void TearDown() override {
        device.reset();
        backBuffer.reset();
        display.reset();
        system.reset();
        window.Destroy();
    }

    void Background(uint32_t argb) {
        ASSERT_EQ(device->Clear(platform::gfx::kClearTarget | platform::gfx::kClearZBuffer, argb,
                                1.0f, 0),
                  platform::kGfxOk);
    }

    // A quad in render-target pixels as a fan, texture 0..1 (or given).
    void Quad(float left, float top, float right, float bottom, uint32_t argb, float z = 0.5f,
              float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
        const ScreenVertex v[4] = {{left, top, z, 1.0f, argb, 0, u0, v0},
                                   {right, top, z, 1.0f, argb, 0, u1, v0},
                                   {right, bottom, z, 1.0f, argb, 0, u1, v1},
                                   {left, bottom, z, 1.0f, argb, 0, u0, v1}};
        ASSERT_EQ(device->DrawPrimitive(platform::gfx::kTriangleFan,
                                        platform::gfx::kFvfScreenColorTex, v, 4, 0),
                  platform::kGfxOk);
    }

    // A texture from 0xAARRGGBB rows.
    platform::SurfacePtr Texture(int32_t w, int32_t h, const std::vector<uint32_t>& pixels,
                                 uint32_t mipLevels = 1) {
        using namespace platform;
        PixelFormat format = PixelFormat::A8R8G8B8();
        SurfacePtr texture;
        EXPECT_EQ(display->CreateTexture(w, h, mipLevels, format, texture), kGfxOk);
        EXPECT_EQ(
            display->LoadTextureFromMemory(*texture, pixels.data(), w, h, w * 4, LoadFilter::Point),
            kGfxOk);
        return texture;
    }

    // The back buffer's pixel (0xAARRGGBB), read through a lock.
    uint32_t Pixel(int32_t x, int32_t y) {
        using namespace platform;
        LockedSurface locked;
        const GfxRect one{x, y, x + 1, y + 1};
        EXPECT_EQ(backBuffer->Lock(&one, locked), kGfxOk);
        if (!locked.bits)
            return 0xDEADBEEF;
        const uint32_t value = ReadPixel(locked.format, locked.bits);
        backBuffer->Unlock();
        return value;
    }

    static ::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = (actual >> shift) & 0xFF;
            const int e = (expected >> shift) & 0xFF;
            if (std::abs(a - e) > tolerance)
                return ::testing::AssertionFailure() << std::hex << "0x" << (actual & 0xFFFFFF)
                                                     << " is not near 0x" << (expected & 0xFFFFFF);
        }
        return ::testing::AssertionSuccess();
    }

    platform::SdlWindow window;
    std::unique_ptr<platform::GlGraphicsSystem> system;
    std::unique_ptr<platform::GraphicsDisplay> display;
    platform::SurfacePtr backBuffer;
    std::shared_ptr<platform::GlDevice> device;
};

} // namespace support
