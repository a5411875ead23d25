#include "GlProbe.h"

#include "platform/graphics/DeviceMatrix.h"
#include "platform/graphics/gl/GlSurfaces.h"

#include <cmath>

using namespace platform;
using support::GlProbe;
using support::ScreenVertex;

namespace {

using GlDeviceTest = GlProbe;

// Channel arithmetic of the blend table, in 0..255.
uint32_t Mix(uint32_t s, uint32_t d, double (*f)(double s, double d, double a)) {
    const double a = (s >> 24) / 255.0;
    uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const double c = f(((s >> shift) & 0xFF) / 255.0, ((d >> shift) & 0xFF) / 255.0, a);
        out |= static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)) << shift;
    }
    return out;
}

TEST_F(GlDeviceTest, BlendModes_OverAKnownBackground) {
    const uint32_t background = 0xFF406080;
    const uint32_t source = 0x80C0A020;
    const struct {
        const char* name;
        bool blend;
        uint32_t src, dest;
        double (*f)(double s, double d, double a);
    } cases[] = {
        {"alpha", true, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha,
         [](double s, double d, double a) { return s * a + d * (1 - a); }},
        {"opaque", false, gfx::kBlendOne, gfx::kBlendZero,
         [](double s, double, double) { return s; }},
        {"additive", true, gfx::kBlendSrcAlpha, gfx::kBlendOne,
         [](double s, double d, double a) { return s * a + d; }},
        {"subtractive", true, gfx::kBlendZero, gfx::kBlendInvSrcColor,
         [](double s, double d, double) { return d * (1 - s); }},
        {"multiply", true, gfx::kBlendZero, gfx::kBlendSrcColor,
         [](double s, double d, double) { return d * s; }},
    };
    Background(background);
    float x = 0;
    for (const auto& c : cases) {
        device->SetRenderState(RenderState::AlphaBlendEnable, c.blend);
        device->SetRenderState(RenderState::SrcBlend, c.src);
        device->SetRenderState(RenderState::DestBlend, c.dest);
        Quad(x, 0, x + 16, 16, source);
        x += 20;
    }
    x = 0;
    for (const auto& c : cases) {
        EXPECT_TRUE(Near(Pixel(static_cast<int32_t>(x) + 8, 8), Mix(source, background, c.f)))
            << c.name;
        x += 20;
    }
}

// A picture without alpha under opaque vertices, drawn with the alpha blend
// on, writes its own pixels; GL draws it without blending. Anything that
// brings alpha below 1 (the vertices, the texture factor) still blends.
TEST_F(GlDeviceTest, AlphaBlend_OfAnOpaqueBatchWritesTheSourceAndSkipsTheBlend) {
    SurfacePtr picture;
    int32_t w = 2, h = 2;
    PixelFormat format = PixelFormat::X8R8G8B8();
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, picture), kGfxOk);
    // The top byte of a picture without alpha means nothing.
    const uint32_t pixels[4] = {0x00C0A020, 0x00C0A020, 0x12C0A020, 0x12C0A020};
    ASSERT_EQ(display->LoadTextureFromMemory(*picture, pixels, 2, 2, 8, LoadFilter::Point), kGfxOk);
    const uint32_t background = 0xFF406080;
    Background(background);
    device->SetTexture(0, picture);
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device->SetRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    Quad(0, 0, 16, 16, 0xFFFFFFFF);
    device->Flush();
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "an opaque batch is drawn without blending";
    Quad(20, 0, 36, 16, 0x80FFFFFF);
    device->Flush();
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "vertices with alpha blend";
    device->SetStageState(0, StageState::AlphaArg2, gfx::kArgFactor);
    device->SetRenderState(RenderState::TextureFactor, 0x80FFFFFF);
    Quad(40, 0, 56, 16, 0xFFFFFFFF);
    device->Flush();
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "a texture factor with alpha blends";
    device->SetRenderState(RenderState::TextureFactor, 0xFFFFFFFF);
    Quad(60, 0, 76, 16, 0x80FFFFFF);
    device->Flush();
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "the vertices' alpha is not read";
    const auto alpha = [](double s, double d, double a) { return s * a + d * (1 - a); };
    EXPECT_EQ(Pixel(8, 8), 0xFFC0A020u);
    EXPECT_TRUE(Near(Pixel(28, 8), Mix(0x80C0A020, background, alpha)));
    EXPECT_TRUE(Near(Pixel(48, 8), Mix(0x80C0A020, background, alpha)));
    EXPECT_EQ(Pixel(68, 8), 0xFFC0A020u);
}

