#include "NullDrawFixture.h"

#include "framework/graphics/TTexture.h"

#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/null/NullDisplay.h"

#include <cstring>

using namespace platform;

namespace {

class TRendererSubmitTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        for (uint32_t i = 0; i < 8; ++i)
            mVertices[i].x = static_cast<float>(i);
    }
    uint32_t BackPixel(int x, int y) {
        const SurfacePtr& back = renderer.GetDisplaySetup()->GetContext().GetBackBuffer();
        LockedSurface locked;
        EXPECT_EQ(back->Lock(nullptr, locked), kGfxOk);
        uint32_t v = 0;
        std::memcpy(&v, locked.bits + y * locked.pitch + x * 4, 4);
        back->Unlock();
        return v;
    }
    std::shared_ptr<MemorySurface> Texture(int w, int h, uint32_t fill) {
        auto texture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, w, h,
                                                       PixelFormat::A8R8G8B8());
        texture->ColorFill(nullptr, fill);
        return texture;
    }
    static uint32_t Pixel(GraphicsSurface& surface, int x, int y) {
        LockedSurface locked;
        EXPECT_EQ(surface.Lock(nullptr, locked), kGfxOk);
        uint32_t v = 0;
        std::memcpy(&v, locked.bits + y * locked.pitch + x * 4, 4);
        surface.Unlock();
        return v;
    }

    TVertex mVertices[8];
};

TEST_F(TRendererSubmitTest, BrokenIndexedVerts_DrawsThroughAGrowingIdentityList) {
    SetSetting(TString("brokenindexedverts"), TString("1"));
    ASSERT_TRUE(renderer.BeginDraw(false));
    const struct {
        uint32_t count;
        uint32_t capacity;
    } steps[] = {{3, 4}, {1, 4}, {5, 8}, {8, 8}};
    for (const auto& step : steps) {
        Device().ClearDraws();
        renderer.DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(mVertices, step.count));
        ASSERT_EQ(Device().Draws().size(), 1u);
        const RecordedDraw& draw = Device().Draws()[0];
        EXPECT_TRUE(draw.indexed);
        ASSERT_EQ(draw.wideIndices.size(), step.count);
        for (uint32_t i = 0; i < step.count; ++i)
            EXPECT_EQ(draw.wideIndices[i], i);
        EXPECT_EQ(renderer.GetIndexCapacity(), step.capacity) << step.count;
    }
    SetSetting(TString("brokenindexedverts"), TString("0"));
    Device().ClearDraws();
    renderer.DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(mVertices, 4));
    ASSERT_EQ(Device().Draws().size(), 1u);
    EXPECT_FALSE(Device().Draws()[0].indexed);
    renderer.EndDraw(false);
}

TEST_F(TRendererSubmitTest, ExpandedIndexedDraws_CopyTheVerticesInIndexOrder) {
    renderer.SetExpandIndexedDraws(true);
    ASSERT_TRUE(renderer.BeginDraw(false));
    const uint16_t indices[] = {2, 0, 7, 7, 1, 3};
    renderer.DrawIndexedVertices(gfx::kTriangleList, TVertexList::CreateKind1(mVertices, 8),
                                 indices, 6);
    ASSERT_EQ(Device().Draws().size(), 1u);
    const RecordedDraw& draw = Device().Draws()[0];
    EXPECT_FALSE(draw.indexed);
    ASSERT_EQ(draw.vertexCount, 6u);
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(draw.X(i), static_cast<float>(indices[i])) << i;
    // An index past the list is refused with a log line, never read.
    const uint16_t bad[] = {0, 9, 1};
    renderer.DrawIndexedVertices(gfx::kTriangleList, TVertexList::CreateKind1(mVertices, 8), bad,
                                 3);
    EXPECT_EQ(Device().Draws().size(), 1u);
    EXPECT_TRUE(Logged("DrawIndexedVertices: index 9 past 8 vertices"));
    renderer.SetExpandIndexedDraws(false);
    renderer.DrawIndexedVertices(gfx::kTriangleList, TVertexList::CreateKind1(mVertices, 8),
                                 indices, 6);
    ASSERT_EQ(Device().Draws().size(), 2u);
    EXPECT_TRUE(Device().Draws()[1].indexed);
    EXPECT_EQ(Device().Draws()[1].indices, (std::vector<uint16_t>{2, 0, 7, 7, 1, 3}));
    renderer.EndDraw(false);
}

