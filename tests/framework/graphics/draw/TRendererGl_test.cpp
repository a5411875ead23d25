#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/process/null/RecordingProcessControl.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DriverLeaks.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

// The draw front on the real GL display of a hidden 320 x 240 window.
class TRendererGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
        WindowSpec spec;
        spec.caption = "draw";
        spec.width = 320;
        spec.height = 240;
        spec.visible = false;
        ASSERT_TRUE(window.Create(spec)) << window.LastError();
        ASSERT_TRUE(window.HasGlContext());
        support::PinGlDriver();
        system = std::make_unique<GlGraphicsSystem>(window);
        renderer = std::make_unique<TRenderer>();
        renderer->AttachWindow(&window, &desktop);
        TDXContextEnvironment environment;
        environment.system = system.get();
        environment.desktop = &desktop;
        environment.pqGiven = true;
        renderer->AttachGraphics(environment, TDisplayHost{});
        ASSERT_TRUE(renderer->SetDisplay(320, 240, false, true, false, true))
            << support::ReadLogText();
        graphics = TGraphics::Get();
        graphics->PushClipRect(TRect(0, 0, 320, 240));
    }
    void TearDown() override {
        TGraphics::Destroy();
        renderer.reset();
        system.reset();
        window.Destroy();
        StartLog(nullptr);
        ClearSettings();
    }

    // The back buffer as 0xAARRGGBB pixels, row by row.
    std::vector<uint32_t> ReadBack() {
        const SurfacePtr& back = renderer->GetDisplaySetup()->GetContext().GetBackBuffer();
        LockedSurface locked;
        EXPECT_EQ(back->Lock(nullptr, locked), kGfxOk);
        std::vector<uint32_t> pixels(size_t(locked.width) * locked.height);
        for (int y = 0; y < locked.height; ++y)
            for (int x = 0; x < locked.width; ++x)
                pixels[size_t(y) * locked.width + x] =
                    ReadPixel(locked.format,
                              locked.bits + y * locked.pitch + x * locked.format.BytesPerPixel()) |
                    0xFF000000u;
        back->Unlock();
        return pixels;
    }
    // Keeps a picture of the frame beside the build when asked to.
    void Keep(const std::vector<uint32_t>& pixels, const char* name) {
        if (const char* folder = std::getenv("CORVALO_DRAW_PNG"))
            WritePngFile(std::string(folder) + "/" + name, pixels.data(), 320, 240, 320);
    }
    static void Quad(TVertex quad[4], float l, float t, float r, float b, const TColor& colour) {
        TVec2 corners[4] = {TVec2(l, t), TVec2(r, t), TVec2(r, b), TVec2(l, b)};
        MakeQuadVertices(TVec2(), quad, corners, TVec2(0, 0), TVec2(1, 1), TMat3(), colour.a,
                         colour);
    }

    support::TempFolder mFolder{"corvalo-draw-gl-"};
    RecordingProcessControl process;
    SdlWindow window;
    NullDesktop desktop;
    std::unique_ptr<GlGraphicsSystem> system;
    std::unique_ptr<TRenderer> renderer;
    TGraphics* graphics = nullptr;
};

TEST_F(TRendererGlTest, TexelCalibration_FindsTheHalfPixel) {
    renderer->SetTexelOffset(0.3f);
    renderer->CalibrateTexelOffset();
    EXPECT_TRUE(renderer->IsTexelOffsetTested());
    EXPECT_FLOAT_EQ(renderer->GetTexelOffset(), -0.5f);
    EXPECT_NE(support::ReadLogText().find("Texel offset: -0.5"), std::string::npos);
    // The screen is left black.
    const std::vector<uint32_t> pixels = ReadBack();
    EXPECT_EQ(pixels[0], 0xFF000000u);
    EXPECT_EQ(pixels[100 * 320 + 100], 0xFF000000u);
    // Once only.
    renderer->SetTexelOffset(0.2f);
    renderer->CalibrateTexelOffset();
    EXPECT_FLOAT_EQ(renderer->GetTexelOffset(), 0.2f);
}

