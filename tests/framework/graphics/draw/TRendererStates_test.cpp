#include "NullDrawFixture.h"

#include "platform/graphics/MemorySurface.h"

#include <cmath>
#include <cstring>

using namespace platform;

namespace {

class TRendererStatesTest : public NullDrawFixture {
protected:
    // Opens a mode-4 render target on a 64 x 64 texture with alpha.
    void OpenAlphaTarget() {
        mTexture = std::make_shared<MemorySurface>(system.Faults(), gfx::kCapsTexture, 64, 64,
                                                   PixelFormat::A8R8G8B8());
        ASSERT_TRUE(renderer.BeginRenderTarget(TTextureSurface{mTexture, 64, 64, true, false},
                                               TRenderer::kTargetAlpha));
    }
    uint32_t R(RenderState s) { return Device().State().Render(s); }
    uint32_t S(StageState s) { return Device().State().Stage(s); }

    SurfacePtr mTexture;
};

// Blend factors for every mode, in a plain frame and inside an alpha
// target, with and without "new_subtractive".
TEST_F(TRendererStatesTest, BlendTable_FactorsForEveryModeAndTarget) {
    constexpr uint32_t kOff = 0xFFFF; // blending off: factors not given
    struct Case {
        int32_t mode;
        bool alphaTarget;
        bool newSubtractive;
        uint32_t src, dest, enable;
    };
    const Case cases[] = {
        {0, false, false, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha, 1},
        {0, true, false, gfx::kBlendSrcAlpha, gfx::kBlendOne, 1},
        {1, false, false, kOff, kOff, 0},
        {1, true, true, kOff, kOff, 0},
        {2, false, false, gfx::kBlendSrcAlpha, gfx::kBlendOne, 1},
        {2, true, false, gfx::kBlendSrcAlpha, gfx::kBlendOne, 1},
        {3, false, false, gfx::kBlendZero, gfx::kBlendInvSrcColor, 1},
        {3, false, true, gfx::kBlendZero, gfx::kBlendInvSrcColor, 1},
        {3, true, true, gfx::kBlendOne, gfx::kBlendOne, 1},
        {3, true, false, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha, 1},
        {4, false, false, gfx::kBlendZero, gfx::kBlendSrcColor, 1},
        {4, true, true, gfx::kBlendZero, gfx::kBlendSrcColor, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " target " << c.alphaTarget
                                          << " new_subtractive " << c.newSubtractive);
        renderer.SetRenderHint("new_subtractive", c.newSubtractive ? "1" : "0");
        if (c.alphaTarget)
            OpenAlphaTarget();
        // A state the mode must not leave behind: factors no mode sets.
        Device().SetRenderState(RenderState::SrcBlend, kOff);
        Device().SetRenderState(RenderState::DestBlend, kOff);
        Device().SetRenderState(RenderState::AlphaBlendEnable, 7);
        renderer.SetBlendMode(c.mode);
        EXPECT_EQ(renderer.GetBlendMode(), c.mode);
        EXPECT_EQ(R(RenderState::SrcBlend), c.src);
        EXPECT_EQ(R(RenderState::DestBlend), c.dest);
        EXPECT_EQ(R(RenderState::AlphaBlendEnable), c.enable);
        if (c.alphaTarget)
            renderer.EndRenderTarget();
    }
}

TEST_F(TRendererStatesTest, UnknownMode_SetsNoFactors) {
    for (int32_t mode : {-1, 5}) {
        Device().SetRenderState(RenderState::SrcBlend, 0xAB);
        Device().SetRenderState(RenderState::AlphaBlendEnable, 7);
        renderer.SetBlendMode(mode);
        EXPECT_EQ(R(RenderState::SrcBlend), 0xABu);
        EXPECT_EQ(R(RenderState::AlphaBlendEnable), 7u);
        EXPECT_EQ(R(RenderState::TextureFactor), 0xFFFFFFFFu);
    }
}

// Stage 0 for the modes outside a target, by the two options.
TEST_F(TRendererStatesTest, TextureStages_OutsideATarget) {
    constexpr uint32_t kUnset = 0xEE;
    struct Case {
        int32_t mode;
        bool newSubtractive, newRenderBlend;
        uint32_t colorArg2, alphaArg1, alphaOp;
    };
    const Case cases[] = {
        {0, false, false, kUnset, gfx::kArgTexture, gfx::kOpModulate},
        {0, false, true, gfx::kArgCurrent, gfx::kArgTexture, gfx::kOpModulate},
        {1, false, false, kUnset, gfx::kArgFactor, gfx::kOpSelectArg1},
        {3, true, false, kUnset, gfx::kArgFactor, gfx::kOpSelectArg1},
        {3, false, true, gfx::kArgCurrent, gfx::kArgTexture, gfx::kOpModulate},
        {4, true, true, gfx::kArgCurrent, gfx::kArgTexture, gfx::kOpModulate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " ns " << c.newSubtractive
                                          << " nrb " << c.newRenderBlend);
        renderer.SetRenderHint("new_subtractive", c.newSubtractive ? "1" : "0");
        renderer.SetRenderHint("new_render_blend", c.newRenderBlend ? "1" : "0");
        Device().SetStageState(0, StageState::ColorArg2, kUnset);
        renderer.SetBlendMode(c.mode);
        EXPECT_EQ(S(StageState::ColorArg1), gfx::kArgTexture);
        EXPECT_EQ(S(StageState::ColorArg2), c.colorArg2);
        EXPECT_EQ(S(StageState::ColorOp), gfx::kOpModulate);
        EXPECT_EQ(S(StageState::AlphaArg1), c.alphaArg1);
        EXPECT_EQ(S(StageState::AlphaOp), c.alphaOp);
        EXPECT_EQ(R(RenderState::TextureFactor), 0xFFFFFFFFu);
    }
}

// Inside an alpha target, without a texture selected.
TEST_F(TRendererStatesTest, TextureStages_InsideAnAlphaTarget) {
    constexpr uint32_t kUnset = 0xEE;
    struct Case {
        int32_t mode;
        bool newSubtractive, newRenderBlend;
        uint32_t colorArg1, colorOp;
    };
    const Case cases[] = {
        {3, true, false, gfx::kArgFactor, gfx::kOpSelectArg1},
        {3, true, true, gfx::kArgFactor, kUnset},
        {0, false, false, gfx::kArgDiffuse | gfx::kArgAlphaReplicate, gfx::kOpSelectArg1},
        {0, false, true, gfx::kArgDiffuse | gfx::kArgAlphaReplicate, gfx::kOpSelectArg1},
        {3, false, false, gfx::kArgDiffuse | gfx::kArgAlphaReplicate, gfx::kOpSelectArg1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " ns " << c.newSubtractive
                                          << " nrb " << c.newRenderBlend);
        renderer.SetRenderHint("new_subtractive", c.newSubtractive ? "1" : "0");
        renderer.SetRenderHint("new_render_blend", c.newRenderBlend ? "1" : "0");
        OpenAlphaTarget();
        Device().SetStageState(0, StageState::ColorOp, kUnset);
        renderer.ApplyTextureStages(c.mode);
        EXPECT_EQ(S(StageState::ColorArg1), c.colorArg1);
        EXPECT_EQ(S(StageState::ColorOp), c.colorOp);
        EXPECT_EQ(S(StageState::AlphaArg1), gfx::kArgFactor);
        EXPECT_EQ(S(StageState::AlphaOp), gfx::kOpSelectArg1);
        renderer.EndRenderTarget();
    }
}

TEST_F(TRendererStatesTest, OrthoProjection_MapsTheClippedViewportWithTheTexelOffset) {
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin2d());
    renderer.PushViewport(TRect(100, 50, 500, 350));  // 400 x 300
    graphics->PushClipRect(TRect(150, 50, 500, 250)); // cuts 50 left, leaves 350 x 200
    EXPECT_EQ(renderer.SetVertexFormat(2), gfx::kFvfColorTex);
    EXPECT_EQ(Device().State().Render(RenderState::Lighting), 0u);
    const TMat4& m = renderer.GetProjection();
    // left 50.5, right 400.5, top 0.5, bottom 200.5 (texel offset -0.5).
    const float l = 50.5f, r = 400.5f, t = 0.5f, b = 200.5f;
    EXPECT_FLOAT_EQ(m.m[0][0], 2.0f / (r - l));
    EXPECT_FLOAT_EQ(m.m[1][1], 2.0f / (t - b));
    EXPECT_FLOAT_EQ(m.m[3][0], (l + r) / (l - r));
    EXPECT_FLOAT_EQ(m.m[3][1], (t + b) / (b - t));
    EXPECT_EQ(m.m[2][2], 1.0f);
    EXPECT_EQ(m.m[3][3], 1.0f);
    EXPECT_EQ(m.m[2][3], 0.0f);
    EXPECT_EQ(m.m[3][2], 0.0f);
    EXPECT_EQ(m.m[0][1], 0.0f);
    EXPECT_EQ(m.m[1][0], 0.0f);
    // The device has it, and a point at the clip's left edge, (50, 0) in
    // viewport coordinates, lands half a pixel inside the left of clip space.
    const DeviceMatrix& sent = Device().State().projection;
    EXPECT_FLOAT_EQ(sent.m[0][0], m.m[0][0]);
    EXPECT_NEAR(50.0f * m.m[0][0] + m.m[3][0], -1.0f - m.m[0][0] * 0.5f, 1e-5f);
    // The projection is rebuilt at each format selection inside the block.
    EXPECT_TRUE(renderer.IsProjectionDirty());
    renderer.SetTexelOffset(0.0f);
    renderer.SetVertexFormat(1);
    EXPECT_FLOAT_EQ(renderer.GetProjection().m[3][0], (50.0f + 400.0f) / (50.0f - 400.0f));
    graphics->PopClipRect();
    renderer.PopViewport();
    graphics->End2d();
    graphics->EndDraw();
}