// Pictures with alpha keep the blend whatever their pixels are.
TEST_F(GlDeviceTest, AlphaBlend_OfAPictureWithAlphaStaysOn) {
    const SurfacePtr picture = Texture(1, 1, {0x80C0A020});
    const uint32_t background = 0xFF406080;
    Background(background);
    device->SetTexture(0, picture);
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device->SetRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    Quad(0, 0, 16, 16, 0xFFFFFFFF);
    device->Flush();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(Near(Pixel(8, 8), Mix(0x80C0A020, background, [](double s, double d, double a) {
                         return s * a + d * (1 - a);
                     })));
}

TEST_F(GlDeviceTest, StageOperations_WithAndWithoutTexture) {
    const SurfacePtr grey = Texture(2, 2, {0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080});
    const uint32_t diffuse = 0xFFFF8000;
    const struct {
        const char* name;
        bool textured;
        uint32_t op;
        uint32_t expected;
    } cases[] = {
        {"modulate with texture", true, gfx::kOpModulate, 0xFF804000},
        {"modulate without texture", false, gfx::kOpModulate, 0xFFFF8000},
        {"select texture", true, gfx::kOpSelectArg1, 0xFF808080},
        {"select unbound texture reads white", false, gfx::kOpSelectArg1, 0xFFFFFFFF},
    };
    Background(0xFF000000);
    float x = 0;
    for (const auto& c : cases) {
        device->SetTexture(0, c.textured ? grey : nullptr);
        device->SetStageState(0, StageState::ColorOp, c.op);
        Quad(x, 0, x + 16, 16, diffuse);
        x += 20;
    }
    x = 0;
    for (const auto& c : cases) {
        EXPECT_TRUE(Near(Pixel(static_cast<int32_t>(x) + 8, 8), c.expected)) << c.name;
        x += 20;
    }
}

TEST_F(GlDeviceTest, AlphaReplicate_SpreadsAlphaOverTheColour) {
    Background(0xFF000000);
    device->SetStageState(0, StageState::ColorArg1, gfx::kArgDiffuse | gfx::kArgAlphaReplicate);
    device->SetStageState(0, StageState::ColorOp, gfx::kOpSelectArg1);
    Quad(0, 0, 16, 16, 0x80FF0000);
    const SurfacePtr texture = Texture(1, 1, {0x40FFFFFF});
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::ColorArg1, gfx::kArgTexture | gfx::kArgAlphaReplicate);
    Quad(20, 0, 36, 16, 0xFF00FF00);
    EXPECT_TRUE(Near(Pixel(8, 8), 0xFF808080));
    EXPECT_TRUE(Near(Pixel(28, 8), 0xFF404040));
}

TEST_F(GlDeviceTest, AlphaTest_GreaterOrEqualOne_DropsOnlyClearPixels) {
    Background(0xFF0000FF);
    device->SetRenderState(RenderState::AlphaTestEnable, 1);
    device->SetRenderState(RenderState::AlphaRef, 1);
    device->SetRenderState(RenderState::AlphaFunc, gfx::kCmpGreaterEqual);
    Quad(0, 0, 16, 16, 0x00FF0000);
    Quad(20, 0, 36, 16, 0x01FF0000);
    EXPECT_TRUE(Near(Pixel(8, 8), 0xFF0000FF)) << "alpha 0 is not drawn";
    EXPECT_TRUE(Near(Pixel(28, 8), 0xFFFF0000)) << "alpha 1 is drawn";
}

