#include "NullDrawFixture.h"

#include "platform/graphics/MemorySurface.h"

#include <cstring>

using namespace platform;

namespace {

class TRendererViewportTest : public NullDrawFixture {
protected:
    Viewport DeviceViewport() { return Device().State().viewport; }
};

TEST_F(TRendererViewportTest, DeviceViewport_ClampedToTheTarget) {
    struct Case {
        TRect rect;
        Viewport sent;
    };
    const Case cases[] = {
        {TRect(-10, -10, 2000, 2000), {0, 0, 800, 600, 0, 1}},
        {TRect(10, 20, 110, 220), {10, 20, 100, 200, 0, 1}},
        // A left beyond the target starts at the last column; the right
        // edge is cut to the target, which leaves that one column.
        {TRect(900, 10, 950, 20), {799, 10, 1, 10, 0, 1}},
        {TRect(10, 700, 20, 800), {10, 599, 10, 1, 0, 1}},
        // Right before left: width 0.
        {TRect(50, 50, 40, 60), {50, 50, 0, 10, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rect.left << "," << c.rect.top << "," << c.rect.right
                                          << "," << c.rect.bottom);
        EXPECT_EQ(renderer.SetDeviceViewport(c.rect, TRect(0, 0, 800, 600)), kGfxOk);
        EXPECT_EQ(DeviceViewport(), c.sent);
    }
}

TEST_F(TRendererViewportTest, HostedScale_HalvesTheViewportAndTheDisplayLimitsIt) {
    renderer.SetHosted(true);
    renderer.SetViewportScale(0.5f);
    renderer.SetDeviceViewport(TRect(0, 0, 1024, 768), TRect(0, 0, 1024, 768));
    EXPECT_EQ(DeviceViewport(), (Viewport{0, 0, 400, 300, 0, 1}))
        << "held to the 800 x 600 display";
    renderer.SetDeviceViewport(TRect(101, 51, 301, 151), TRect(0, 0, 800, 600));
    // Rounded half up: 50.5 -> 51, 25.5 -> 26, 100, 50.
    EXPECT_EQ(DeviceViewport(), (Viewport{51, 26, 100, 50, 0, 1}));
}

TEST_F(TRendererViewportTest, BadViewport_IsLoggedAndThePreviousKept) {
    renderer.SetViewport(10, 10, 200, 200);
    EXPECT_EQ(renderer.GetViewport(), TRect(10, 10, 200, 200));
    system.Faults().FailCall("SetViewport", 1, E_INVALIDARG);
    renderer.SetViewport(20, 30, 40, 50);
    EXPECT_TRUE(Logged("Bad viewport: 20, 30, 40, 50"));
    EXPECT_EQ(renderer.GetViewport(), TRect(10, 10, 200, 200));
    EXPECT_TRUE(renderer.IsProjectionDirty());
}

TEST_F(TRendererViewportTest, ViewportMeetsTheClipRectangle) {
    renderer.SetViewport(100, 100, 400, 400);
    EXPECT_TRUE(renderer.SetClipRect(TRect(150, 0, 800, 250)));
    EXPECT_EQ(DeviceViewport(), (Viewport{150, 100, 250, 150, 0, 1}));
    EXPECT_EQ(renderer.GetViewport(), TRect(100, 100, 400, 400));
}

TEST_F(TRendererViewportTest, ViewportStack_PushAndPopRestore) {
    renderer.PushViewport(TRect(10, 10, 110, 110));
    renderer.PushViewport(TRect(20, 20, 60, 60));
    EXPECT_EQ(renderer.GetViewportDepth(), 2u);
    EXPECT_EQ(graphics->GetViewport(), TRect(20, 20, 60, 60));
    renderer.PopViewport();
    EXPECT_EQ(renderer.GetViewport(), TRect(10, 10, 110, 110));
    EXPECT_EQ(DeviceViewport(), (Viewport{10, 10, 100, 100, 0, 1}));
    renderer.PopViewport();
    EXPECT_EQ(renderer.GetViewport(), TRect(0, 0, 800, 600));
    renderer.PopViewport(); // unpaired: logged, kept
    EXPECT_EQ(renderer.GetViewport(), TRect(0, 0, 800, 600));
    EXPECT_TRUE(Logged("TRenderer::PopViewport: no viewport to pop"));
}

TEST_F(TRendererViewportTest, ChangeRenderTarget_TakesTheNewSurfaceSize) {
    SurfacePtr texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 256,
                                                         128, PixelFormat::A8R8G8B8());
    SurfacePtr screen;
    Device().GetRenderTarget(screen);
    EXPECT_TRUE(renderer.ChangeRenderTarget(screen, screen));
    EXPECT_EQ(system.Faults().Calls("SetRenderTarget"), 0u);
    EXPECT_TRUE(renderer.ChangeRenderTarget(screen, texture));
    EXPECT_EQ(renderer.GetTargetRect(), TRect(0, 0, 256, 128));
    EXPECT_EQ(DeviceViewport(), (Viewport{0, 0, 256, 128, 0, 1}));
}

TEST_F(TRendererViewportTest, ChangeRenderTarget_16BitRefusalMarksBroken) {
    SurfacePtr screen;
    Device().GetRenderTarget(screen);
    SurfacePtr texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 64, 64,
                                                         PixelFormat::R5G6B5());
    system.Faults().FailFrom("SetViewport", 1, DDERR_CURRENTLYNOTAVAIL);
    EXPECT_TRUE(renderer.ChangeRenderTarget(screen, texture));
    EXPECT_TRUE(Logged("Bad viewport in switching render target!"));
    EXPECT_TRUE(Logged("Failed to SetRenderTarget with bit depth 16"));
    EXPECT_TRUE(renderer.SixteenBitTargetsFail());
    EXPECT_FALSE(renderer.IsDeviceValid());
    EXPECT_EQ(renderer.GetTargetRect(), TRect(0, 0, 800, 600));
}

