#pragma once

// The draw front over a real display: a hidden SDL window under the
// offscreen video driver, the OpenGL graphics system (Mesa's software
// renderer), a renderer with an 800 x 600 windowed display and TGraphics
// over it, with the vector drawer sending its spans through TGraphics. The
// log goes to a temporary folder. Include support/DriverLeaks.h once in the
// test program as well. With CORVALO_PROBE_DIR set, SaveProbe writes the
// frames it is given there as PNG files, to be looked at.

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "framework/graphics/vector/TGraphicsVecSink.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/GraphicsSurface.h"
#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/process/DriverLeaks.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

class GlDrawFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        platform::WindowSpec spec;
        spec.caption = "text";
        spec.width = kWidth;
        spec.height = kHeight;
        spec.visible = false;
        if (!window.Create(spec) || !window.HasGlContext())
            GTEST_SKIP() << "no OpenGL window under this video driver: " << window.LastError();
        platform::PinGlDriver();
        system = std::make_unique<platform::GlGraphicsSystem>(window);
        renderer = std::make_unique<TRenderer>();
        renderer->AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true; // no display file
        renderer->AttachGraphics(environment, TDisplayHost{});
        ASSERT_TRUE(renderer->SetDisplay(kWidth, kHeight, false, false, false, false)) << Log();
        graphics = TGraphics::Get();
        ASSERT_EQ(graphics->GetRenderer(), renderer.get());
        graphics->PushClipRect(TRect(0, 0, kWidth, kHeight));
        drawer = std::make_unique<TNbMiniVecDraw>();
        drawer->SetSink(&sink);
    }
    void TearDown() override {
        drawer.reset();
        TGraphics::Destroy();
        renderer.reset();
        system.reset();
        window.Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    std::string Log() const { return support::ReadLogText(); }

    // Opens a frame with a 2-D block on a back buffer filled with a colour.
    bool BeginFrame(const TColor& background) {
        if (!graphics->BeginDraw(false))
            return false;
        if (!graphics->Begin2d()) {
            graphics->EndDraw(false);
            return false;
        }
        graphics->FillRect(TRect(0, 0, kWidth, kHeight), background);
        return true;
    }
    // Closes the frame (not presented) and reads the back buffer.
    std::vector<uint32_t> EndFrame() {
        graphics->End2d();
        graphics->EndDraw(false);
        return ReadBackBuffer();
    }
    // The back buffer, top row first, as 0xAARRGGBB words.
    std::vector<uint32_t> ReadBackBuffer() {
        std::vector<uint32_t> pixels;
        const platform::SurfacePtr& back =
            renderer->GetDisplaySetup()->GetContext().GetBackBuffer();
        platform::LockedSurface locked;
        if (!back || back->Lock(nullptr, locked) != platform::kGfxOk)
            return pixels;
        pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        const uint32_t step = locked.format.BytesPerPixel();
        for (int y = 0; y < kHeight && y < locked.height; ++y)
            for (int x = 0; x < kWidth && x < locked.width; ++x)
                pixels[static_cast<size_t>(y) * kWidth + x] = platform::ReadPixel(
                    locked.format, locked.bits + static_cast<ptrdiff_t>(y) * locked.pitch +
                                       static_cast<size_t>(x) * step);
        back->Unlock();
        return pixels;
    }

    static void SaveProbe(const std::string& name, const std::vector<uint32_t>& pixels) {
        const char* folder = std::getenv("CORVALO_PROBE_DIR");
        if (!folder || pixels.size() < static_cast<size_t>(kWidth) * kHeight)
            return;
        std::vector<uint32_t> opaque(pixels);
        for (uint32_t& p : opaque)
            p |= 0xFF000000u;
        platform::WritePngFile(std::string(folder) + "/" + name + ".png", opaque.data(), kWidth,
                               kHeight, kWidth);
    }

    support::TempFolder mFolder{"corvalo-text-gl-"};
    platform::SdlWindow window;
    platform::NullDesktop desktop;
    std::unique_ptr<platform::GlGraphicsSystem> system;
    std::unique_ptr<TRenderer> renderer;
    TGraphics* graphics = nullptr;
    TGraphicsVecSink sink;
    std::unique_ptr<TNbMiniVecDraw> drawer;
};
