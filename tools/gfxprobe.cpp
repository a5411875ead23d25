// gfxprobe OUT.png: draws the graphics layer's test card (1024 x 768) on the
// GL back end and writes the back buffer as a PNG. Works under the offscreen
// video driver. Rows of the card, top to bottom: the five blend modes over a
// striped background; the stage operations (modulate and select, with and
// without a texture, alpha spread over colour, alpha test); point and linear
// filtering with clamp, wrap and mirror addressing; the cull modes with a
// triangle of each winding; lines, one-pixel quads and depth; a texture
// copied out of the back buffer and drawn again.

#include "platform/graphics/DeviceMatrix.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"

#include <cstdio>
#include <vector>

using namespace platform;

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

struct Vertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};

class Card {
public:
    Card(GraphicsDisplay& display, GraphicsDevice& device) : mDisplay(display), mDevice(device) {}

    void Quad(float l, float t, float r, float b, uint32_t colour, float z = 0.5f, float u1 = 1.0f,
              float v1 = 1.0f) {
        const Vertex v[4] = {{l, t, z, 1, colour, 0, 0, 0},
                             {r, t, z, 1, colour, 0, u1, 0},
                             {r, b, z, 1, colour, 0, u1, v1},
                             {l, b, z, 1, colour, 0, 0, v1}};
        mDevice.DrawPrimitive(gfx::kTriangleFan, gfx::kFvfScreenColorTex, v, 4, 0);
    }

    void Triangle(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour) {
        const Vertex v[3] = {{x0, y0, 0.5f, 1, colour, 0, 0, 0},
                             {x1, y1, 0.5f, 1, colour, 0, 0, 0},
                             {x2, y2, 0.5f, 1, colour, 0, 0, 0}};
        mDevice.DrawPrimitive(gfx::kTriangleList, gfx::kFvfScreenColorTex, v, 3, 0);
    }

    SurfacePtr Texture(int32_t w, int32_t h, const std::vector<uint32_t>& pixels) {
        PixelFormat format = PixelFormat::A8R8G8B8();
        SurfacePtr texture;
        if (mDisplay.CreateTexture(w, h, 1, format, texture) == kGfxOk)
            mDisplay.LoadTextureFromMemory(*texture, pixels.data(), w, h, w * 4, LoadFilter::Point);
        return texture;
    }

    void Blend(bool on, uint32_t src, uint32_t dest) {
        mDevice.SetRenderState(RenderState::AlphaBlendEnable, on);
        mDevice.SetRenderState(RenderState::SrcBlend, src);
        mDevice.SetRenderState(RenderState::DestBlend, dest);
    }

    void Stage(uint32_t colorOp, uint32_t colorArg1) {
        mDevice.SetStageState(0, StageState::ColorOp, colorOp);
        mDevice.SetStageState(0, StageState::ColorArg1, colorArg1);
    }

    void Filter(uint32_t filter) {
        mDevice.SetStageState(0, StageState::MinFilter, filter);
        mDevice.SetStageState(0, StageState::MagFilter, filter);
    }

private:
    GraphicsDisplay& mDisplay;
    GraphicsDevice& mDevice;
};

