// A dialog of 60 labelled push buttons, 30 text windows, 2 sliders and a
// text field, redrawn by the window manager every frame (marked dirty each
// time) at 1024 x 768 on the GL back end, no vertical sync. Prints
// milliseconds a frame (the median after a warm-up, and the mean of the
// first frames), the best of three rounds, against the window manager's
// 12 ms frame; first it runs bench_quads (built beside this program) and
// shows its figures for bare quads in the same run.
//
// Usage: bench_widgets. Uses the offscreen video driver unless
// SDL_VIDEODRIVER says otherwise.

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/vector/TGraphicsVecSink.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TSlider.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/widgets/TTextEdit.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"
#include "platform/graphics/PngWriter.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "support/DrawFrontDisplay.h"
#include "support/FrameTimes.h"
#include "support/XServerRound.h"

#include <lua.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class BenchHost : public TWindowHost {
public:
    void PostQuit(int) override {}
    bool IsReadyToDraw() const override { return true; }
    bool IsDisplayReady() const override { return true; }
    TTaskList* GetTaskList() const override { return &tasks; }
    int GetMouseMode() const override { return 0; }
    bool IsForeground() const override { return true; }
    bool KeepsFrontRateInBackground() const override { return false; }
    TString GetClipboardString() override { return TString(); }
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const override {
        width = 1024;
        height = 768;
        fullScreen = false;
    }
    mutable TTaskList tasks;
};

std::string Picture(const std::filesystem::path& folder, const char* name, int32_t width,
                    int32_t height, uint32_t colour) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, colour);
    const std::string path = (folder / name).string();
    platform::WritePngFile(path, pixels.data(), width, height, width);
    return "::" + path;
}

// Made as the window script makes windows: created, added, Init from a
// table, then PostInit (children in between).
template <typename T>
T* Make(TWindowScript& script, TWindow* parent, const std::string& fields,
        TWindow* (*children)(TWindowScript&, TWindow*) = nullptr) {
    auto* window = static_cast<T*>(T::Create());
    parent->AddChild(window);
    script.DoLuaString(("gBenchTable = {" + fields + "}").c_str());
    lua_getglobal(script.GetState(), "gBenchTable");
    TLuaTable table(script.GetState());
    TWindowStyle style(&table);
    window->Init(style);
    if (children)
        children(script, window);
    window->PostInit(style);
    return window;
}

TWindow* Label(TWindowScript& script, TWindow* button) {
    return Make<TText>(script, button,
                       "name='label', w=120, h=32, flags=5, label='Button', "
                       "font={'__DEFAULT', 16, {1, 1, 1, 1}}");
}

double RunRound(const std::filesystem::path& folder) {
    platform::ManualTimeSource time{1000};
    platform::ScopedTimeSource scoped{time};
    TAssetManager assets;
    TNbMiniVecDraw drawer;
    TGraphicsVecSink sink;
    drawer.SetSink(&sink);
    auto manager = std::make_unique<TWindowManager>();
    manager->SetHost(std::make_unique<BenchHost>());
    auto* script = new TWindowScript(nullptr);
    manager->Init(script);
    auto* screen = new TModalWindow;
    manager->SetMainWindow(screen);
    screen->SetSize(1024, 768);

    const std::string states = "graphics={'" + Picture(folder, "b0.png", 120, 32, 0xFF3050A0u) +
                               "','" + Picture(folder, "b1.png", 120, 32, 0xFFA03040u) + "','" +
                               Picture(folder, "b2.png", 120, 32, 0xFF40A050u) + "'}";
    for (int i = 0; i < 60; ++i)
        Make<TButton>(*script, screen,
                      "name='b" + std::to_string(i) + "', x=" + std::to_string(10 + (i % 6) * 130) +
                          ", y=" + std::to_string(10 + (i / 6) * 40) + ", " + states,
                      Label);
    for (int i = 0; i < 30; ++i)
        Make<TText>(*script, screen,
                    "x=" + std::to_string(800 + (i % 2) * 110) +
                        ", y=" + std::to_string(10 + (i / 2) * 30) +
                        ", w=100, h=28, label='Text window line', "
                        "font={'__DEFAULT', 14, {1, 1, 0.8, 1}}");
    const std::string rail = Picture(folder, "rail.png", 8, 6, 0xFF808080u);
    const std::string knob = Picture(folder, "knob.png", 12, 20, 0xFFF0D020u);
    for (int i = 0; i < 2; ++i)
        Make<TSlider>(*script, screen,
                      "name='s', x=10, y=" + std::to_string(440 + i * 40) +
                          ", w=300, h=20, value=0.5, railtop='" + rail + "', railmid='" + rail +
                          "', railbot='" + rail + "', sliderimage='" + knob + "'");
    auto* field = Make<TTextEdit>(*script, screen,
                                  "name='field', x=10, y=540, w=400, h=30, utf8=true, length=30, "
                                  "label='Łukasz Öğüt', font={'__DEFAULT', 20, {1, 1, 1, 1}}");
    manager->SetFocus(field);

    std::vector<double> times;
    for (int frame = 0; frame < kWarmUp + kFrames; ++frame) {
        time.Advance(TWindowManager::kFrameIntervalMs + 1);
        const double start = Now();
        field->OnAnimate();
        manager->Invalidate();
        manager->Draw();
        times.push_back((Now() - start) * 1000.0);
    }
    manager.reset();
    return SummariseFrames(times).medianMs;
}

} // namespace

int main(int argc, char** argv) {
    (void)argc;
    setenv("SDL_VIDEODRIVER",
           std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen", 1);
    const std::filesystem::path here = std::filesystem::path(argv[0]).parent_path();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_widgets." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    StartLog(folder.c_str());
    std::printf("bench_widgets: 60 labelled buttons, 30 text windows, 2 sliders, a text field; "
                "dirty every frame; 1024x768, %s driver\n",
                std::getenv("SDL_VIDEODRIVER"));
    std::printf("bare quads in the same run (bench_quads):\n");
    std::fflush(stdout);
    // bench_quads runs under this program's driver only.
    const std::string quads =
        std::string(kOneDriverVariable) + "=1 '" + (here / "bench_quads").string() + "' 2>&1";
    if (std::system(quads.c_str()) != 0)
        std::printf("  bench_quads did not run\n");
    DrawFrontDisplay display;
    if (!display.Open("bench_widgets", "widgets"))
        return 1;
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double median = RunRound(folder);
        std::printf("  round %d, widgets: %.2f ms/frame (median of %d frames after %d warm-up)\n",
                    round + 1, median, kFrames, kWarmUp);
        if (best == 0 || median < best)
            best = median;
    }
    std::printf("  widgets: %.2f ms/frame (best median); the window manager's frame is %u ms\n",
                best, TWindowManager::kFrameIntervalMs);
    TGraphics::Destroy();
    std::error_code ignored;
    StartLog(nullptr);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