TEST_F(TRendererViewportTest, ChangeRenderTarget_32BitRefusalLogsOnce) {
    SurfacePtr screen;
    Device().GetRenderTarget(screen);
    SurfacePtr texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 64, 64,
                                                         PixelFormat::A8R8G8B8());
    system.Faults().FailFrom("SetViewport", 1, DDERR_CURRENTLYNOTAVAIL);
    renderer.ChangeRenderTarget(screen, texture);
    renderer.ChangeRenderTarget(texture, screen);
    renderer.ChangeRenderTarget(screen, texture);
    EXPECT_EQ(CountLogged("Failed to SetRenderTarget with alpha bit depth 32"), 1u);
    EXPECT_TRUE(renderer.IsDeviceValid());
}

// The lock-path copy from render surfaces of each depth into a 32-bit
// texture: every channel by its mask and shift, alpha 255.
TEST_F(TRendererViewportTest, CopyTargetToTexture_ShiftsEachChannelByItsMask) {
    struct Case {
        const char* name;
        PixelFormat format;
        uint32_t pixel;    // raw source pixel
        uint32_t expected; // 0xAARRGGBB
    };
    const Case cases[] = {
        // 565: r 0x1F, g 0x20, b 0x01 -> (0x1F << 3, 0x20 << 2, 1 << 3).
        {"565", PixelFormat::R5G6B5(), (0x1Fu << 11) | (0x20u << 5) | 0x01u, 0xFFF88008u},
        // 555: r 0x10, g 0x1F, b 0x02.
        {"555", PixelFormat::X1R5G5B5(), (0x10u << 10) | (0x1Fu << 5) | 0x02u, 0xFF80F810u},
        {"888", PixelFormat::R8G8B8(), 0x123456u, 0xFF123456u},
        {"8888", PixelFormat::A8R8G8B8(), 0x00ABCDEFu, 0xFFABCDEFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsOffscreenPlain, 8,
                                                      4, c.format);
        LockedSurface locked;
        ASSERT_EQ(source->Lock(nullptr, locked), kGfxOk);
        const uint32_t bytes = c.format.BytesPerPixel();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                std::memcpy(locked.bits + y * locked.pitch + x * bytes, &c.pixel, bytes);
        source->Unlock();
        ASSERT_EQ(Device().SetRenderTarget(source), kGfxOk);
        auto texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 4, 4,
                                                       PixelFormat::A8R8G8B8());
        texture->ColorFill(nullptr, 0x11223344u);
        renderer.CopyTargetToSurface(TTextureSurface{texture, 4, 4, true, false},
                                     TRect(0, 0, 3, 2));
        ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
        const auto pixel = [&](int x, int y) {
            uint32_t v;
            std::memcpy(&v, locked.bits + y * locked.pitch + x * 4, 4);
            return v;
        };
        EXPECT_EQ(pixel(0, 0), c.expected);
        EXPECT_EQ(pixel(2, 1), c.expected);
        // Outside the copied 3 x 2 the texture keeps its pixels.
        EXPECT_EQ(pixel(3, 0), 0x11223344u);
        EXPECT_EQ(pixel(0, 2), 0x11223344u);
        texture->Unlock();
    }
}