void Draw(GraphicsDisplay& display, GraphicsDevice& device, SurfacePtr backBuffer) {
    Card card(display, device);
    device.SetRenderState(RenderState::Lighting, 0);
    device.SetRenderState(RenderState::ZEnable, 0);
    device.SetRenderState(RenderState::CullMode, gfx::kCullNone);
    device.SetStageState(0, StageState::ColorArg2, gfx::kArgDiffuse);
    device.SetStageState(0, StageState::AlphaOp, gfx::kOpModulate);
    device.SetStageState(0, StageState::AlphaArg1, gfx::kArgTexture);
    device.SetStageState(0, StageState::AlphaArg2, gfx::kArgDiffuse);
    card.Stage(gfx::kOpModulate, gfx::kArgTexture);
    device.Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF202020, 1.0f, 0);

    // Row 1: blend modes over stripes.
    card.Blend(false, gfx::kBlendOne, gfx::kBlendZero);
    for (int i = 0; i < 16; ++i)
        card.Quad(32.0f + i * 60, 24, 62.0f + i * 60, 144, i % 2 ? 0xFF406080 : 0xFFC0C0C0);
    const uint32_t modes[5][3] = {{1, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha},
                                  {0, gfx::kBlendOne, gfx::kBlendZero},
                                  {1, gfx::kBlendSrcAlpha, gfx::kBlendOne},
                                  {1, gfx::kBlendZero, gfx::kBlendInvSrcColor},
                                  {1, gfx::kBlendZero, gfx::kBlendSrcColor}};
    for (int i = 0; i < 5; ++i) {
        card.Blend(modes[i][0], modes[i][1], modes[i][2]);
        card.Quad(48.0f + i * 192, 40, 208.0f + i * 192, 128, 0x80E0A020);
    }

    // Row 2: stage operations.
    card.Blend(true, gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha);
    std::vector<uint32_t> gradient(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient[y * 64 + x] =
                (static_cast<uint32_t>(y * 4) << 24) | (x * 4 << 16) | (y * 4 << 8) | 0x80;
    const SurfacePtr texture = card.Texture(64, 64, gradient);
    const struct {
        bool textured;
        uint32_t op, arg;
    } stages[] = {{true, gfx::kOpModulate, gfx::kArgTexture},
                  {false, gfx::kOpModulate, gfx::kArgTexture},
                  {true, gfx::kOpSelectArg1, gfx::kArgTexture},
                  {false, gfx::kOpSelectArg1, gfx::kArgTexture},
                  {true, gfx::kOpSelectArg1, gfx::kArgTexture | gfx::kArgAlphaReplicate},
                  {false, gfx::kOpSelectArg1, gfx::kArgDiffuse | gfx::kArgAlphaReplicate}};
    for (int i = 0; i < 6; ++i) {
        device.SetTexture(0, stages[i].textured ? texture : nullptr);
        card.Stage(stages[i].op, stages[i].arg);
        card.Quad(48.0f + i * 128, 168, 160.0f + i * 128, 280, 0xC0FF8040);
    }
    card.Stage(gfx::kOpModulate, gfx::kArgTexture);
    device.SetTexture(0, texture);
    device.SetRenderState(RenderState::AlphaTestEnable, 1);
    device.SetRenderState(RenderState::AlphaRef, 0x80);
    device.SetRenderState(RenderState::AlphaFunc, gfx::kCmpGreaterEqual);
    card.Quad(816, 168, 976, 280, 0xFFFFFFFF);
    device.SetRenderState(RenderState::AlphaTestEnable, 0);

    // Row 3: filtering and addressing of a 4 x 4 checker.
    std::vector<uint32_t> checker(16);
    for (int i = 0; i < 16; ++i)
        checker[i] = ((i / 4 + i % 4) % 2) ? 0xFFFFFFFF : 0xFF3060C0;
    const SurfacePtr small = card.Texture(4, 4, checker);
    device.SetTexture(0, small);
    card.Blend(false, gfx::kBlendOne, gfx::kBlendZero);
    const uint32_t addressing[3] = {gfx::kAddressClamp, gfx::kAddressWrap, gfx::kAddressMirror};
    for (int f = 0; f < 2; ++f) {
        card.Filter(f ? gfx::kFilterLinear : gfx::kFilterPoint);
        for (int a = 0; a < 3; ++a) {
            device.SetStageState(0, StageState::AddressU, addressing[a]);
            device.SetStageState(0, StageState::AddressV, addressing[a]);
            const float x = 48.0f + (f * 3 + a) * 160;
            card.Quad(x, 304, x + 128, 432, 0xFFFFFFFF, 0.5f, 2.5f, 2.5f);
        }
    }
    device.SetTexture(0, nullptr);

    // Row 4: cull modes, a clockwise (red) and a counter-clockwise (green)
    // triangle under each.
    const uint32_t culls[3] = {gfx::kCullNone, gfx::kCullClockwise, gfx::kCullCounterClockwise};
    for (int c = 0; c < 3; ++c) {
        device.SetRenderState(RenderState::CullMode, culls[c]);
        const float x = 48.0f + c * 208;
        card.Triangle(x, 456, x + 88, 456, x, 560, 0xFFE03030);
        card.Triangle(x + 100, 456, x + 100, 560, x + 188, 456, 0xFF30E030);
    }
    device.SetRenderState(RenderState::CullMode, gfx::kCullNone);

    // Lines and one-pixel quads on a grid.
    std::vector<Vertex> lines;
    for (int i = 0; i <= 16; ++i) {
        const float p = 700.0f + i * 8;
        lines.push_back({p, 456, 0.5f, 1, 0xFFFFFF00, 0, 0, 0});
        lines.push_back({p, 584, 0.5f, 1, 0xFFFFFF00, 0, 0, 0});
        lines.push_back({700, 456.0f + i * 8, 0.5f, 1, 0xFF00FFFF, 0, 0, 0});
        lines.push_back({828, 456.0f + i * 8, 0.5f, 1, 0xFF00FFFF, 0, 0, 0});
    }
    device.DrawPrimitive(gfx::kLineList, gfx::kFvfScreenColorTex, lines.data(),
                         static_cast<uint32_t>(lines.size()), 0);
    for (int i = 0; i < 16; ++i)
        card.Quad(702.0f + i * 8, 458.0f + i * 8, 703.0f + i * 8, 459.0f + i * 8, 0xFFFFFFFF);

    // Depth: a far blue, a near red and an equal green square.
    device.SetRenderState(RenderState::ZEnable, 1);
    device.SetRenderState(RenderState::ZFunc, gfx::kCmpLessEqual);
    card.Quad(860, 456, 940, 536, 0xFF3040F0, 0.7f);
    card.Quad(880, 476, 960, 556, 0xFFF04030, 0.3f);
    card.Quad(900, 496, 980, 576, 0xFF30F040, 0.3f);
    device.SetRenderState(RenderState::ZEnable, 0);

    // Row 5: the blend row copied into a texture and drawn again, smaller.
    device.EndScene();
    int32_t w = 512, h = 128;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr copy;
    if (display.CreateTexture(w, h, 1, format, copy) == kGfxOk) {
        const GfxRect area{32, 16, 544, 144};
        copy->BltFast(0, 0, *backBuffer, &area);
    }
    device.BeginScene();
    device.SetTexture(0, copy);
    card.Filter(gfx::kFilterLinear);
    card.Stage(gfx::kOpSelectArg1, gfx::kArgTexture);
    card.Quad(48, 608, 304, 672, 0xFFFFFFFF);
    card.Quad(320, 608, 832, 736, 0xFFFFFFFF);
    device.SetTexture(0, nullptr);
    device.EndScene();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gfxprobe OUT.png\n");
        return 2;
    }
    SdlWindow window;
    WindowSpec spec;
    spec.caption = "gfxprobe";
    spec.width = kWidth;
    spec.height = kHeight;
    spec.visible = false;
    if (!window.Create(spec) || !window.HasGlContext()) {
        std::fprintf(stderr, "gfxprobe: no window with a GL context: %s\n",
                     window.LastError().c_str());
        return 1;
    }
    GlGraphicsSystem system(window);
    std::unique_ptr<GraphicsDisplay> display;
    SurfacePtr backBuffer;
    DevicePtr device;
    SurfaceSpec back;
    back.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
    back.width = kWidth;
    back.height = kHeight;
    GfxResult r = system.CreateDisplay(0, display);
    if (r == kGfxOk)
        r = display->SetCooperativeLevel(gfx::kCoopNormal);
    if (r == kGfxOk)
        r = display->CreateSurface(back, backBuffer);
    if (r == kGfxOk)
        r = display->CreateDevice(backBuffer, device);
    if (r == kGfxOk)
        r = device->BeginScene();
    if (r != kGfxOk) {
        std::fprintf(stderr, "gfxprobe: %s (0x%x)\n", GfxResultText(r), static_cast<unsigned>(r));
        return 1;
    }
    Draw(*display, *device, backBuffer);
    if (!display->SaveScreenshot(argv[1]))
        return 1;
    std::printf("gfxprobe: wrote %s (%dx%d)\n", argv[1], kWidth, kHeight);
    return 0;
}
