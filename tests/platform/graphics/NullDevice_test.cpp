#include "platform/graphics/null/NullDevice.h"
#include "platform/graphics/null/NullDisplay.h"
#include "platform/graphics/null/NullGraphicsSystem.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace {

struct Vertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(Vertex) == gfx::kVertexSize);

// A display with a flipping primary surface, its back buffer and a device
// drawing into it, as the display code sets them up.
class NullDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        system.Config().desktopMode = {1024, 768, 32, 60, PixelFormat::X8R8G8B8()};
        ASSERT_EQ(system.CreateDisplay(0, display), kGfxOk);
        ASSERT_EQ(display->SetCooperativeLevel(gfx::kCoopExclusive | gfx::kCoopFullScreen), kGfxOk);
        SurfaceSpec spec;
        spec.caps = gfx::kCapsPrimary | gfx::kCapsFlip | gfx::kCaps3dDevice;
        spec.backBufferCount = 1;
        ASSERT_EQ(display->CreateSurface(spec, primary), kGfxOk);
        back = primary->GetAttachedBackBuffer();
        SurfaceSpec zspec;
        zspec.caps = gfx::kCapsZBuffer | gfx::kCapsVideoMemory;
        zspec.width = 1024;
        zspec.height = 768;
        SurfacePtr z;
        ASSERT_EQ(display->CreateSurface(zspec, z), kGfxOk);
        ASSERT_EQ(back->AddAttachedSurface(z), kGfxOk);
        DevicePtr made;
        ASSERT_EQ(display->CreateDevice(back, made), kGfxOk);
        device = std::dynamic_pointer_cast<NullDevice>(made);
        ASSERT_TRUE(device);
    }

    GraphicsFaults& Faults() { return system.Faults(); }

    NullGraphicsSystem system;
    std::unique_ptr<GraphicsDisplay> display;
    SurfacePtr primary;
    SurfacePtr back;
    std::shared_ptr<NullDevice> device;
};

TEST_F(NullDeviceTest, NewDevice_HasTheStartingStates) {
    uint32_t value = 0;
    device->GetRenderState(RenderState::ZEnable, value);
    EXPECT_EQ(value, 1u) << "the target has a z-buffer";
    device->GetRenderState(RenderState::ZFunc, value);
    EXPECT_EQ(value, gfx::kCmpLessEqual);
    device->GetRenderState(RenderState::CullMode, value);
    EXPECT_EQ(value, gfx::kCullCounterClockwise);
    device->GetStageState(0, StageState::ColorOp, value);
    EXPECT_EQ(value, gfx::kOpModulate);
    Viewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 1024, 768, 0.0f, 1.0f}));
    EXPECT_EQ(device->GetStageState(1, StageState::ColorOp, value), E_INVALIDARG);
}

