#include "NullDrawFixture.h"

#include "platform/graphics/MemorySurface.h"

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
        ASSERT_EQ(draw.indices.size(), step.count);
        for (uint32_t i = 0; i < step.count; ++i)
            EXPECT_EQ(draw.indices[i], i);
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

TEST_F(TRendererSubmitTest, FillRect_Inside3dEndsAndReopensTheBlock) {
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin3d());
    graphics->FillRect(TRect(0, 0, 10, 10), TColor(1, 1, 1, 1));
    EXPECT_EQ(Device().Draws().size(), 1u);
    EXPECT_TRUE(graphics->IsIn3d());
    EXPECT_FALSE(graphics->IsIn2d());
    graphics->End3d();
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
    renderer.SetHost(TRenderer::Host{nullptr, [&] { return background; }, nullptr});
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
    renderer.SetHost(TRenderer::Host{[&] { return foreground; }, nullptr, nullptr});
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
