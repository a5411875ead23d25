// A tree of 2000 sprites drawn through TSprite::Draw a frame at 1024 x 768 on
// the GL back end, no vertical sync: the scene of bench_quads and of the
// LÖVE reference (sprite i with its 64 x 64 gradient at ((i * 37) mod 1000,
// (i * 53) mod 740), colour (1, (i mod 7) / 7, 0.5), alpha 0.5), where every
// sixth sprite (334 of them) is an animated sprite playing a four-frame
// animation through its own script on a running clock (the tree is drawn
// twice over: as it comes, and with the animated sprites on a layer above
// the rest, which changes the texture twice a frame instead of about 670
// times). A frame is: the animation scripts' task list run once, the tree
// drawn, the frame presented. Prints milliseconds a frame (the median after a warm-up, and
// the mean of the first 300 frames as LÖVE counts it), the best of three
// rounds; first it runs bench_quads (built beside this program) and prints
// its figures for the same quads (on the device layer, through the draw
// front, and LÖVE's when it is installed) and the ratios.
//
// Usage: bench_sprites [SCENE_FOLDER]   (handed to bench_quads). Uses the
// offscreen video driver unless SDL_VIDEODRIVER says otherwise; after an
// offscreen run it runs again on a private X server when Xvfb is installed
// (see support/XServerRound.h).

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/gl/GlGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/DrawFrontDisplay.h"
#include "support/FrameTimes.h"
#include "support/XServerRound.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr int kSprites = 2000;
constexpr int kAnimatedEvery = 6;
uint32_t Byte(double value) {
    return static_cast<uint32_t>(std::clamp(value, 0.0, 1.0) * 255.0 + 0.5);
}

// The 64 x 64 gradient of the reference scene, and a strip of four such
// frames (each a little darker) with its animation.
void WriteScene(const std::filesystem::path& folder) {
    std::vector<uint32_t> strip(256 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
            const double shade = 1.0 - (x / 64) * 0.2;
            strip[y * 256 + x] = 0xFF000000u | (Byte((x % 64) / 64.0 * shade) << 16) |
                                 (Byte(y / 64.0 * shade) << 8) | Byte(0.5 * shade);
        }
    std::vector<uint32_t> gradient(64 * 64);
    for (int y = 0; y < 64; ++y)
        std::copy_n(&strip[y * 256], 64, &gradient[y * 64]);
    WritePngFile((folder / "gradient.png").string(), gradient.data(), 64, 64, 64);
    WritePngFile((folder / "strip.png").string(), strip.data(), 256, 64, 256);
    std::ofstream xml(folder / "strip.xml");
    xml << "<sequence name=\"strip\" source=\"bench\">\n"
           "  <img w=\"256\" h=\"64\" name=\"strip.png\"/>\n  <framelist>\n";
    for (int i = 0; i < 4; ++i)
        xml << "    <frame x=\"" << i * 64 << "\" y=\"0\" w=\"64\" h=\"64\" regx=\"32\" "
            << "regy=\"32\"/>\n";
    // The animation plays for as long as the bench runs.
    xml << "  </framelist>\n  <script>function DoAnim() delay(60); while 1 do frames{1, 2, 3, 4}; "
           "end end</script>\n</sequence>\n";
}

struct Result {
    double medianMs = 0;
    double meanFirstMs = 0;
    bool ok = false;
};