TEST_F(TRendererStatesTest, Format3AndFormatsOutside2d_LeaveTheProjection) {
    const TMat4 before = renderer.GetProjection();
    EXPECT_EQ(renderer.SetVertexFormat(2), gfx::kFvfColorTex); // no 2-D block
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin2d());
    EXPECT_EQ(renderer.SetVertexFormat(3), gfx::kFvfScreenColorTex);
    EXPECT_EQ(0, std::memcmp(renderer.GetProjection().m, before.m, sizeof(before.m)));
    EXPECT_EQ(renderer.SetVertexFormat(0), gfx::kFvfNormalTex);
    EXPECT_EQ(Device().State().Render(RenderState::Lighting), 1u);
    EXPECT_NE(0, std::memcmp(renderer.GetProjection().m, before.m, sizeof(before.m)));
    graphics->End2d();
    graphics->EndDraw();
}

TEST_F(TRendererStatesTest, OpaqueMode_SelectsTheWhiteFactorAsAlpha) {
    renderer.SetBlendMode(1);
    EXPECT_EQ(R(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(S(StageState::AlphaArg1), gfx::kArgFactor);
    EXPECT_EQ(S(StageState::AlphaOp), gfx::kOpSelectArg1);
    EXPECT_EQ(R(RenderState::TextureFactor), 0xFFFFFFFFu);
}

TEST_F(TRendererStatesTest, Setters_GiveTheDeviceValues) {
    renderer.SetCullMode(2);
    EXPECT_EQ(R(RenderState::CullMode), gfx::kCullClockwise);
    renderer.SetCullMode(3);
    EXPECT_EQ(R(RenderState::CullMode), gfx::kCullCounterClockwise);
    renderer.SetCullMode(9);
    EXPECT_EQ(R(RenderState::CullMode), gfx::kCullNone);
    renderer.SetTextureFilter(0);
    EXPECT_EQ(S(StageState::MinFilter), gfx::kFilterPoint);
    EXPECT_EQ(S(StageState::MipFilter), gfx::kMipPoint);
    renderer.SetTextureFilter(7); // nothing
    EXPECT_EQ(S(StageState::MagFilter), gfx::kFilterPoint);
    renderer.SetTextureFilter(1);
    EXPECT_EQ(S(StageState::MagFilter), gfx::kFilterLinear);
    EXPECT_EQ(S(StageState::MipFilter), gfx::kMipLinear);
    renderer.SetTextureAddressing(1, 2);
    EXPECT_EQ(S(StageState::AddressU), gfx::kAddressWrap);
    EXPECT_EQ(S(StageState::AddressV), gfx::kAddressMirror);
    renderer.SetTextureAddressing(0, 5);
    EXPECT_EQ(S(StageState::AddressU), gfx::kAddressClamp);
    EXPECT_EQ(S(StageState::AddressV), gfx::kAddressClamp);
    renderer.SetShadeMode(2);
    EXPECT_EQ(R(RenderState::ShadeMode), gfx::kShadeGouraud);
    renderer.SetShadeMode(1);
    EXPECT_EQ(R(RenderState::ShadeMode), gfx::kShadeFlat);
    renderer.SetAmbient(TColor(1, 0.5f, 0, 1));
    EXPECT_EQ(R(RenderState::Ambient), 0xFFFF7F00u);
    renderer.SetZEnable(true);
    renderer.SetZWrite(false);
    EXPECT_EQ(R(RenderState::ZEnable), 1u);
    EXPECT_EQ(R(RenderState::ZWriteEnable), 0u);
    EXPECT_TRUE(renderer.GetZEnable());
    EXPECT_FALSE(renderer.GetZWrite());
    TMat4 world;
    world.Translate(TVec3(3, 4, 5));
    renderer.SetWorldTransform(world);
    TMat4 back;
    renderer.GetWorldTransform(back);
    EXPECT_EQ(back.m[3][0], 3.0f);
    EXPECT_EQ(back.m[3][2], 5.0f);
    // A failing state call is logged as a DX error.
    system.Faults().FailCall("SetRenderState", 1, E_FAIL);
    renderer.SetCullMode(1);
    EXPECT_TRUE(Logged("DX Error:  (0x80004005), File dxdisplayhandler"));
}

TEST_F(TRendererStatesTest, Perspective_FromTheViewportAndItsCut) {
    renderer.SetPerspective(1.0f, 100.0f, 1.0f, 0.0f);
    TMat4 expected;
    expected.SetPerspective(1.0f, 100.0f, 1.0f, 600.0f / 800.0f, TVec2(0, 0));
    EXPECT_EQ(0, std::memcmp(renderer.GetProjection().m, expected.m, sizeof(expected.m)));
    // A clip cutting the lower half: the field narrows and the centre moves.
    graphics->PushClipRect(TRect(0, 0, 800, 300));
    renderer.SetPerspective(1.0f, 100.0f, 1.0f, 0.0f);
    TMat4 cut;
    cut.SetPerspective(1.0f, 100.0f, 2.0f * std::atan(std::tan(0.5f) * 0.5f), 300.0f / 800.0f,
                       TVec2(0.0f, -300.0f / 600.0f));
    EXPECT_EQ(0, std::memcmp(renderer.GetProjection().m, cut.m, sizeof(cut.m)));
    EXPECT_EQ(Device().State().projection.m[1][1], cut.m[1][1]);
}

TEST_F(TRendererStatesTest, Begin2dAnd3dStates) {
    ASSERT_TRUE(renderer.Begin3dStates());
    EXPECT_EQ(R(RenderState::SpecularEnable), 1u);
    EXPECT_EQ(R(RenderState::Clipping), 1u);
    EXPECT_EQ(R(RenderState::ZEnable), 1u);
    EXPECT_EQ(R(RenderState::CullMode), gfx::kCullCounterClockwise);
    EXPECT_EQ(S(StageState::AddressU), gfx::kAddressWrap);
    ASSERT_TRUE(renderer.Begin2dStates());
    EXPECT_EQ(R(RenderState::SpecularEnable), 0u);
    EXPECT_EQ(R(RenderState::Clipping), 0u);
    EXPECT_EQ(R(RenderState::ZEnable), 0u);
    EXPECT_EQ(R(RenderState::ZWriteEnable), 0u);
    EXPECT_EQ(R(RenderState::CullMode), gfx::kCullNone);
    EXPECT_EQ(S(StageState::AddressV), gfx::kAddressClamp);
    EXPECT_EQ(S(StageState::MinFilter), gfx::kFilterLinear);
    EXPECT_EQ(renderer.GetBlendMode(), 0);
    EXPECT_TRUE(renderer.IsProjectionDirty());
}

TEST_F(TRendererStatesTest, RenderHints_16BitModeFromTheDisplayDepth) {
    EXPECT_EQ(renderer.GetRenderHint("16bitmode"), TString("0"));
    ASSERT_TRUE(renderer.SetDisplay(640, 480, true, true, false, false));
    // Full screen at 32 bits here; low memory video forces 16.
    renderer.GetDisplaySetup()->OnOutOfVideoMemory();
    EXPECT_EQ(renderer.GetRenderHint("16bitmode"), TString("1"));
    renderer.SetRenderHint("hint_antialias", "1");
    EXPECT_EQ(renderer.GetRenderHint("hint_antialias"), TString("1"));
    EXPECT_EQ(renderer.GetRenderHint("unknown"), TString());
}

} // namespace