// The test against alpha 1 under every blend: clear fragments never show,
// nor write depth, whether the program drops them or the blend does.
TEST_F(GlDeviceTest, AlphaTest_ClearFragmentsChangeNothingUnderAnyBlend) {
    struct Case {
        const char* name;
        uint32_t blend, src, dest;
        bool depth; // test and write depth
    };
    const Case cases[] = {
        {"alpha blend", 1, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha, false},
        {"additive", 1, gfx::kBlendSrcAlpha, gfx::kBlendOne, false},
        {"no blend", 0, gfx::kBlendOne, gfx::kBlendZero, false},
        {"source only", 1, gfx::kBlendOne, gfx::kBlendZero, false},
        {"alpha blend writing depth", 1, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha, true},
        {"additive writing depth", 1, gfx::kBlendSrcAlpha, gfx::kBlendOne, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Background(0xFF0000FF);
        device->SetRenderState(RenderState::ZEnable, c.depth ? 1 : 0);
        device->SetRenderState(RenderState::ZWriteEnable, c.depth ? 1 : 0);
        device->SetRenderState(RenderState::ZFunc, gfx::kCmpLessEqual);
        device->SetRenderState(RenderState::AlphaBlendEnable, c.blend);
        device->SetRenderState(RenderState::SrcBlend, c.src);
        device->SetRenderState(RenderState::DestBlend, c.dest);
        device->SetRenderState(RenderState::AlphaTestEnable, 1);
        device->SetRenderState(RenderState::AlphaRef, 1);
        device->SetRenderState(RenderState::AlphaFunc, gfx::kCmpGreaterEqual);
        Quad(0, 0, 16, 16, 0x00FF0000, 0.3f);
        EXPECT_TRUE(Near(Pixel(8, 8), 0xFF0000FF)) << "a clear quad shows";
        // Behind the clear quad: drawn only when the clear one left no depth.
        device->SetRenderState(RenderState::AlphaBlendEnable, 0);
        Quad(0, 0, 16, 16, 0xFF00FF00, 0.5f);
        EXPECT_TRUE(Near(Pixel(8, 8), 0xFF00FF00)) << "a clear quad wrote depth";
    }
}

TEST_F(GlDeviceTest, Filters_PointKeepsTexelsLinearBlendsThem) {
    const SurfacePtr texture = Texture(2, 1, {0xFF000000, 0xFFFFFFFF});
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::AddressU, gfx::kAddressClamp);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterPoint);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterPoint);
    Quad(0, 0, 64, 8, 0xFFFFFFFF);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterLinear);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterLinear);
    Quad(0, 10, 64, 18, 0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(31, 4), 0xFF000000));
    EXPECT_TRUE(Near(Pixel(32, 4), 0xFFFFFFFF));
    EXPECT_TRUE(Near(Pixel(8, 14), 0xFF000000)) << "clamped at the edge";
    const uint32_t middle = Pixel(32, 14) & 0xFF;
    EXPECT_GT(middle, 0x60u);
    EXPECT_LT(middle, 0xA0u);
}

TEST_F(GlDeviceTest, Addressing_ClampWrapAndMirror) {
    const SurfacePtr texture = Texture(2, 1, {0xFF000000, 0xFFFFFFFF});
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterPoint);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterPoint);
    const struct {
        uint32_t mode;
        uint32_t at125, at175; // u = 1.25 and 1.75
    } cases[] = {
        {gfx::kAddressClamp, 0xFFFFFFFF, 0xFFFFFFFF},
        {gfx::kAddressWrap, 0xFF000000, 0xFFFFFFFF},
        {gfx::kAddressMirror, 0xFFFFFFFF, 0xFF000000},
    };
    float y = 0;
    for (const auto& c : cases) {
        device->SetStageState(0, StageState::AddressU, c.mode);
        // u runs 0..2 over 64 pixels.
        Quad(0, y, 64, y + 8, 0xFFFFFFFF, 0.5f, 0.0f, 0.0f, 2.0f, 1.0f);
        y += 10;
    }
    y = 0;
    for (const auto& c : cases) {
        const int32_t row = static_cast<int32_t>(y) + 4;
        EXPECT_TRUE(Near(Pixel(8, row), 0xFF000000)) << c.mode;
        EXPECT_TRUE(Near(Pixel(24, row), 0xFFFFFFFF)) << c.mode;
        EXPECT_TRUE(Near(Pixel(40, row), c.at125)) << c.mode;
        EXPECT_TRUE(Near(Pixel(56, row), c.at175)) << c.mode;
        y += 10;
    }
}

