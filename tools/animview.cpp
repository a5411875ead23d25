// animview ANIMATION [--assets DIR] [--anim NAME] [--scale S]
//                    [--frames N --out OUT.png [--step MS]]
// Plays an animation (".xml" or ".anm", as animpack makes them; the
// extension may be left out) the way the game does: an animated sprite on
// the animation's texture, its script run in a task list, drawn through the
// draw front on the GL display over a checkerboard. ANIMATION is a logical
// name of the assets folder (DIR, "assets" by default) or a disk path.
// Without --frames it opens a window and plays until the window is closed
// or Escape is pressed; the animation starts again when its script ends.
// With --frames it draws N frames headless (the offscreen driver works), the
// animation clock moving by --step milliseconds (default 30) before each,
// and writes them as OUT_000.png, OUT_001.png, ... On failure the log lines
// go to stderr.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/FramePath.h"
#include "support/ToolAssets.h"
#include "support/ToolDisplay.h"
#include "support/ToolLog.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace platform;

namespace {

const ToolLog* gLog = nullptr;

int Fail(const std::string& what) {
    return gLog->Fail(what);
}

struct Options {
    std::string animation;
    std::string assets = "assets";
    std::string anim = "DoAnim";
    std::string out;
    int frames = 0;
    uint32_t step = 30;
    float scale = 1.0f;
};

// The checkerboard that shows what is transparent, then the sprite tree.
void DrawScene(TGraphics* graphics, TSprite& root, int32_t width, int32_t height) {
    graphics->Begin2d();
    DrawCheckerboard(graphics, width, height, 16, TColor(0.8f, 0.8f, 0.8f, 1.0f),
                     TColor(0.55f, 0.55f, 0.55f, 1.0f));
    root.Draw(TDrawSpec(), -1);
    graphics->End2d();
}

int Run(const Options& options) {
    TAssetManager assetManager;
    TString name(options.animation.c_str());
    // A name the assets do not hold is a disk path.
    if (!FileExists(name.CStr()) && !FileExists((name + TString(".xml")).CStr()) &&
        !FileExists((name + TString(".anm")).CStr()))
        name = TString(("::" + options.animation).c_str());

    const bool headless = options.frames > 0;
    WindowSpec spec;
    spec.caption = "animview " + options.animation;
    spec.width = 256;
    spec.height = 256;
    spec.visible = !headless;
    // The window's size follows the largest frame, read before the display.
    {
        std::shared_ptr<TAnimatedTexture> probe = std::make_shared<TAnimatedTexture>(name);
        if (!probe->LoadAnimation(TString(), TString()))
            return Fail(options.animation + " is no animation");
        const TAnimationData& data = probe->GetAnimation();
        const float side = static_cast<float>(std::max(data.mMaxFrameWidth, data.mMaxFrameHeight));
        spec.width = spec.height =
            std::clamp(static_cast<int32_t>(side * options.scale) + 96, 128, 4096);
    }
    // A window larger than the desktop allows is made smaller, and the
    // animation scaled into it.
    const float wanted = static_cast<float>(spec.width);
    ToolDisplay screen;
    if (std::string error; !screen.Open(spec, error))
        return Fail(error);
    const float scale = options.scale * ToolDisplay::FitScale(spec, wanted, wanted);
    if (scale < options.scale)
        std::printf("%dx%d window: the animation is drawn at scale %.3f to fit the desktop\n",
                    spec.width, spec.height, static_cast<double>(scale));
    SdlWindow& window = screen.window;
    TRenderer& renderer = screen.renderer;
    TGraphics* graphics = TGraphics::Get();

    TTaskList tasks;
    TAnimatedSprite::SetTaskList(&tasks);
    TClock clock;
    int status = 0;
    {
        std::shared_ptr<TAnimatedTexture> texture =
            TAnimatedTexture::Get(name, TString(), TString());
        if (!texture) {
            TAnimatedSprite::SetTaskList(nullptr);
            return Fail(options.animation + " could not be loaded on the GL display");
        }
        auto root = TSprite::Create(0);
        auto sprite = TAnimatedSprite::Create(0);
        sprite->SetTexture(texture);
        sprite->SetClock(&clock);
        sprite->GetDrawSpec() = TDrawSpec(static_cast<float>(spec.width) / 2.0f,
                                          static_cast<float>(spec.height) / 2.0f, 1.0f, scale);
        root->AddChild(sprite);
        const TString anim(options.anim.c_str());
        sprite->Play(anim);
        std::printf("%s: %d frames, playing %s\n", name.CStr(), texture->GetFrameCount(),
                    options.anim.c_str());

        if (headless) {
            GraphicsDisplay* display = renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
            for (int frame = 0; frame < options.frames && status == 0; ++frame) {
                clock.SetTime(clock.GetTime() + options.step);
                tasks.RunAll(0);
                if (!sprite->IsPlaying(0))
                    sprite->Play(anim);
                if (!graphics->BeginDraw()) {
                    status = Fail("the frame could not begin");
                    break;
                }
                DrawScene(graphics, *root, spec.width, spec.height);
                graphics->EndDraw(false);
                const std::string path = FramePath(options.out, frame);
                if (!display || !display->SaveScreenshot(path)) {
                    status = Fail("cannot write " + path);
                    break;
                }
                std::printf("frame %d (%u ms): animation frame %d -> %s\n", frame, clock.GetTime(),
                            sprite->GetCurrentFrame(), path.c_str());
            }
        } else {
            clock.Start();
            bool running = true;
            while (running) {
                WindowMessage message;
                while (window.PeekMessage(message)) {
                    if (message.message == kWmQuit || message.message == kWmClose ||
                        (message.message == kWmKeyDown && message.wParam == kVkEscape))
                        running = false;
                }
                tasks.RunAll(0);
                if (!sprite->IsPlaying(0))
                    sprite->Play(anim);
                if (graphics->BeginDraw()) {
                    DrawScene(graphics, *root, spec.width, spec.height);
                    graphics->EndDraw(true);
                }
                SDL_Delay(15);
            }
        }
        sprite->Die();
    }
    tasks.DeleteAll();
    TAnimatedSprite::SetTaskList(nullptr);
    TGraphics::Destroy();
    renderer.DetachGraphics();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (std::strcmp(argv[i], "--assets") == 0 && more) {
            options.assets = argv[++i];
        } else if (std::strcmp(argv[i], "--anim") == 0 && more) {
            options.anim = argv[++i];
        } else if (std::strcmp(argv[i], "--frames") == 0 && more) {
            options.frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--out") == 0 && more) {
            options.out = argv[++i];
        } else if (std::strcmp(argv[i], "--step") == 0 && more) {
            options.step = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--scale") == 0 && more) {
            options.scale = static_cast<float>(std::atof(argv[++i]));
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() != 1 || (options.frames > 0) != !options.out.empty() || options.frames < 0 ||
        options.scale <= 0.0f) {
        std::fprintf(stderr, "usage: animview ANIMATION [--assets DIR] [--anim NAME] [--scale S]\n"
                             "                [--frames N --out OUT.png [--step MS]]\n");
        return 2;
    }
    options.animation = args[0];
    const ToolLog log("animview");
    gLog = &log;
    UseAssetsFolder(options.assets);
    return Run(options);
}