TEST_F(TRendererSubmitTest, DrawFailures_OutOfMemoryAndOtherErrors) {
    ASSERT_TRUE(renderer.BeginDraw(false));
    system.Faults().FailCall("DrawPrimitive", 1, E_FAIL);
    renderer.DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(mVertices, 4));
    EXPECT_FALSE(renderer.IsDeviceValid()) << "a failed draw marks DirectX broken";
    Device().ClearDraws();
    renderer.DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(mVertices, 4));
    EXPECT_TRUE(Device().Draws().empty()) << "nothing is drawn while broken";
    renderer.EndDraw(false);
    ASSERT_TRUE(renderer.Restore());
    ASSERT_TRUE(renderer.BeginDraw(false));
    system.Faults().FailCall("DrawPrimitive", 1, DDERR_OUTOFVIDEOMEMORY);
    renderer.DrawVertices(gfx::kTriangleFan, TVertexList::CreateKind2(mVertices, 4));
    EXPECT_TRUE(Logged("DrawVertices out of video memory"));
    EXPECT_TRUE(renderer.IsLowMemory());
    renderer.EndDraw(false);
}

TEST_F(TRendererSubmitTest, FillRect_InAFrameDrawsAQuadRelativeToTheViewport) {
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->PushViewport(TRect(100, 100, 200, 200));
    graphics->FillRect(TRect(-10, -10, 20, 20), TColor(0, 0, 1, 0.5f));
    ASSERT_EQ(Device().Draws().size(), 1u);
    const RecordedDraw& draw = Device().Draws()[0];
    EXPECT_EQ(draw.primitive, gfx::kTriangleFan);
    EXPECT_EQ(draw.vertexFormat, gfx::kFvfColorTex);
    // (100, 100, 120, 120) on screen, drawn from the viewport's corner.
    EXPECT_EQ(draw.X(0), 0.0f);
    EXPECT_EQ(draw.Y(0), 0.0f);
    EXPECT_EQ(draw.X(2), 20.0f);
    EXPECT_EQ(draw.Y(2), 20.0f);
    // Alpha 1 outside an alpha target, blend mode 0, no texture.
    EXPECT_EQ(draw.Diffuse(0), 0xFF0000FFu);
    EXPECT_EQ(draw.state.Render(RenderState::SrcBlend), gfx::kBlendSrcAlpha);
    EXPECT_EQ(draw.state.texture, nullptr);
    EXPECT_FALSE(graphics->IsIn2d()) << "the block the fill opened is closed";
    graphics->PopViewport();
    graphics->EndDraw();
}

