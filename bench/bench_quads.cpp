// 2000 textured, alpha-blended 64 x 64 quads a frame at 1024 x 768 on the GL
// back end, no vertical sync, each quad one draw call, drawn two ways: on
// the device layer alone, and through the draw front (TGraphics::
// DrawVertices with format-2 lists built by MakeQuadVertices, as sprites
// draw, begun, ended and presented by the renderer); the scene of the LÖVE
// reference (quad i at ((i * 37) mod 1000,
// (i * 53) mod 740), colour (1, (i mod 7) / 7, 0.5, 0.5) over a 64 x 64
// gradient). Prints milliseconds a frame (the median after a warm-up, and
// the mean of the first 300 frames as the reference counts it) and peak
// memory; when the `love` program is installed it runs the reference scene
// in the same run, three rounds taking turns with ours, and prints the best
// figure of each and the ratios. The draw front's rounds also count the
// heap allocations made after their first frame (the goal is none).
//
// Usage: bench_quads [SCENE_FOLDER]   (default: $CORVALO_LOVE_SCENE or
// /work/shared/bench/love-quads). Uses the offscreen video driver unless
// SDL_VIDEODRIVER says otherwise; after an offscreen run it runs again on a
// private X server when Xvfb is installed (see support/XServerRound.h).

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DrawFrontDisplay.h"
#include "support/FrameTimes.h"
#include "support/LoveRun.h"
#include "support/XServerRound.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

using namespace platform;

// Every heap allocation of the program is counted.
namespace {
std::atomic<uint64_t> gAllocations{0};
}

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int kQuads = 2000;
struct Vertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};

uint32_t Byte(double value) {
    return static_cast<uint32_t>(std::clamp(value, 0.0, 1.0) * 255.0 + 0.5);
}

struct Result {
    double medianMs = 0;
    double meanFirstMs = 0;
    bool ok = false;
    uint64_t allocationsAfterFirstFrame = 0;
};

Result Summarise(const std::vector<double>& times) {
    const FrameFigures figures = SummariseFrames(times);
    Result result;
    result.medianMs = figures.medianMs;
    result.meanFirstMs = figures.meanFirstMs;
    result.ok = true;
    return result;
}