TEST_F(GlDeviceTest, LineList_LightsOneRow) {
    Background(0xFF000000);
    const ScreenVertex line[2] = {{5, 20, 0.5f, 1, 0xFF00FF00, 0, 0, 0},
                                  {50, 20, 0.5f, 1, 0xFF00FF00, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(gfx::kLineList, gfx::kFvfScreenColorTex, line, 2, 0), kGfxOk);
    EXPECT_TRUE(Near(Pixel(10, 20), 0xFF00FF00));
    EXPECT_TRUE(Near(Pixel(45, 20), 0xFF00FF00));
    EXPECT_TRUE(Near(Pixel(10, 19), 0xFF000000));
    EXPECT_TRUE(Near(Pixel(10, 21), 0xFF000000));
    EXPECT_TRUE(Near(Pixel(51, 20), 0xFF000000));
}

TEST_F(GlDeviceTest, CullModes_JudgeTheWindingAsSeenOnScreen) {
    const struct {
        uint32_t mode;
        bool clockwiseShown, counterShown;
    } cases[] = {
        {gfx::kCullNone, true, true},
        {gfx::kCullClockwise, false, true},
        {gfx::kCullCounterClockwise, true, false},
    };
    float y = 0;
    for (const auto& c : cases) {
        device->SetRenderState(RenderState::CullMode, c.mode);
        // Clockwise on screen (y down): right, then down-left.
        const ScreenVertex clockwise[3] = {{0, y, 0.5f, 1, 0xFFFF0000, 0, 0, 0},
                                           {20, y, 0.5f, 1, 0xFFFF0000, 0, 0, 0},
                                           {0, y + 20, 0.5f, 1, 0xFFFF0000, 0, 0, 0}};
        const ScreenVertex counter[3] = {{40, y, 0.5f, 1, 0xFF00FF00, 0, 0, 0},
                                         {40, y + 20, 0.5f, 1, 0xFF00FF00, 0, 0, 0},
                                         {60, y, 0.5f, 1, 0xFF00FF00, 0, 0, 0}};
        device->DrawPrimitive(gfx::kTriangleList, gfx::kFvfScreenColorTex, clockwise, 3, 0);
        device->DrawPrimitive(gfx::kTriangleList, gfx::kFvfScreenColorTex, counter, 3, 0);
        y += 30;
    }
    y = 0;
    for (const auto& c : cases) {
        const int32_t row = static_cast<int32_t>(y) + 4;
        EXPECT_EQ(Near(Pixel(4, row), 0xFFFF0000), c.clockwiseShown) << c.mode;
        EXPECT_EQ(Near(Pixel(44, row), 0xFF00FF00), c.counterShown) << c.mode;
        y += 30;
    }
}

TEST_F(GlDeviceTest, PixelCentres_AOnePixelQuadLightsExactlyItsPixel) {
    const struct {
        const char* name;
        float left, top;
    } cases[] = {
        {"whole coordinates", 10.0f, 10.0f},
        {"half-way coordinates", 9.5f, 9.5f},
    };
    for (const auto& c : cases) {
        Background(0xFF000000);
        Quad(c.left, c.top, c.left + 1, c.top + 1, 0xFFFFFFFF);
        EXPECT_TRUE(Near(Pixel(10, 10), 0xFFFFFFFF)) << c.name;
        for (const auto& [x, y] : {std::pair{9, 10}, {11, 10}, {10, 9}, {10, 11}, {9, 9}, {11, 11}})
            EXPECT_TRUE(Near(Pixel(x, y), 0xFF000000)) << c.name << " at " << x << "," << y;
    }
}

TEST_F(GlDeviceTest, OrthographicProjection_DrawsInPixelsWithTheTexelOffsetFound) {
    // A 16 x 16 texture with black corners, as the texel calibration draws
    // it; the offset -0.5 puts each texel on its pixel.
    std::vector<uint32_t> pixels(256, 0xFFFFFFFF);
    pixels[0] = pixels[255] = 0xFF000000;
    const SurfacePtr texture = Texture(16, 16, pixels);
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterPoint);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterPoint);
    const float t = -0.5f;
    DeviceMatrix projection =
        MatrixOrthoOffCenterLH(-t, kWidth - t, kHeight - t, -t, 0.1f, 1000.0f);
    projection.m[2][2] = projection.m[3][3] = 1.0f;
    projection.m[2][3] = projection.m[3][2] = 0.0f;
    device->SetTransform(TransformKind::Projection, projection);
    struct Vertex {
        float x, y, z, reserved;
        uint32_t diffuse, specular;
        float u, v;
    };
    const Vertex quad[4] = {{32, 16, 0.1f, 0.5f, 0xFFFFFFFF, 0, 0, 0},
                            {48, 16, 0.1f, 0.5f, 0xFFFFFFFF, 0, 1, 0},
                            {48, 32, 0.1f, 0.5f, 0xFFFFFFFF, 0, 1, 1},
                            {32, 32, 0.1f, 0.5f, 0xFFFFFFFF, 0, 0, 1}};
    Background(0xFF0000FF);
    ASSERT_EQ(device->DrawPrimitive(gfx::kTriangleFan, gfx::kFvfColorTex, quad, 4, 0), kGfxOk);
    EXPECT_TRUE(Near(Pixel(32, 16), 0xFF000000));
    EXPECT_TRUE(Near(Pixel(47, 31), 0xFF000000));
    EXPECT_TRUE(Near(Pixel(33, 16), 0xFFFFFFFF));
    EXPECT_TRUE(Near(Pixel(31, 16), 0xFF0000FF));
    EXPECT_TRUE(Near(Pixel(48, 31), 0xFF0000FF));
}