Result RunSprites(const std::filesystem::path& folder, bool keepShot, int32_t animatedLayer) {
    Result result;
    DrawFrontDisplay screen;
    if (!screen.Open("bench_sprites", "sprites"))
        return result;
    SdlWindow& window = screen.window;
    TRenderer& renderer = screen.renderer;
    TGraphics* graphics = TGraphics::Get();
    TAssetManager assets;
    TTaskList tasks;
    TAnimatedSprite::SetTaskList(&tasks);
    TClock clock;
    {
        const std::shared_ptr<TTexture> gradient =
            TTexture::Get(TString(("::" + (folder / "gradient.png").string()).c_str()));
        const std::shared_ptr<TAnimatedTexture> strip = TAnimatedTexture::Get(
            TString(("::" + (folder / "strip.xml").string()).c_str()), TString(), TString());
        if (!gradient || !strip) {
            std::printf("  sprites: the scene's textures did not load (log %s)\n",
                        GetLogFilePath().CStr());
            TAnimatedSprite::SetTaskList(nullptr);
            TGraphics::Destroy();
            return result;
        }
        auto root = TSprite::Create(0);
        std::vector<std::shared_ptr<TAnimatedSprite>> animated;
        clock.Start();
        for (int i = 0; i < kSprites; ++i) {
            std::shared_ptr<TSprite> sprite;
            if (i % kAnimatedEvery == 0) {
                auto player = TAnimatedSprite::Create(animatedLayer);
                player->SetTexture(strip);
                player->SetClock(&clock);
                animated.push_back(player);
                sprite = player;
            } else {
                sprite = TSprite::Create(0, gradient);
            }
            TDrawSpec& draw = sprite->GetDrawSpec();
            draw.SetPosition(static_cast<float>((i * 37) % 1000 + 32),
                             static_cast<float>((i * 53) % 740 + 32));
            draw.mAlpha = 0.5f;
            draw.mColor[1] = static_cast<float>(i % 7) / 7.0f;
            draw.mColor[2] = 0.5f;
            root->AddChild(sprite);
        }
        for (size_t i = 0; i < animated.size(); ++i) {
            // Started a frame apart, so they do not all change at once.
            clock.SetTime(static_cast<uint32_t>(i * 17 % 240));
            animated[i]->Play(TString("DoAnim"));
        }
        clock.SetTime(0);
        clock.Start();

        std::vector<double> times;
        times.reserve(kWarmUp + kFrames);
        double scriptMs = 0;
        double slowestScriptMs = 0;
        for (int frame = 0; frame < kWarmUp + kFrames; ++frame) {
            const double start = Now();
            WindowMessage message;
            while (window.PeekMessage(message)) {
            }
            tasks.RunAll(0);
            const double scripted = Now();
            scriptMs += (scripted - start) * 1000.0;
            slowestScriptMs = std::max(slowestScriptMs, (scripted - start) * 1000.0);
            if (graphics->BeginDraw()) {
                graphics->FillRect(TRect(0, 0, 1024, 768), TColor(0, 0, 0, 1));
                if (graphics->Begin2d()) {
                    root->Draw(TDrawSpec(), -1);
                    graphics->End2d();
                }
                graphics->EndDraw(true);
            }
            times.push_back((Now() - start) * 1000.0);
        }
        const FrameFigures figures = SummariseFrames(times);
        result.medianMs = figures.medianMs;
        result.meanFirstMs = figures.meanFirstMs;
        result.ok = true;
        int playing = 0;
        for (const auto& player : animated)
            playing += player->IsPlaying(0) ? 1 : 0;
        std::printf("  sprites: %zu animated, %d still playing after %u ms; their scripts took "
                    "%.2f ms/frame (at most %.2f); the slowest frame %.2f ms, %d frames over "
                    "twice the median\n",
                    animated.size(), playing, clock.GetTime(), scriptMs / (kWarmUp + kFrames),
                    slowestScriptMs, figures.slowestMs, figures.slowFrames);
        if (keepShot) {
            GraphicsDisplay* display = renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
            const std::string shot =
                (std::filesystem::temp_directory_path() / "bench_sprites.png").string();
            if (display && display->SaveScreenshot(shot))
                std::printf("  last frame: %s\n", shot.c_str());
        }
        for (const auto& player : animated)
            player->Die();
    }
    tasks.DeleteAll();
    TAnimatedSprite::SetTaskList(nullptr);
    TGraphics::Destroy();
    return result;
}

// bench_quads' output, shown as it comes, and its figures.
struct QuadFigures {
    double deviceMean = 0, deviceMedian = 0, frontMean = 0, frontMedian = 0, love = 0;
};