TEST_F(NullDeviceTest, Draws_AreRecordedWithTheirVerticesAndState) {
    ASSERT_EQ(device->BeginScene(), kGfxOk);
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device->SetStageState(0, StageState::ColorArg1, gfx::kArgTexture | gfx::kArgAlphaReplicate);
    DeviceMatrix world = DeviceMatrix::Identity();
    world.m[3][0] = 5.0f;
    device->SetTransform(TransformKind::World, world);
    int32_t w = 8, h = 8;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    device->SetTexture(0, texture);
    const Vertex quad[4] = {{10, 10, 0.1f, 0.5f, 0x80FF0000, 0xFF000000, 0, 0},
                            {20, 10, 0.1f, 0.5f, 0x80FF0000, 0xFF000000, 1, 0},
                            {20, 20, 0.1f, 0.5f, 0x80FF0000, 0xFF000000, 1, 1},
                            {10, 20, 0.1f, 0.5f, 0x80FF0000, 0xFF000000, 0, 1}};
    ASSERT_EQ(device->DrawPrimitive(gfx::kTriangleFan, gfx::kFvfColorTex, quad, 4, 0), kGfxOk);
    const uint16_t indices[3] = {2, 0, 1};
    ASSERT_EQ(device->DrawIndexedPrimitive(gfx::kTriangleList, gfx::kFvfScreenColorTex, quad, 4,
                                           indices, 3, 0),
              kGfxOk);
    ASSERT_EQ(device->EndScene(), kGfxOk);

    ASSERT_EQ(device->Draws().size(), 2u);
    const RecordedDraw& fan = device->Draws()[0];
    EXPECT_EQ(fan.primitive, gfx::kTriangleFan);
    EXPECT_EQ(fan.vertexFormat, gfx::kFvfColorTex);
    EXPECT_EQ(fan.vertexCount, 4u);
    EXPECT_FLOAT_EQ(fan.X(2), 20.0f);
    EXPECT_FLOAT_EQ(fan.Y(3), 20.0f);
    EXPECT_EQ(fan.Diffuse(1), 0x80FF0000u);
    EXPECT_FLOAT_EQ(fan.U(1), 1.0f);
    EXPECT_EQ(fan.state.Render(RenderState::SrcBlend), gfx::kBlendSrcAlpha);
    EXPECT_EQ(fan.state.Stage(StageState::ColorArg1), gfx::kArgTexture | gfx::kArgAlphaReplicate);
    EXPECT_EQ(fan.state.texture, texture);
    EXPECT_FLOAT_EQ(fan.state.world.m[3][0], 5.0f);
    const RecordedDraw& list = device->Draws()[1];
    EXPECT_TRUE(list.indexed);
    EXPECT_EQ(list.indices, (std::vector<uint16_t>{2, 0, 1}));
}

TEST_F(NullDeviceTest, SceneRules_AreChecked) {
    const Vertex v[3] = {};
    EXPECT_EQ(device->DrawPrimitive(gfx::kTriangleList, gfx::kFvfColorTex, v, 3, 0),
              D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->BeginScene(), kGfxOk);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device->DrawPrimitive(gfx::kTriangleList, 0x999, v, 3, 0), E_INVALIDARG);
    const uint16_t bad[3] = {0, 1, 7};
    EXPECT_EQ(device->DrawIndexedPrimitive(gfx::kTriangleList, gfx::kFvfColorTex, v, 3, bad, 3, 0),
              E_INVALIDARG);
    EXPECT_EQ(device->EndScene(), kGfxOk);
    EXPECT_TRUE(device->Draws().empty());
}

TEST_F(NullDeviceTest, BackBufferLostAtTheSecondBeginScene_FailsUntilRestored) {
    Faults().LoseSurfacesAt("BeginScene", 2);
    EXPECT_EQ(device->BeginScene(), kGfxOk);
    EXPECT_EQ(device->EndScene(), kGfxOk);
    EXPECT_EQ(device->BeginScene(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display->TestCooperativeLevel(), kGfxOk);
    EXPECT_EQ(display->RestoreAllSurfaces(), kGfxOk);
    EXPECT_EQ(device->BeginScene(), kGfxOk);
    EXPECT_EQ(Faults().Calls("BeginScene"), 3u);
}

TEST_F(NullDeviceTest, InjectedCodes_HitTheNamedCallOnlyOrFromThenOn) {
    Faults().FailCall("EndScene", 1, D3DERR_SCENE_END_FAILED);
    Faults().FailFrom("TestCooperativeLevel", 2, DDERR_WRONGMODE);
    device->BeginScene();
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_END_FAILED);
    EXPECT_FALSE(device->InScene());
    device->BeginScene();
    EXPECT_EQ(device->EndScene(), kGfxOk);
    EXPECT_EQ(display->TestCooperativeLevel(), kGfxOk);
    EXPECT_EQ(display->TestCooperativeLevel(), DDERR_WRONGMODE);
    EXPECT_EQ(display->TestCooperativeLevel(), DDERR_WRONGMODE);
    Faults().ClearRules();
    EXPECT_EQ(display->TestCooperativeLevel(), kGfxOk);
}