TEST_F(GlDeviceTest, Depth_LessOrEqualPassesEqualAndStopsFarther) {
    device->SetRenderState(RenderState::ZEnable, 1);
    device->SetRenderState(RenderState::ZWriteEnable, 1);
    device->SetRenderState(RenderState::ZFunc, gfx::kCmpLessEqual);
    Background(0xFF000000);
    Quad(0, 0, 16, 16, 0xFFFF0000, 0.5f);
    Quad(0, 0, 16, 16, 0xFF00FF00, 0.5f);
    Quad(0, 0, 16, 16, 0xFF0000FF, 0.7f);
    Quad(20, 0, 36, 16, 0xFF0000FF, 0.7f);
    Quad(20, 0, 36, 16, 0xFFFF0000, 0.3f);
    EXPECT_TRUE(Near(Pixel(8, 8), 0xFF00FF00));
    EXPECT_TRUE(Near(Pixel(28, 8), 0xFFFF0000));
}

// The depth buffer is attached only while depth is used; the value of a
// whole clear made while it is detached is the one found when it comes back.
TEST_F(GlDeviceTest, Depth_DetachedBufferKeepsTheValueOfItsLastWholeClear) {
    auto* back = dynamic_cast<GlBackBuffer*>(backBuffer.get());
    ASSERT_NE(back, nullptr);
    Background(0xFF000000);
    Quad(0, 0, 16, 16, 0xFFFF0000);
    device->Flush();
    EXPECT_FALSE(back->IsDepthAttached()) << "2-D drawing needs no depth buffer";

    // Cleared to 0.2 while detached: nothing at 0.5 passes a less-than test.
    ASSERT_EQ(device->Clear(gfx::kClearZBuffer, 0, 0.2f, 0), kGfxOk);
    device->SetRenderState(RenderState::ZEnable, 1);
    device->SetRenderState(RenderState::ZWriteEnable, 1);
    device->SetRenderState(RenderState::ZFunc, gfx::kCmpLess);
    Quad(20, 0, 36, 16, 0xFF00FF00, 0.5f);
    Quad(40, 0, 56, 16, 0xFF0000FF, 0.1f);
    device->Flush();
    EXPECT_TRUE(back->IsDepthAttached());
    EXPECT_TRUE(Near(Pixel(28, 8), 0xFF000000)) << "0.5 is behind 0.2";
    EXPECT_TRUE(Near(Pixel(48, 8), 0xFF0000FF)) << "0.1 is in front of 0.2";

    // A whole clear detaches it again; the depths written before are gone.
    ASSERT_EQ(device->Clear(gfx::kClearZBuffer, 0, 1.0f, 0), kGfxOk);
    EXPECT_FALSE(back->IsDepthAttached());
    Quad(20, 0, 36, 16, 0xFFFFFF00, 0.9f);
    Quad(20, 0, 36, 16, 0xFFFF00FF, 0.95f);
    EXPECT_TRUE(Near(Pixel(28, 8), 0xFFFFFF00)) << "0.9 passes over 1.0, then hides 0.95";
}