// Quads in a pushed viewport and under a clip rectangle: what falls outside
// either is not drawn, coordinates start at the viewport's corner, and the
// fills land where the draw front says.
TEST_F(TRendererGlTest, Frame_ClippedQuadsInPushedViewports) {
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->FillRect(TRect(0, 0, 320, 240), TColor(0.2f, 0.2f, 0.2f, 1));
    ASSERT_TRUE(graphics->Begin2d());
    TVertex quad[4];
    // Red over the whole screen's top-left quarter.
    Quad(quad, 0, 0, 160, 120, TColor(1, 0, 0, 1));
    graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
    // A viewport at (200, 20): a green quad at (0, 0)-(100, 100) of it, cut
    // by the viewport's right edge at 300 and the clip's bottom at 100.
    graphics->PushViewport(TRect(200, 20, 300, 200));
    graphics->PushClipRect(TRect(0, 0, 320, 100));
    Quad(quad, 0, 0, 150, 150, TColor(0, 1, 0, 1));
    graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
    graphics->PopClipRect();
    // Half-transparent blue over part of the green, additive elsewhere.
    Quad(quad, 50, 50, 90, 130, TColor(0, 0, 1, 0.5f));
    graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
    graphics->PopViewport();
    graphics->End2d();
    // A fill relative to a viewport, drawn in the frame.
    graphics->PushViewport(TRect(20, 150, 120, 230));
    graphics->FillRect(TRect(10, 10, 50, 40), TColor(1, 1, 0, 1));
    graphics->PopViewport();
    graphics->EndDraw();
    EXPECT_EQ(renderer->GetPresentCount(), 1);

    const std::vector<uint32_t> pixels = ReadBack();
    Keep(pixels, "frame.png");
    const auto at = [&](int x, int y) { return pixels[size_t(y) * 320 + x]; };
    EXPECT_EQ(at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(159, 119), 0xFFFF0000u);
    EXPECT_EQ(at(160, 119), 0xFF333333u);
    EXPECT_EQ(at(200, 20), 0xFF00FF00u);
    EXPECT_EQ(at(299, 99), 0xFF00FF00u);
    EXPECT_EQ(at(300, 50), 0xFF333333u) << "beyond the viewport";
    EXPECT_EQ(at(210, 100), 0xFF333333u) << "below the clip";
    // Blue at half alpha over green (250, 90): (0, 127/128, 127/128).
    const uint32_t mixed = at(260, 90);
    EXPECT_NEAR(int(mixed >> 8 & 0xFF), 128, 2);
    EXPECT_NEAR(int(mixed & 0xFF), 127, 2);
    // Blue over grey below the clip, still inside the viewport (y 120).
    const uint32_t overGrey = at(260, 120);
    EXPECT_NEAR(int(overGrey & 0xFF), (0x33 + 255) / 2, 2);
    EXPECT_EQ(at(260, 160), 0xFF333333u) << "the quad ends at 130 + 20";
    EXPECT_EQ(at(30, 160), 0xFFFFFF00u);
    EXPECT_EQ(at(69, 189), 0xFFFFFF00u);
    EXPECT_EQ(at(70, 160), 0xFF333333u);
    EXPECT_EQ(at(29, 160), 0xFF333333u);
}