TEST_F(NullDeviceTest, FlipStatus_CanBeMadeStillDrawing) {
    Faults().FailCall("GetFlipStatus", 1, DDERR_WASSTILLDRAWING);
    EXPECT_EQ(primary->GetFlipStatus(), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(primary->GetFlipStatus(), kGfxOk);
}

TEST_F(NullDeviceTest, ClearTarget_FillsTheViewportOnly) {
    device->SetViewport({10, 20, 30, 40, 0.0f, 1.0f});
    ASSERT_EQ(device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF0000FF, 1.0f, 0), kGfxOk);
    auto target = std::dynamic_pointer_cast<MemorySurface>(back);
    EXPECT_EQ(target->PixelAt(10, 20), 0xFF0000FFu);
    EXPECT_EQ(target->PixelAt(39, 59), 0xFF0000FFu);
    EXPECT_EQ(target->PixelAt(40, 59), 0xFF000000u);
    ASSERT_EQ(device->Clears().size(), 1u);
    EXPECT_EQ(device->Clears()[0].flags, gfx::kClearTarget | gfx::kClearZBuffer);
}

TEST_F(NullDeviceTest, ViewportBeyondTheTarget_IsRefused) {
    EXPECT_EQ(device->SetViewport({1000, 0, 100, 10, 0.0f, 1.0f}), E_INVALIDARG);
    Viewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport.width, 1024);
}

TEST_F(NullDeviceTest, RenderTargetSwitch_ResetsTheViewportToTheTarget) {
    int32_t w = 256, h = 128;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    ASSERT_EQ(device->SetRenderTarget(texture), kGfxOk);
    SurfacePtr target;
    device->GetRenderTarget(target);
    EXPECT_EQ(target, texture);
    Viewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 256, 128, 0.0f, 1.0f}));
}

TEST_F(NullDeviceTest, DisplayQuestions_AnswerFromTheConfig) {
    system.Config().identifier.description = "SiS Mirage 3 Graphics";
    system.Config().deviceCaps.maxTextureHeight = 512;
    DeviceIdentifier identifier;
    ASSERT_EQ(display->GetDeviceIdentifier(identifier), kGfxOk);
    EXPECT_EQ(identifier.description, "SiS Mirage 3 Graphics");
    DeviceCaps caps;
    display->GetDeviceCaps(caps);
    EXPECT_EQ(caps.maxTextureHeight, 512u);
    DisplayCaps memory;
    display->GetCaps(memory);
    EXPECT_EQ(memory.videoMemoryTotal, 256u * 1024 * 1024);
    EXPECT_LT(memory.videoMemoryFree, memory.videoMemoryTotal);
    uint32_t hertz = 0;
    display->GetMonitorFrequency(hertz);
    EXPECT_EQ(hertz, 60u);
    EXPECT_EQ(system.DesktopColorCount(), -1);
    system.Config().frameBordersKnown = false;
    FrameBorders borders;
    EXPECT_FALSE(system.GetFrameBorders(borders));
}

TEST_F(NullDeviceTest, DisplayModes_SetOnlyListedModesInExclusiveMode) {
    EXPECT_EQ(display->SetDisplayMode(1024, 768, 16, 0), kGfxOk);
    DisplayMode mode;
    display->GetDisplayMode(mode);
    EXPECT_EQ(mode.bitCount, 16u);
    EXPECT_EQ(mode.format, PixelFormat::R5G6B5());
    EXPECT_EQ(display->SetDisplayMode(1000, 700, 32, 0), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(display->RestoreDisplayMode(), kGfxOk);
    display->GetDisplayMode(mode);
    EXPECT_EQ(mode.width, 1024);
    display->SetCooperativeLevel(gfx::kCoopNormal);
    EXPECT_EQ(display->SetDisplayMode(640, 480, 32, 0), DDERR_NOEXCLUSIVEMODE);
}

TEST(NullGraphicsSystem, MissingDevice_FailsToMakeADisplay) {
    NullGraphicsSystem system;
    std::unique_ptr<GraphicsDisplay> display;
    EXPECT_EQ(system.CreateDisplay(3, display), E_FAIL);
    EXPECT_FALSE(display);
    system.Faults().FailCall("CreateDisplay", 1, DDERR_CURRENTLYNOTAVAIL);
    EXPECT_EQ(system.CreateDisplay(0, display), DDERR_CURRENTLYNOTAVAIL);
}

} // namespace