// A clear of part of the depth buffer is made in it; the rest keeps its depths.
TEST_F(GlDeviceTest, Depth_PartialClearLeavesTheRestAsDrawn) {
    device->SetRenderState(RenderState::ZEnable, 1);
    device->SetRenderState(RenderState::ZWriteEnable, 1);
    device->SetRenderState(RenderState::ZFunc, gfx::kCmpLess);
    Background(0xFF000000);
    Quad(0, 0, 64, 16, 0xFFFF0000, 0.3f);
    ASSERT_EQ(device->SetViewport(Viewport{32, 0, 32, 16, 0.0f, 1.0f}), kGfxOk);
    ASSERT_EQ(device->Clear(gfx::kClearZBuffer, 0, 1.0f, 0), kGfxOk);
    ASSERT_EQ(device->SetViewport(Viewport{0, 0, kWidth, kHeight, 0.0f, 1.0f}), kGfxOk);
    Quad(0, 0, 64, 16, 0xFF00FF00, 0.5f);
    EXPECT_TRUE(Near(Pixel(8, 8), 0xFFFF0000)) << "0.5 stays behind 0.3";
    EXPECT_TRUE(Near(Pixel(40, 8), 0xFF00FF00)) << "cleared to 1.0 there";
}

TEST_F(GlDeviceTest, FlatShading_TakesTheFirstVertexColour) {
    device->SetRenderState(RenderState::ShadeMode, gfx::kShadeFlat);
    const ScreenVertex triangle[3] = {{0, 0, 0.5f, 1, 0xFFFF0000, 0, 0, 0},
                                      {40, 0, 0.5f, 1, 0xFF0000FF, 0, 0, 0},
                                      {0, 40, 0.5f, 1, 0xFF0000FF, 0, 0, 0}};
    device->DrawPrimitive(gfx::kTriangleList, gfx::kFvfScreenColorTex, triangle, 3, 0);
    EXPECT_TRUE(Near(Pixel(10, 10), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(30, 5), 0xFFFF0000));
}

TEST_F(GlDeviceTest, RenderTargetCopy_BringsTheBackBufferIntoATexture) {
    Background(0xFF000000);
    Quad(0, 0, 8, 8, 0xFFFF0000);
    int32_t w = 16, h = 16;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    const GfxRect area{0, 0, 16, 16};
    ASSERT_EQ(texture->BltFast(0, 0, *backBuffer, &area), kGfxOk);
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    EXPECT_TRUE(Near(ReadPixel(locked.format, locked.bits + 2 * locked.pitch + 2 * 4), 0xFFFF0000));
    EXPECT_TRUE(
        Near(ReadPixel(locked.format, locked.bits + 12 * locked.pitch + 12 * 4), 0xFF000000));
    ASSERT_EQ(texture->Unlock(), kGfxOk);
    // Drawn back elsewhere, the copy shows the same picture.
    device->SetTexture(0, texture);
    Quad(64, 32, 80, 48, 0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(66, 34), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(76, 44), 0xFF000000));
}

TEST_F(GlDeviceTest, DrawingIntoATexture_ReadsBackThroughItsLock) {
    int32_t w = 32, h = 32;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
    ASSERT_EQ(device->SetRenderTarget(texture), kGfxOk);
    Background(0x00000000);
    Quad(4, 4, 12, 12, 0xFF00FF00);
    ASSERT_EQ(device->SetRenderTarget(backBuffer), kGfxOk);
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    EXPECT_EQ(ReadPixel(locked.format, locked.bits + 4 * locked.pitch + 4 * 4), 0xFF00FF00u);
    EXPECT_EQ(ReadPixel(locked.format, locked.bits + 12 * locked.pitch + 12 * 4), 0x00000000u);
    // Written in memory, it goes up again at the next draw.
    WritePixel(locked.format, locked.bits + 20 * locked.pitch + 20 * 4, 0xFFFF0000);
    ASSERT_EQ(texture->Unlock(), kGfxOk);
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterPoint);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterPoint);
    Background(0xFF000000);
    Quad(0, 0, 32, 32, 0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(20, 20), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(5, 5), 0xFF00FF00));
}