Result RunOurs(bool keepShot) {
    Result result;
    SdlWindow window;
    WindowSpec spec;
    spec.caption = "bench_quads";
    spec.width = 1024;
    spec.height = 768;
    if (!window.Create(spec) || !window.HasGlContext()) {
        std::printf("  ours: no window with a GL context: %s\n", window.LastError().c_str());
        return result;
    }
    window.SetSwapInterval(0);
    GlGraphicsSystem system(window);
    std::unique_ptr<GraphicsDisplay> display;
    SurfacePtr primary, back, texture;
    DevicePtr device;
    SurfaceSpec primarySpec;
    primarySpec.caps = gfx::kCapsPrimary;
    SurfaceSpec backSpec;
    backSpec.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
    backSpec.width = 1024;
    backSpec.height = 768;
    int32_t tw = 64, th = 64;
    PixelFormat format = PixelFormat::A8R8G8B8();
    GfxResult r = system.CreateDisplay(0, display);
    if (r == kGfxOk)
        r = display->SetCooperativeLevel(gfx::kCoopNormal);
    if (r == kGfxOk)
        r = display->CreateSurface(primarySpec, primary);
    if (r == kGfxOk)
        r = display->CreateSurface(backSpec, back);
    if (r == kGfxOk)
        r = display->CreateDevice(back, device);
    if (r == kGfxOk)
        r = display->CreateTexture(tw, th, 1, format, texture);
    if (r != kGfxOk) {
        std::printf("  ours: set-up failed: %s\n", GfxResultText(r));
        return result;
    }
    std::vector<uint32_t> gradient(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient[y * 64 + x] =
                0xFF000000u | (Byte(x / 64.0) << 16) | (Byte(y / 64.0) << 8) | Byte(0.5);
    display->LoadTextureFromMemory(*texture, gradient.data(), 64, 64, 256, LoadFilter::Linear);

    // The 2-D state of the draw front: alpha blending, texture times colour.
    device->SetRenderState(RenderState::Lighting, 0);
    device->SetRenderState(RenderState::ZEnable, 0);
    device->SetRenderState(RenderState::CullMode, gfx::kCullNone);
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device->SetRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device->SetStageState(0, StageState::ColorArg1, gfx::kArgTexture);
    device->SetStageState(0, StageState::ColorArg2, gfx::kArgDiffuse);
    device->SetStageState(0, StageState::ColorOp, gfx::kOpModulate);
    device->SetStageState(0, StageState::AlphaArg1, gfx::kArgTexture);
    device->SetStageState(0, StageState::AlphaArg2, gfx::kArgDiffuse);
    device->SetStageState(0, StageState::AlphaOp, gfx::kOpModulate);
    device->SetStageState(0, StageState::MinFilter, gfx::kFilterLinear);
    device->SetStageState(0, StageState::MagFilter, gfx::kFilterLinear);
    device->SetStageState(0, StageState::AddressU, gfx::kAddressClamp);
    device->SetStageState(0, StageState::AddressV, gfx::kAddressClamp);
    device->SetTexture(0, texture);

    std::vector<double> times;
    const GfxRect client{0, 0, 1024, 768};
    for (int frame = 0; frame < kWarmUp + kFrames; ++frame) {
        const double start = Now();
        WindowMessage message;
        while (window.PeekMessage(message)) {
        }
        device->BeginScene();
        device->Clear(gfx::kClearTarget, 0xFF000000, 1.0f, 0);
        for (int i = 0; i < kQuads; ++i) {
            const float x = static_cast<float>((i * 37) % 1000);
            const float y = static_cast<float>((i * 53) % 740);
            const uint32_t colour =
                (Byte(0.5) << 24) | (Byte(1.0) << 16) | (Byte((i % 7) / 7.0) << 8) | Byte(0.5);
            const Vertex quad[4] = {{x, y, 0, 1, colour, 0, 0, 0},
                                    {x + 64, y, 0, 1, colour, 0, 1, 0},
                                    {x + 64, y + 64, 0, 1, colour, 0, 1, 1},
                                    {x, y + 64, 0, 1, colour, 0, 0, 1}};
            device->DrawPrimitive(gfx::kTriangleFan, gfx::kFvfScreenColorTex, quad, 4, 0);
        }
        device->EndScene();
        primary->Blt(&client, *back, nullptr);
        times.push_back((Now() - start) * 1000.0);
    }
    result = Summarise(times);
    // The last frame, to look at.
    if (!keepShot)
        return result;
    const std::string shot = (std::filesystem::temp_directory_path() / "bench_quads.png").string();
    if (display->SaveScreenshot(shot))
        std::printf("  last frame: %s\n", shot.c_str());
    return result;
}

// The same scene through the draw front and the renderer's own display.
Result RunDrawFront(bool keepShot) {
    Result result;
    DrawFrontDisplay screen;
    if (!screen.Open("bench_quads draw front", "draw front"))
        return result;
    SdlWindow& window = screen.window;
    TRenderer& renderer = screen.renderer;
    TGraphics* graphics = TGraphics::Get();
    GraphicsDisplay* display = renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
    int32_t tw = 64, th = 64;
    PixelFormat format = PixelFormat::A8R8G8B8();
    SurfacePtr texture;
    if (display->CreateTexture(tw, th, 1, format, texture) != kGfxOk) {
        std::printf("  draw front: no texture\n");
        TGraphics::Destroy();
        return result;
    }
    std::vector<uint32_t> gradient(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient[y * 64 + x] =
                0xFF000000u | (Byte(x / 64.0) << 16) | (Byte(y / 64.0) << 8) | Byte(0.5);
    display->LoadTextureFromMemory(*texture, gradient.data(), 64, 64, 256, LoadFilter::Linear);

    std::vector<double> times;
    times.reserve(kWarmUp + kFrames);
    uint64_t allocationsAtFirstEnd = 0;
    for (int frame = 0; frame < kWarmUp + kFrames; ++frame) {
        const double start = Now();
        WindowMessage message;
        while (window.PeekMessage(message)) {
        }
        // Outside a frame the fill is a colour fill of the back buffer,
        // as the device layer's clear.
        graphics->FillRect(TRect(0, 0, 1024, 768), TColor(0, 0, 0, 1));
        if (graphics->BeginDraw()) {
            if (graphics->Begin2d()) {
                renderer.SetTextureSurface(texture);
                for (int i = 0; i < kQuads; ++i) {
                    TVertex quad[4];
                    TVec2 corners[4] = {TVec2(0, 0), TVec2(64, 0), TVec2(64, 64), TVec2(0, 64)};
                    MakeQuadVertices(TVec2(static_cast<float>((i * 37) % 1000),
                                           static_cast<float>((i * 53) % 740)),
                                     quad, corners, TVec2(0, 0), TVec2(1, 1), TMat3(), 0.5f,
                                     TColor(1.0f, static_cast<float>(i % 7) / 7.0f, 0.5f, 1.0f));
                    graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), gfx::kTriangleFan);
                }
                graphics->End2d();
            }
            graphics->EndDraw(true);
        }
        times.push_back((Now() - start) * 1000.0);
        if (frame == 0)
            allocationsAtFirstEnd = gAllocations.load();
    }
    const uint64_t allocations = gAllocations.load() - allocationsAtFirstEnd;
    result = Summarise(times);
    result.allocationsAfterFirstFrame = allocations;
    if (keepShot) {
        const std::string shot =
            (std::filesystem::temp_directory_path() / "bench_quads_draw_front.png").string();
        if (display->SaveScreenshot(shot))
            std::printf("  last frame through the draw front: %s\n", shot.c_str());
    }
    TGraphics::Destroy();
    return result;
}

} // namespace