// A fill in the middle of 3-D drawing: the next 3-D draw comes out as the
// one before it, in the same block, with the same texture and transforms.
TEST_F(TRendererSubmitTest, FillRect_Inside3dKeepsTheBlockTextureAndTransforms) {
    auto picture =
        std::make_shared<TTexture>(TString("tile"), 4, 4, std::vector<uint8_t>(64, 0xFF));
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin3d());
    graphics->SetTexture(picture);
    TMat4 world;
    world.Translate(TVec3(3, 4, 5));
    graphics->SetWorldTransform(world);
    renderer.SetPerspective(0.1f, 1000.0f, 0.7853982f, 0.75f);
    const TVertexList triangle = TVertexList::CreateKind1(mVertices, 3);
    graphics->DrawVertices(triangle, gfx::kTriangleList);
    ASSERT_EQ(Device().Draws().size(), 1u);
    const DeviceState before = Device().Draws()[0].state;
    ASSERT_NE(before.texture, nullptr);

    graphics->FillRect(TRect(0, 0, 10, 10), TColor(1, 1, 1, 1));
    ASSERT_EQ(Device().Draws().size(), 2u);
    EXPECT_EQ(Device().Draws()[1].state.texture, nullptr) << "the fill itself is untextured";
    EXPECT_TRUE(graphics->IsIn3d());
    EXPECT_FALSE(graphics->IsIn2d());
    EXPECT_EQ(graphics->GetTexture(), picture);

    graphics->DrawVertices(triangle, gfx::kTriangleList);
    ASSERT_EQ(Device().Draws().size(), 3u);
    const DeviceState& after = Device().Draws()[2].state;
    EXPECT_EQ(after.texture, before.texture);
    EXPECT_EQ(std::memcmp(&after.world, &before.world, sizeof before.world), 0);
    EXPECT_EQ(std::memcmp(&after.view, &before.view, sizeof before.view), 0);
    EXPECT_EQ(std::memcmp(&after.projection, &before.projection, sizeof before.projection), 0);
    EXPECT_EQ(after.Render(RenderState::ZEnable), 1u);
    graphics->End3d();
    graphics->EndDraw();
}

// The end of a 3-D block leaves the texture and the world transform alone;
// the end of a 2-D block empties the texture and resets the transforms.
TEST_F(TRendererSubmitTest, EndOfBlocks_OnlyTheEndOf2dResetsTextureAndTransforms) {
    auto picture =
        std::make_shared<TTexture>(TString("tile"), 4, 4, std::vector<uint8_t>(64, 0xFF));
    TMat4 world;
    world.Translate(TVec3(7, 8, 9));
    ASSERT_TRUE(graphics->BeginDraw());
    const struct {
        bool threeD;
        bool kept;
    } blocks[] = {{true, true}, {false, false}};
    for (const auto& block : blocks) {
        ASSERT_TRUE(block.threeD ? graphics->Begin3d() : graphics->Begin2d());
        graphics->SetTexture(picture);
        graphics->SetWorldTransform(world);
        block.threeD ? graphics->End3d() : graphics->End2d();
        TMat4 now;
        graphics->GetWorldTransform(now);
        EXPECT_EQ(graphics->GetTexture() == picture, block.kept) << block.threeD;
        EXPECT_EQ(now.m[3][0] == 7.0f, block.kept) << block.threeD;
    }
    graphics->EndDraw();
}

TEST_F(TRendererSubmitTest, FillRect_OutsideAFrameFillsTheBackBufferInsideTheClip) {
    graphics->PushClipRect(TRect(0, 0, 400, 300));
    graphics->FillRect(TRect(350, 250, 500, 500), TColor(1, 0.5f, 0, 1));
    EXPECT_TRUE(Device().Draws().empty());
    // X8R8G8B8: 0xFF0000 x 1, 0xFF00 x 0.5 masked, no alpha bits.
    EXPECT_EQ(BackPixel(350, 250) & 0xFFFFFF, 0xFF7F00u);
    EXPECT_EQ(BackPixel(399, 299) & 0xFFFFFF, 0xFF7F00u);
    EXPECT_NE(BackPixel(400, 299) & 0xFFFFFF, 0xFF7F00u) << "outside the clip";
    EXPECT_NE(BackPixel(349, 250) & 0xFFFFFF, 0xFF7F00u);
}

TEST_F(TRendererSubmitTest, FillRect_IntoATextureUsesItsPixelFormat) {
    auto texture = Texture(16, 16, 0);
    const TTextureSurface description{texture, 16, 16, true, false};
    renderer.FillSurfaceRect(-5, 4, 8, 40, TColor(0, 0, 1, 0.5f), &description);
    EXPECT_EQ(Pixel(*texture, 0, 4), 0x7F0000FFu);
    EXPECT_EQ(Pixel(*texture, 7, 15), 0x7F0000FFu);
    EXPECT_EQ(Pixel(*texture, 8, 4), 0u);
    EXPECT_EQ(Pixel(*texture, 0, 3), 0u);
}