// The last line of the output that starts with the label; empty when none.
std::string Row(const std::string& text, const std::string& label) {
    const size_t at = text.rfind("\n" + label);
    if (at == std::string::npos)
        return std::string();
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

// The number before the nth (0 = first) " ms/frame" of the row; 0 when none.
double Figure(const std::string& row, int nth) {
    size_t found = row.find(" ms/frame");
    for (int i = 0; i < nth && found != std::string::npos; ++i)
        found = row.find(" ms/frame", found + 1);
    if (found == std::string::npos || found == 0)
        return 0;
    const size_t begin = row.rfind(' ', found - 1);
    return std::atof(row.c_str() + (begin == std::string::npos ? 0 : begin + 1));
}

bool RunBenchQuads(const std::string& program, const std::string& scene, QuadFigures& figures) {
    // bench_quads runs under this program's driver only.
    std::string command = std::string(kOneDriverVariable) + "=1 '" + program + "'";
    if (!scene.empty())
        command += " '" + scene + "'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return false;
    std::string output = "\n";
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::fputs(buffer, stdout);
        output += buffer;
    }
    if (pclose(pipe) != 0)
        return false;
    figures.deviceMedian = Figure(Row(output, "  ours: "), 0);
    figures.deviceMean = Figure(Row(output, "  ours: "), 1);
    figures.frontMedian = Figure(Row(output, "  draw front: "), 0);
    figures.frontMean = Figure(Row(output, "  draw front: "), 1);
    figures.love = Figure(Row(output, "  LÖVE: "), 0);
    return figures.deviceMedian > 0;
}

} // namespace

static int RunBench(int argc, char** argv) {
    const std::string scene = argc > 1 ? argv[1] : "";
    const std::filesystem::path here = std::filesystem::path(argv[0]).parent_path();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_sprites." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    StartLog(folder.c_str());
    WriteScene(folder);

    std::printf("bench_sprites: %d alpha-blended 64x64 sprites in one tree (%d animated), "
                "1024x768, %s driver\n",
                kSprites, (kSprites + kAnimatedEvery - 1) / kAnimatedEvery,
                std::getenv("SDL_VIDEODRIVER"));
    std::printf("the same quads, bare (bench_quads):\n");
    QuadFigures quads;
    const bool haveQuads = RunBenchQuads((here / "bench_quads").string(), scene, quads);
    if (!haveQuads)
        std::printf("  bench_quads did not run or gave no figure; no ratio to it\n");

    // The scene as it comes (the animated sprites among the others, so the
    // texture changes about 670 times a frame), then with the animated
    // sprites on a layer above the rest (two texture changes a frame).
    double bestMedian = 0, bestMean = 0, groupedMedian = 0, groupedMean = 0;
    for (int layer = 0; layer < 2; ++layer) {
        std::printf(layer == 0 ? "the sprite tree, textures interleaved:\n"
                               : "the sprite tree, animated sprites on a layer of their own:\n");
        double& median = layer == 0 ? bestMedian : groupedMedian;
        double& mean = layer == 0 ? bestMean : groupedMean;
        for (int round = 0; round < kRounds; ++round) {
            const Result sprites = RunSprites(folder, layer == 0 && round == kRounds - 1, layer);
            if (!sprites.ok)
                return 1;
            std::printf("  round %d, sprites: %.2f ms/frame (median of %d frames after %d "
                        "warm-up), %.2f ms/frame (mean of the first %d, as LÖVE counts)\n",
                        round + 1, sprites.medianMs, kFrames, kWarmUp, sprites.meanFirstMs,
                        kFrames);
            if (median == 0 || sprites.medianMs < median)
                median = sprites.medianMs;
            if (mean == 0 || sprites.meanFirstMs < mean)
                mean = sprites.meanFirstMs;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  sprites, interleaved: %.2f ms/frame (best median), %.2f ms/frame (best mean "
                "of the first %d); layered: %.2f and %.2f; peak memory %ld kB\n",
                bestMedian, bestMean, kFrames, groupedMedian, groupedMean, usage.ru_maxrss);
    if (haveQuads) {
        std::printf("  ratio sprites / bare quads on the device layer: %.2f interleaved, %.2f "
                    "layered (best medians)\n",
                    bestMedian / quads.deviceMedian, groupedMedian / quads.deviceMedian);
        if (quads.frontMedian > 0)
            std::printf("  ratio sprites / bare quads through the draw front: %.2f interleaved, "
                        "%.2f layered (best medians; target <= 1.5)\n",
                        bestMedian / quads.frontMedian, groupedMedian / quads.frontMedian);
        if (quads.love > 0)
            std::printf("  ratio sprites / LÖVE: %.2f interleaved, %.2f layered (best means of "
                        "the first %d; target <= 1)\n",
                        bestMean / quads.love, groupedMean / quads.love, kFrames);
    }
    std::error_code ignored;
    StartLog(nullptr);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}

int main(int argc, char** argv) {
    return RunWithXServerRound(argc, argv, RunBench);
}