static int RunBench(int argc, char** argv) {
    const char* sceneEnv = std::getenv("CORVALO_LOVE_SCENE");
    const std::string scene =
        argc > 1 ? argv[1] : (sceneEnv ? sceneEnv : "/work/shared/bench/love-quads");

    std::printf("bench_quads: %d textured alpha-blended 64x64 quads a frame, 1024x768, %s "
                "driver\n",
                kQuads, std::getenv("SDL_VIDEODRIVER"));
    const bool haveLove = HaveLove(scene);

    // The machine's load changes from second to second, so the two take
    // turns and the best round of each is compared.
    const int rounds = haveLove ? kRounds : 1;
    double bestOurs = 0, bestOursMedian = 0, bestLove = 0;
    double bestFront = 0, bestFrontMedian = 0;
    uint64_t frontAllocations = 0;
    long lovePeakKb = 0;
    for (int round = 0; round < rounds; ++round) {
        const Result ours = RunOurs(round == rounds - 1);
        if (!ours.ok)
            return 1;
        std::printf("  round %d, ours: %.2f ms/frame (median of %d frames after %d warm-up), "
                    "%.2f ms/frame (mean of the first %d, as LÖVE counts)\n",
                    round + 1, ours.medianMs, kFrames, kWarmUp, ours.meanFirstMs, kFrames);
        if (bestOurs == 0 || ours.meanFirstMs < bestOurs)
            bestOurs = ours.meanFirstMs;
        if (bestOursMedian == 0 || ours.medianMs < bestOursMedian)
            bestOursMedian = ours.medianMs;
        const Result front = RunDrawFront(round == rounds - 1);
        if (!front.ok)
            return 1;
        std::printf("  round %d, draw front: %.2f ms/frame (median), %.2f ms/frame (mean of the "
                    "first %d), %llu heap allocations after the first frame\n",
                    round + 1, front.medianMs, front.meanFirstMs, kFrames,
                    static_cast<unsigned long long>(front.allocationsAfterFirstFrame));
        if (bestFront == 0 || front.meanFirstMs < bestFront)
            bestFront = front.meanFirstMs;
        if (bestFrontMedian == 0 || front.medianMs < bestFrontMedian)
            bestFrontMedian = front.medianMs;
        frontAllocations = std::max(frontAllocations, front.allocationsAfterFirstFrame);
        if (!haveLove)
            continue;
        double loveMs = 0;
        long peakKb = 0;
        if (!RunLove(scene, loveMs, peakKb))
            return 0;
        lovePeakKb = std::max(lovePeakKb, peakKb);
        if (bestLove == 0 || loveMs < bestLove)
            bestLove = loveMs;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  ours: %.2f ms/frame (best median), %.2f ms/frame (best mean of the first "
                "%d), peak memory %ld kB\n",
                bestOursMedian, bestOurs, kFrames, usage.ru_maxrss);
    std::printf("  draw front: %.2f ms/frame (best median), %.2f ms/frame (best mean of the first "
                "%d), %llu heap allocations after the first frame (most of any round)\n",
                bestFrontMedian, bestFront, kFrames,
                static_cast<unsigned long long>(frontAllocations));
    std::printf("  ratio draw front / device layer: %.2f (best medians; target <= 1.10)\n",
                bestFrontMedian / bestOursMedian);
    if (!haveLove)
        return 0;
    std::printf("  LÖVE: %.2f ms/frame (best mean of %d), peak memory %ld kB\n", bestLove, kFrames,
                lovePeakKb);
    std::printf("  ratio ours / LÖVE: %.2f (best rounds, the same count; target <= 1)\n",
                bestOurs / bestLove);
    std::printf("  ratio draw front / LÖVE: %.2f (best rounds, the same count; target <= 1)\n",
                bestFront / bestLove);
    return 0;
}

int main(int argc, char** argv) {
    return RunWithXServerRound(argc, argv, RunBench);
}