// The setting "vsync" reaches the display as its swap interval, at each
// set-up and at each change; waiting for the blank succeeds only while an
// interval is in force, and a wait that cannot is said once per display.
TEST_F(TRendererSubmitTest, VerticalSync_FollowsTheSettingAsTheSwapInterval) {
    const auto display = [this] {
        return static_cast<NullDisplay*>(renderer.GetDisplaySetup()->GetContext().GetDirectDraw());
    };
    const auto present = [this] {
        ASSERT_TRUE(renderer.BeginDraw(false));
        renderer.EndDraw(true);
    };
    EXPECT_EQ(display()->SwapInterval(), 0u) << "off at set-up";
    EXPECT_EQ(display()->WaitForVerticalBlank(), DDERR_UNSUPPORTED);
    present();
    EXPECT_EQ(system.Faults().Calls("WaitForVerticalBlank"), 1u) << "only the direct call";

    renderer.SetVSync(true);
    EXPECT_EQ(display()->SwapInterval(), 1u);
    present();
    EXPECT_EQ(system.Faults().Calls("WaitForVerticalBlank"), 2u);
    EXPECT_EQ(CountLogged("DX Error"), 0u);

    // A new display takes the interval from the start.
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, true, false, false));
    EXPECT_EQ(display()->SwapInterval(), 1u);

    // A display that refuses the interval: the waits fail, said once.
    system.Faults().FailCall("SetSwapInterval", 1, DDERR_UNSUPPORTED);
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, true, false, false));
    EXPECT_EQ(display()->SwapInterval(), 0u);
    EXPECT_TRUE(Logged("Vertical sync on: the display refuses the swap interval"));
    present();
    present();
    EXPECT_EQ(system.Faults().Calls("WaitForVerticalBlank"), 4u);
    EXPECT_EQ(CountLogged("(0x80004001), File TDXContext"), 2u)
        << "the refusal and the first failed wait\n"
        << Log();

    renderer.SetVSync(false);
    EXPECT_EQ(display()->SwapInterval(), 0u);
    present();
    EXPECT_EQ(system.Faults().Calls("WaitForVerticalBlank"), 4u);
}

TEST_F(TRendererSubmitTest, FrameEdges) {
    // EndDraw without a frame: no EndScene.
    renderer.EndDraw(true);
    EXPECT_EQ(Device().ScenesEnded(), 0u);
    // A flip still in progress: false without a log line.
    const size_t lines = Log().size();
    system.Faults().FailCall("GetFlipStatus", 1, DDERR_WASSTILLDRAWING);
    EXPECT_FALSE(renderer.BeginDraw(false));
    EXPECT_EQ(Log().size(), lines);
    // A frame clears the z-buffer only, over the whole target.
    ASSERT_TRUE(renderer.BeginDraw(false));
    ASSERT_FALSE(Device().Clears().empty());
    EXPECT_EQ(Device().Clears().back().flags, gfx::kClearZBuffer);
    EXPECT_EQ(Device().Clears().back().viewport, (Viewport{0, 0, 800, 600, 0, 1}));
    // EndDraw(false) never presents.
    renderer.EndDraw(false);
    EXPECT_EQ(renderer.GetPresentCount(), 0);
    EXPECT_EQ(Device().ScenesEnded(), 1u);
    // Background mode: no present.
    bool background = true;
    renderer.SetHost(TRenderer::Host{nullptr, [&] { return background; }, nullptr, nullptr});
    ASSERT_TRUE(renderer.BeginDraw(false));
    renderer.EndDraw(true);
    EXPECT_EQ(renderer.GetPresentCount(), 0);
    background = false;
    ASSERT_TRUE(renderer.BeginDraw(false));
    renderer.EndDraw(true);
    EXPECT_EQ(renderer.GetPresentCount(), 1);
    // A failed EndScene: no present.
    ASSERT_TRUE(renderer.BeginDraw(false));
    system.Faults().FailCall("EndScene", 1, E_FAIL);
    renderer.EndDraw(true);
    EXPECT_EQ(renderer.GetPresentCount(), 1);
    EXPECT_TRUE(
        Logged("TPlatform::EndDraw: Unexpected error (see above) on UpdateFrame or EndScene"));
}