// A whole picture goes up from the caller's rows (a pitch wider than the
// picture included) without a memory copy, as each format stores it; a
// lock reads it back from GL.
TEST_F(GlDeviceTest, LoadedPicture_GoesUpWithoutAMemoryCopyAsTheFormatStoresIt) {
    constexpr int32_t kSide = 8;
    constexpr int32_t kRowWords = 12;
    std::vector<uint32_t> rows(static_cast<size_t>(kRowWords) * kSide, 0xDEADBEEFu);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            rows[static_cast<size_t>(y) * kRowWords + x] =
                (static_cast<uint32_t>(x * 32) << 24) | (static_cast<uint32_t>(y * 30) << 16) |
                (0x5Au << 8) | static_cast<uint32_t>(x * 7 + y);
    for (const PixelFormat& wanted :
         {PixelFormat::A8R8G8B8(), PixelFormat::X8R8G8B8(), PixelFormat::A4R4G4B4()}) {
        int32_t w = kSide, h = kSide;
        PixelFormat format = wanted;
        SurfacePtr texture;
        ASSERT_EQ(display->CreateTexture(w, h, 1, format, texture), kGfxOk);
        ASSERT_EQ(display->LoadTextureFromMemory(*texture, rows.data(), kSide, kSide,
                                                 kRowWords * 4, LoadFilter::Point),
                  kGfxOk);
        auto* gl = dynamic_cast<GlTexture*>(texture.get());
        ASSERT_TRUE(gl);
        EXPECT_FALSE(gl->HasPixels()) << format.bitCount;
        LockedSurface locked;
        ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) {
                const uint32_t given = rows[static_cast<size_t>(y) * kRowWords + x];
                ASSERT_EQ(ReadPixel(locked.format,
                                    locked.bits + y * locked.pitch + x * format.BytesPerPixel()),
                          gl->StoredColour(given))
                    << format.bitCount << " at " << x << "," << y;
            }
        ASSERT_EQ(texture->Unlock(), kGfxOk);
    }
}

TEST_F(GlDeviceTest, SharedState_ReachesGlAsOneDraw) {
    Background(0xFF000000);
    device->Flush();
    const uint32_t before = device->GlDrawCalls();
    for (int i = 0; i < 100; ++i)
        Quad(static_cast<float>(i % 10) * 10, static_cast<float>(i / 10) * 8,
             static_cast<float>(i % 10) * 10 + 8, static_cast<float>(i / 10) * 8 + 6,
             0xFF000000u | static_cast<uint32_t>(i));
    ASSERT_EQ(device->EndScene(), kGfxOk);
    EXPECT_EQ(device->GlDrawCalls(), before + 1);
    EXPECT_TRUE(Near(Pixel(92, 76), 0xFF000063));
    ASSERT_EQ(device->BeginScene(), kGfxOk);
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    Quad(0, 0, 4, 4, 0xFFFFFFFF);
    device->SetRenderState(RenderState::AlphaBlendEnable, 0);
    Quad(0, 0, 4, 4, 0xFFFFFFFF);
    device->EndScene();
    EXPECT_EQ(device->GlDrawCalls(), before + 3);
}

// A texture changed after a draw that samples it, before that draw reaches
// GL, leaves the draw with the picture it had.
TEST_F(GlDeviceTest, TextureChangedAfterADraw_KeepsThatDrawsPicture) {
    const SurfacePtr texture = Texture(2, 2, std::vector<uint32_t>(4, 0xFFFF0000));
    Background(0xFF000000);
    device->SetTexture(0, texture);
    Quad(0, 0, 8, 8, 0xFFFFFFFF);
    // Through a lock, then through a load, between draws gathered together.
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            WritePixel(locked.format, locked.bits + y * locked.pitch + x * 4, 0xFF00FF00);
    ASSERT_EQ(texture->Unlock(), kGfxOk);
    Quad(10, 0, 18, 8, 0xFFFFFFFF);
    const std::vector<uint32_t> blue(4, 0xFF0000FF);
    ASSERT_EQ(display->LoadTextureFromMemory(*texture, blue.data(), 2, 2, 8, LoadFilter::Point),
              kGfxOk);
    Quad(20, 0, 28, 8, 0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(4, 4), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(14, 4), 0xFF00FF00));
    EXPECT_TRUE(Near(Pixel(24, 4), 0xFF0000FF));
}