TEST_F(TRendererViewportTest, CopyTargetAlpha_TakesIntensityAsAlphaAndKeepsColour) {
    auto source = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsOffscreenPlain, 4, 4,
                                                  PixelFormat::X8R8G8B8());
    source->ColorFill(nullptr, 0x00804020u);
    ASSERT_EQ(Device().SetRenderTarget(source), kGfxOk);
    auto texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 4, 4,
                                                   PixelFormat::A8R8G8B8());
    texture->ColorFill(nullptr, 0xFF112233u);
    renderer.CopyTargetAlphaToSurface(TTextureSurface{texture, 4, 4, true, false});
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    uint32_t v;
    std::memcpy(&v, locked.bits, 4);
    // 32 bits: the lowest byte (blue) is the alpha.
    EXPECT_EQ(v, 0x20112233u);
    texture->Unlock();
    // A texture without alpha is left alone.
    texture->ColorFill(nullptr, 0x00112233u);
    renderer.CopyTargetAlphaToSurface(TTextureSurface{texture, 4, 4, false, false});
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    std::memcpy(&v, locked.bits, 4);
    EXPECT_EQ(v, 0x00112233u);
    texture->Unlock();
}

TEST_F(TRendererViewportTest, MakeTextureOpaque_SetsEveryAlpha) {
    auto texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 3, 2,
                                                   PixelFormat::A8R8G8B8());
    texture->ColorFill(nullptr, 0x00445566u);
    TRenderer::MakeSurfaceOpaque(TTextureSurface{texture, 3, 2, true, false});
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint32_t v;
            std::memcpy(&v, locked.bits + y * locked.pitch + x * 4, 4);
            EXPECT_EQ(v, 0xFF445566u) << x << "," << y;
        }
    texture->Unlock();
}

TEST_F(TRendererViewportTest, WaitForFlip_AsksAgainWhileStillDrawing) {
    system.Faults().FailCall("GetFlipStatus", 1, DDERR_WASSTILLDRAWING);
    system.Faults().FailCall("GetFlipStatus", 2, DDERR_WASSTILLDRAWING);
    const uint32_t before = system.Faults().Calls("GetFlipStatus");
    EXPECT_EQ(renderer.WaitForFlip(), kGfxOk);
    EXPECT_EQ(system.Faults().Calls("GetFlipStatus") - before, 3u);
    EXPECT_EQ(process.GetSleeps(), (std::vector<uint32_t>{1, 1}));
}

} // namespace