TEST_F(TRendererSubmitTest, SceneEndFailed_MarksBrokenWithoutPresentOrRestore) {
    ASSERT_TRUE(renderer.BeginDraw(false));
    system.Faults().FailCall("EndScene", 1, D3DERR_SCENE_END_FAILED);
    const int restores = renderer.GetRestoreCount();
    renderer.EndDraw(true);
    EXPECT_EQ(renderer.GetPresentCount(), 0);
    EXPECT_EQ(renderer.GetRestoreCount(), restores);
    EXPECT_FALSE(renderer.IsDeviceValid());
    EXPECT_FALSE(renderer.BeginDraw(false));
}

TEST_F(TRendererSubmitTest, LostFrontBuffer_MarksBrokenOnlyInTheForeground) {
    bool foreground = false;
    renderer.SetHost(TRenderer::Host{[&] { return foreground; }, nullptr, nullptr, nullptr});
    renderer.GetDisplaySetup()->GetContext().GetFrontBuffer()->MarkLost();
    EXPECT_FALSE(renderer.BeginDraw(false));
    EXPECT_TRUE(renderer.IsDeviceValid());
    foreground = true;
    EXPECT_FALSE(renderer.BeginDraw(false));
    EXPECT_FALSE(renderer.IsDeviceValid());
}

TEST_F(TRendererSubmitTest, LostSurfaceAtPresent_RestoresAndTheNextFrameDraws) {
    ASSERT_TRUE(renderer.BeginDraw(false));
    system.Faults().FailCall("Blt", 1, DDERR_SURFACELOST);
    const int restores = renderer.GetRestoreCount();
    renderer.EndDraw(true);
    EXPECT_TRUE(Logged("TPlatform::EndDraw: DDERR_SURFACELOST on UpdateFrame or EndScene"));
    EXPECT_EQ(renderer.GetRestoreCount(), restores + 1);
    ASSERT_TRUE(renderer.BeginDraw(false));
    renderer.EndDraw(true);
}