// A loaded picture lives in GL only: a lock brings it back whole, every
// level, and a smaller picture loaded later leaves the rest as it was.
TEST_F(GlDeviceTest, LoadedTexture_KeepsNoMemoryCopyUntilLocked) {
    int32_t w = 4, h = 4;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    ASSERT_EQ(display->CreateTexture(w, h, 0, format, texture), kGfxOk);
    auto gl = std::dynamic_pointer_cast<GlTexture>(texture);
    ASSERT_TRUE(gl);
    EXPECT_FALSE(gl->HasPixels()) << "a new texture has nothing to keep yet";
    uint32_t pixels[16];
    for (int i = 0; i < 16; ++i)
        pixels[i] = (i % 4) < 2 ? 0xFFFFFFFF : 0x80000000;
    ASSERT_EQ(display->LoadTextureFromMemory(*texture, pixels, 4, 4, 16, LoadFilter::Linear),
              kGfxOk);
    EXPECT_FALSE(gl->HasPixels());
    const uint32_t red[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
    ASSERT_EQ(display->LoadTextureFromMemory(*texture, red, 2, 2, 8, LoadFilter::Linear), kGfxOk);
    LockedSurface locked;
    ASSERT_EQ(texture->Lock(nullptr, locked), kGfxOk);
    EXPECT_TRUE(gl->HasPixels());
    EXPECT_EQ(ReadPixel(locked.format, locked.bits), 0xFFFF0000u);
    EXPECT_EQ(ReadPixel(locked.format, locked.bits + locked.pitch * 3 + 4 * 1), 0xFFFFFFFFu);
    EXPECT_EQ(ReadPixel(locked.format, locked.bits + locked.pitch * 3 + 4 * 3), 0x80000000u);
    ASSERT_EQ(texture->Unlock(), kGfxOk);
    // The smallest level, made from the first: the mean of all sixteen.
    EXPECT_EQ(gl->PixelAt(0, 0, 2), 0xC0804040u);
    // Drawn, the picture is the one loaded.
    device->SetTexture(0, texture);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterPoint);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterPoint);
    Background(0xFF000000);
    Quad(0, 0, 16, 16, 0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(2, 2), 0xFFFF0000));
    EXPECT_TRUE(Near(Pixel(6, 14), 0xFFFFFFFF));
    EXPECT_TRUE(Near(Pixel(13, 2), 0xFF000000));
}

TEST_F(GlDeviceTest, LitVertices_TakeTheAmbientLightOnTheMaterial) {
    device->SetRenderState(RenderState::Lighting, 1);
    device->SetRenderState(RenderState::Ambient, 0xFFFFFFFF);
    Material material;
    material.diffuse = {1, 1, 1, 1};
    material.ambient = {0.5f, 0.5f, 0.5f, 1};
    device->SetMaterial(material);
    DeviceMatrix projection = MatrixOrthoOffCenterLH(0, kWidth, kHeight, 0, 0.0f, 1.0f);
    device->SetTransform(TransformKind::Projection, projection);
    const float mesh[3][8] = {
        {0, 0, 0.5f, 0, 0, -1, 0, 0}, {40, 0, 0.5f, 0, 0, -1, 1, 0}, {0, 40, 0.5f, 0, 0, -1, 0, 1}};
    const uint16_t indices[3] = {0, 1, 2};
    Background(0xFF000000);
    ASSERT_EQ(device->DrawIndexedPrimitive(gfx::kTriangleList, gfx::kFvfNormalTex, mesh, 3, indices,
                                           3, 0),
              kGfxOk);
    EXPECT_TRUE(Near(Pixel(8, 8), 0xFF808080));
}

TEST_F(GlDeviceTest, ProgramsAreMadeOncePerCombination) {
    for (int i = 0; i < 3; ++i) {
        device->SetStageState(0, StageState::ColorOp, gfx::kOpSelectArg1);
        Quad(0, 0, 4, 4, 0xFFFFFFFF);
        device->SetStageState(0, StageState::ColorOp, gfx::kOpModulate);
        Quad(0, 0, 4, 4, 0xFFFFFFFF);
    }
    device->Flush();
    EXPECT_EQ(device->ProgramCount(), 2u);
}

TEST_F(GlDeviceTest, InjectedLoss_FailsTheSceneUntilSurfacesAreRestored) {
    device->EndScene();
    system->Faults().LoseSurfacesAt("BeginScene", 1);
    EXPECT_EQ(device->BeginScene(), DDERR_SURFACELOST);
    EXPECT_EQ(backBuffer->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(display->RestoreAllSurfaces(), kGfxOk);
    EXPECT_EQ(device->BeginScene(), kGfxOk);
}

} // namespace