// A texture drawn into in each mode and read back.
TEST_F(TRendererGlTest, RenderTargets_RoundTripInEachMode) {
    GraphicsDisplay* display = renderer->GetDisplaySetup()->GetContext().GetDirectDraw();
    struct Case {
        int32_t mode;
        uint32_t start;     // texture before
        uint32_t drawn;     // pixel under the drawn quad afterwards
        uint32_t elsewhere; // pixel outside it
    };
    const Case cases[] = {
        {0, 0x80123456u, 0xFF0000FFu, 0xFF000000u},
        {2, 0x80123456u, 0xFF0000FFu, 0xFF123456u},
        {4, 0x80123456u, 0xFF123456u, 0x00123456u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        int32_t w = 64, h = 32;
        PixelFormat format = PixelFormat::A8R8G8B8();
        SurfacePtr texture;
        ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
        std::vector<uint32_t> start(size_t(w) * h, c.start);
        ASSERT_EQ(
            display->LoadTextureFromMemory(*texture, start.data(), w, h, w * 4, LoadFilter::Point),
            kGfxOk);
        // The screen behind starts black.
        renderer->GetDisplaySetup()->GetContext().GetBackBuffer()->ColorFill(nullptr, 0);
        ASSERT_TRUE(
            graphics->BeginRenderTarget(TTextureSurface{texture, w, h, true, false}, c.mode));
        ASSERT_TRUE(graphics->Begin2d());
        TVertex quad[4];
        Quad(quad, 8, 8, 24, 24, TColor(0, 0, 1, 1));
        graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
        graphics->End2d();
        graphics->EndRenderTarget();
        EXPECT_EQ(renderer->GetViewport(), TRect(0, 0, 320, 240));
        LockedSurface locked;
        ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
        const auto pixel = [&](int x, int y) {
            return ReadPixel(locked.format, locked.bits + y * locked.pitch + x * 4);
        };
        EXPECT_EQ(pixel(16, 16), c.drawn);
        EXPECT_EQ(pixel(40, 16), c.elsewhere);
        texture->Unlock();
    }
}

// An alpha target used twice over the same texture: fills in the frame
// set the target's alpha to theirs, whatever was drawn there before, the
// second time as the first.
TEST_F(TRendererGlTest, RenderTargets_AlphaTargetFillsReplaceTheAlpha) {
    GraphicsDisplay* display = renderer->GetDisplaySetup()->GetContext().GetDirectDraw();
    int32_t w = 32, h = 32;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    std::vector<uint32_t> start(size_t(w) * h, 0x00FFFFFFu);
    ASSERT_EQ(
        display->LoadTextureFromMemory(*texture, start.data(), w, h, w * 4, LoadFilter::Point),
        kGfxOk);
    struct Case {
        float fillAlpha;
        int expected; // alpha of the filled pixel afterwards
    };
    const Case cases[] = {{0.0f, 0x00}, {0.5f, 0x80}, {0.0f, 0x00}, {1.0f, 0xFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fillAlpha);
        ASSERT_TRUE(graphics->BeginRenderTarget(TTextureSurface{texture, w, h, true, false},
                                                TRenderer::kTargetAlpha));
        ASSERT_TRUE(graphics->Begin2d());
        TVertex quad[4];
        Quad(quad, 0, 0, 24, 24, TColor(1, 1, 1, 1));
        graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
        graphics->End2d();
        // Over the opaque quad, and partly outside it.
        graphics->FillRect(TRect(8, 8, 28, 16), TColor(0, 0, 0, c.fillAlpha));
        graphics->EndRenderTarget();
        LockedSurface locked;
        ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
        const auto alpha = [&](int x, int y) {
            return int(ReadPixel(locked.format, locked.bits + y * locked.pitch + x * 4) >> 24);
        };
        EXPECT_NEAR(alpha(12, 12), c.expected, 1) << "filled over the quad";
        EXPECT_NEAR(alpha(26, 12), c.expected, 1) << "filled beside the quad";
        EXPECT_EQ(alpha(4, 4), 0xFF) << "the quad outside the fill";
        EXPECT_EQ(alpha(12, 20), 0xFF) << "the quad below the fill";
        EXPECT_EQ(alpha(30, 30), 0x00) << "neither";
        texture->Unlock();
    }
}

} // namespace

namespace {

// A chip that mis-draws plain lists gets every list as an indexed one; the
// GL device draws those the same.
TEST_F(TRendererGlTest, BrokenIndexedVerts_DrawsTheSamePicture) {
    SetSetting(TString("brokenindexedverts"), TString("1"));
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->FillRect(TRect(0, 0, 320, 240), TColor(0, 0, 0, 1));
    ASSERT_TRUE(graphics->Begin2d());
    TVertex quad[4];
    Quad(quad, 10, 10, 60, 40, TColor(1, 1, 1, 1));
    graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
    graphics->End2d();
    graphics->EndDraw();
    const std::vector<uint32_t> pixels = ReadBack();
    EXPECT_EQ(pixels[10 * 320 + 10], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[39 * 320 + 59], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[40 * 320 + 59], 0xFF000000u);
    EXPECT_EQ(pixels[39 * 320 + 60], 0xFF000000u);
    EXPECT_GE(renderer->GetIndexCapacity(), 4u);
}

} // namespace