// Each mode's copy back into the texture after drawing a fill.
TEST_F(TRendererSubmitTest, RenderTargetModes_CopyBackAsTheirModeSays) {
    struct Case {
        int32_t mode;
        uint32_t before;    // the texture's pixel before the target
        uint32_t expected;  // after a fill of (0, 1, 0.5, 0.25) over the left half
        uint32_t untouched; // the right half after the target
    };
    const Case cases[] = {
        // 0: drawn picture, made opaque; the right half had the screen's
        // black (the render surface as it stood).
        {0, 0x80FF0000u, 0xFF00FF7Fu, 0xFF000000u},
        // 1: alpha as copied: the blit reads the X8 back buffer as opaque.
        {1, 0x80FF0000u, 0xFF00FF7Fu, 0xFF000000u},
        // 2: the texture's picture first, so the right half keeps it.
        {2, 0x80FF0000u, 0xFF00FF7Fu, 0xFFFF0000u},
        // 4: intensity to alpha: the fill's blue byte becomes alpha over
        // the fill, the cleared black elsewhere; the colour stays.
        {4, 0x80FF0000u, 0x7FFF0000u, 0x00FF0000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto texture = Texture(16, 8, c.before);
        renderer.GetDisplaySetup()->GetContext().GetBackBuffer()->ColorFill(nullptr, 0);
        ASSERT_TRUE(graphics->BeginDraw()); // draw front frame flags stay clear
        graphics->EndDraw();
        ASSERT_TRUE(
            renderer.BeginRenderTarget(TTextureSurface{texture, 16, 8, true, false}, c.mode));
        EXPECT_EQ(renderer.GetViewport(), TRect(0, 0, 16, 8));
        renderer.FillSurfaceRect(0, 0, 8, 8, TColor(0, 1, 0.5f, 0.25f), nullptr);
        renderer.EndRenderTarget();
        EXPECT_EQ(renderer.GetViewport(), TRect(0, 0, 800, 600));
        EXPECT_EQ(Pixel(*texture, 3, 3), c.expected);
        EXPECT_EQ(Pixel(*texture, 12, 3), c.untouched);
        EXPECT_FALSE(renderer.IsTargetOpen());
    }
}

TEST_F(TRendererSubmitTest, RenderTarget_RefusalsAndUndo) {
    // No surface: DirectX marked broken.
    EXPECT_FALSE(renderer.BeginRenderTarget(TTextureSurface{nullptr, 16, 16, true, false}, 0));
    EXPECT_FALSE(renderer.IsDeviceValid());
    ASSERT_TRUE(renderer.Restore());
    // A failed copy of the texture's picture undoes the open.
    auto texture = Texture(16, 16, 0);
    renderer.SetViewportScale(0.75f);
    system.Faults().FailCall("Blt", 1, E_FAIL);
    EXPECT_FALSE(renderer.BeginRenderTarget(TTextureSurface{texture, 16, 16, true, false}, 2));
    EXPECT_TRUE(Logged("BeginRenderTarget failed because of the above DX error."));
    EXPECT_EQ(renderer.GetViewportDepth(), 0u);
    EXPECT_EQ(renderer.GetViewport(), TRect(0, 0, 800, 600));
    EXPECT_FLOAT_EQ(renderer.GetViewportScale(), 0.75f);
    EXPECT_FALSE(renderer.IsTargetOpen());
    // A frame that cannot begin undoes it too.
    system.Faults().FailCall("BeginScene", 1, E_FAIL);
    EXPECT_FALSE(renderer.BeginRenderTarget(TTextureSurface{texture, 16, 16, true, false}, 0));
    EXPECT_EQ(renderer.GetViewportDepth(), 0u);
    EXPECT_FLOAT_EQ(renderer.GetViewportScale(), 0.75f);
    // While open the scale is 1; it comes back at the end.
    ASSERT_TRUE(renderer.BeginRenderTarget(TTextureSurface{texture, 16, 16, true, false}, 0));
    EXPECT_FLOAT_EQ(renderer.GetViewportScale(), 1.0f);
    renderer.EndRenderTarget();
    EXPECT_FLOAT_EQ(renderer.GetViewportScale(), 0.75f);
}

TEST_F(TRendererSubmitTest, DrawFrontRenderTarget_RefusedInsideAFrame) {
    ASSERT_TRUE(graphics->BeginDraw());
    EXPECT_FALSE(graphics->BeginRenderTarget(nullptr, 0));
    EXPECT_TRUE(graphics->IsDrawing());
    EXPECT_FALSE(graphics->IsInRenderTarget());
    graphics->EndDraw();
    // A texture without a surface cannot be drawn into.
    EXPECT_FALSE(graphics->BeginRenderTarget(nullptr, 0));
    EXPECT_FALSE(graphics->IsDrawing());
}

} // namespace

namespace {

TEST_F(TRendererSubmitTest, PreservedFrame_FailedCopyMarksBroken) {
    // In a window the back buffer keeps its picture: nothing to copy.
    ASSERT_TRUE(renderer.BeginDraw(true));
    renderer.EndDraw(false);
    ASSERT_TRUE(renderer.SetDisplay(800, 600, true, true, false, false));
    ASSERT_TRUE(renderer.BeginDraw(true));
    renderer.EndDraw(false);
    system.Faults().FailCall("BltFast", 1, E_FAIL);
    EXPECT_FALSE(renderer.BeginDraw(true));
    EXPECT_FALSE(renderer.IsDeviceValid());
}

} // namespace

namespace {

// 70,000 vertices: more than 16-bit indices can reach. Every one of them is
// drawn, through 32-bit identity indices.
TEST_F(TRendererSubmitTest, BrokenIndexedVerts_ListsBeyond65535VerticesDrawWhole) {
    SetSetting(TString("brokenindexedverts"), TString("1"));
    std::vector<TVertex> many(70000);
    many.back().x = 42.0f;
    ASSERT_TRUE(renderer.BeginDraw(false));
    renderer.DrawVertices(gfx::kPointList, TVertexList::CreateKind1(many.data(), 70000));
    ASSERT_EQ(Device().Draws().size(), 1u);
    const RecordedDraw& draw = Device().Draws()[0];
    ASSERT_EQ(draw.wideIndices.size(), 70000u);
    EXPECT_EQ(draw.wideIndices[69999], 69999u);
    EXPECT_EQ(draw.X(draw.wideIndices[69999]), 42.0f);
    EXPECT_EQ(renderer.GetIndexCapacity(), 131072u);
    // Expanded draws take the same path with the wide list.
    renderer.SetExpandIndexedDraws(true);
    Device().ClearDraws();
    renderer.DrawVertices(gfx::kPointList, TVertexList::CreateKind1(many.data(), 70000));
    ASSERT_EQ(Device().Draws().size(), 1u);
    EXPECT_FALSE(Device().Draws()[0].indexed);
    EXPECT_EQ(Device().Draws()[0].vertexCount, 70000u);
    EXPECT_EQ(Device().Draws()[0].X(69999), 42.0f);
    renderer.EndDraw(false);
}

} // namespace

namespace {

// Inside a host window the picture is scaled: a colour fill of the back
// buffer lands on the scaled rectangle.
TEST_F(TRendererSubmitTest, FillRect_HostedFillIsScaled) {
    renderer.SetHosted(true);
    renderer.SetViewportScale(0.5f);
    renderer.GetDisplaySetup()->GetContext().GetBackBuffer()->ColorFill(nullptr, 0);
    graphics->FillRect(TRect(100, 100, 300, 200), TColor(1, 1, 1, 1));
    EXPECT_EQ(BackPixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(BackPixel(149, 99) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(BackPixel(150, 99) & 0xFFFFFF, 0u);
    EXPECT_EQ(BackPixel(49, 50) & 0xFFFFFF, 0u);
    EXPECT_EQ(BackPixel(100, 100) & 0xFFFFFF, 0u);
}

} // namespace

namespace {

TEST_F(TRendererSubmitTest, DrawFrontRenderTarget_RefusesASimpleTexture) {
    auto texture = Texture(16, 16, 0);
    EXPECT_FALSE(graphics->BeginRenderTarget(TTextureSurface{texture, 16, 16, true, true}, 0));
    EXPECT_FALSE(graphics->IsDrawing());
    EXPECT_FALSE(graphics->IsInRenderTarget());
    EXPECT_FALSE(renderer.IsTargetOpen());
    EXPECT_EQ(Device().ScenesEnded(), 0u);
    // The same texture, not simple, opens and closes.
    ASSERT_TRUE(graphics->BeginRenderTarget(TTextureSurface{texture, 16, 16, true, false}, 0));
    EXPECT_TRUE(graphics->IsInRenderTarget());
    EXPECT_TRUE(graphics->IsDrawing());
    graphics->EndRenderTarget();
    EXPECT_FALSE(graphics->IsDrawing());
    EXPECT_FALSE(renderer.IsTargetOpen());
}

} // namespace
