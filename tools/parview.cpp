// parview FILE [--path] [--firework] [--assets DIR]
//              [--frames N --out OUT.png [--step MS]]
// Plays particles the way the game does, over a dark background on the GL
// display: a particle description file ("parsys") placed in the middle of
// the window, with --path a particle path file ("path") walked from its
// first segment, with --firework a whole board firework (trail, then burst)
// whose files FILE, an effect list ("FXFiles"), names. Every system is
// mirrored as the game's users do, so files written y-up rise. FILE is a
// logical name of the assets folder (DIR, "assets" by default) or a disk
// path. Without --frames it opens a window and plays until the window is
// closed or Escape is pressed, starting the effect again when it ends. With
// --frames it draws N frames headless (the offscreen driver works), the
// effect moving on by --step milliseconds (default 40) before each, and
// writes them as OUT_000.png, OUT_001.png, ... On failure the log lines go
// to stderr.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/FramePath.h"
#include "support/ToolAssets.h"
#include "support/ToolDisplay.h"
#include "support/ToolLog.h"
#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkBoardFxServices.h"
#include "velk/particles/vlkParticleFx.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace {

const ToolLog* gLog = nullptr;

int Fail(const std::string& what) {
    return gLog->Fail(what);
}

enum class Mode { kSystem, kPath, kFirework };

struct Options {
    std::string file;
    std::string assets = "assets";
    std::string out;
    Mode mode = Mode::kSystem;
    int frames = 0;
    uint32_t step = 40;
};

// The firework's effect list, read as the game reads it (names and paths
// lower-cased, the first entry of a name kept), a random generator, the
// window as the screen, and sounds named on standard output.
class ViewerServices : public vlkBoardFxServices {
public:
    ViewerServices(const TString& list, int32_t width, int32_t height)
        : mScreen(0, 0, width, height) {
        mRandom.Seed(static_cast<uint32_t>(SDL_GetTicks()) ^ 0x5eed);
        TXmlNode document;
        document.LoadFile(list);
        TXmlNode* files = document.FindChild("FXFiles");
        for (size_t i = 0; files && i < files->GetChildCount(); ++i) {
            TXmlNode& entry = *files->GetChild(i);
            TString tag = entry.GetName();
            tag.ToLower();
            if (tag.View() != "fx") {
                continue;
            }
            TString name = entry.GetAttribute("name");
            TString path = entry.GetAttribute("path");
            name.ToLower();
            path.ToLower();
            mFiles.emplace(name.ToStd(), path.ToStd());
        }
    }
    size_t Count() const { return mFiles.size(); }

    TString GetFxPath(const TString& given) override {
        TString name = given;
        name.ToLower();
        const auto found = mFiles.find(name.ToStd());
        return found == mFiles.end() ? TString() : TString(found->second.c_str());
    }
    void PlayEffectSound(const TString& name) override { std::printf("sound %s\n", name.CStr()); }
    uint32_t Random() override { return mRandom.Next(); }
    TRect GetScreenRect() override { return mScreen; }

private:
    std::map<std::string, std::string> mFiles;
    TRandom mRandom;
    TRect mScreen;
};

// One of the three kinds of effect, started again whenever it has ended.
class Player {
public:
    virtual ~Player() = default;
    virtual void Start() = 0;
    virtual bool Ended() const = 0;
    virtual void Update(uint32_t elapsed) = 0;
    virtual void Draw() = 0;
    virtual std::string Describe() const = 0;
};

class SystemPlayer : public Player {
public:
    SystemPlayer(std::unique_ptr<TParticleSystem> system, float x, float y)
        : mSystem(std::move(system)) {
        mSystem->Mirror();
        mSystem->SetPosition(x, y, 0.0f);
    }
    void Start() override {
        mSystem->SetActive(true);
        mSystem->Restart();
    }
    bool Ended() const override { return !mSystem->IsActive() || !mSystem->IsAlive(); }
    void Update(uint32_t elapsed) override { mSystem->Update(elapsed); }
    void Draw() override { mSystem->Draw(); }
    std::string Describe() const override { return Living(*mSystem); }

    static std::string Living(const TParticleSystem& system) {
        int living = 0;
        for (int32_t e = 0; e < system.GetEmitterCount(); ++e) {
            for (const TParticle& p : system.GetEmitter(e)->GetParticles()) {
                living += p.state == TParticle::kLiving ? 1 : 0;
            }
        }
        return std::to_string(living) + " living";
    }

private:
    std::unique_ptr<TParticleSystem> mSystem;
};

class PathPlayer : public Player {
public:
    explicit PathPlayer(std::unique_ptr<vlkParticleFx> fx) : mFx(std::move(fx)) {
        mFx->MirrorEmitters();
    }
    void Start() override { mFx->Start(); }
    bool Ended() const override {
        return !mFx->IsActive() || (mEnded && !mFx->GetParticleSystem()->IsAlive());
    }
    void Update(uint32_t elapsed) override {
        mFx->Update(elapsed);
        if (mFx->GetState() == vlkParticleFx::kStatePathEnded) {
            mEnded = true;
        }
    }
    void Draw() override { mFx->Draw(); }
    std::string Describe() const override {
        const TVec3& at = mFx->GetLastPosition();
        char text[96];
        std::snprintf(text, sizeof text, "at %.0f,%.0f, segment %u, ", at.x, at.y,
                      mFx->GetPath() ? mFx->GetPath()->GetCurrentIndex() : 0u);
        return text + SystemPlayer::Living(*mFx->GetParticleSystem());
    }

private:
    std::unique_ptr<vlkParticleFx> mFx;
    bool mEnded = false;
};

class FireworkPlayer : public Player {
public:
    void Start() override {
        mFirework.PickRandomFirework();
        mFirework.Launch();
    }
    bool Ended() const override { return mFirework.IsDone(); }
    void Update(uint32_t elapsed) override { mFirework.Update(elapsed); }
    void Draw() override { mFirework.Draw(); }
    std::string Describe() const override {
        static const char* const kStates[] = {"idle", "trail", "burst", "done"};
        const int32_t state = mFirework.GetState();
        const TParticleSystem& shown = state == vlkTrailBurstFx::kStateBurst
                                           ? *mFirework.GetBurst()
                                           : *mFirework.GetTrail()->GetParticleSystem();
        return std::string(state >= 0 && state < 4 ? kStates[state] : "?") + ", " +
               SystemPlayer::Living(shown);
    }

private:
    vlkTrailBurstFx mFirework;
};

void DrawScene(TGraphics* graphics, Player& player, int32_t width, int32_t height) {
    graphics->Begin2d();
    graphics->FillRect(TRect(0, 0, width, height), TColor(0.04f, 0.05f, 0.12f, 1.0f));
    player.Draw();
    graphics->End2d();
}

int Run(const Options& options) {
    TAssetManager assetManager;
    TString name(options.file.c_str());
    if (!FileExists(name.CStr())) {
        name = TString(("::" + options.file).c_str());
    }
    const bool headless = options.frames > 0;
    WindowSpec spec;
    spec.caption = "parview " + options.file;
    spec.width = options.mode == Mode::kSystem ? 640 : 1024;
    spec.height = options.mode == Mode::kSystem ? 480 : 768;
    spec.visible = !headless;
    ToolDisplay screen;
    if (std::string error; !screen.Open(spec, error)) {
        return Fail(error);
    }
    TGraphics* graphics = TGraphics::Get();

    std::unique_ptr<ViewerServices> services;
    std::unique_ptr<Player> player;
    if (options.mode == Mode::kSystem) {
        auto system = std::make_unique<TParticleSystem>();
        if (!system->LoadParticleSystem(name)) {
            return Fail(options.file + " is no particle file");
        }
        std::printf("%s: %d emitters\n", name.CStr(), system->GetEmitterCount());
        player = std::make_unique<SystemPlayer>(std::move(system), spec.width / 2.0f,
                                                spec.height / 2.0f);
    } else if (options.mode == Mode::kPath) {
        auto fx = std::make_unique<vlkParticleFx>();
        if (!fx->LoadParticlePath(name)) {
            return Fail(options.file + " is no particle path file");
        }
        std::printf("%s: %u segments of %u ms, %d emitters\n", name.CStr(),
                    fx->GetPath()->GetCount(), fx->GetDuration(),
                    fx->GetParticleSystem()->GetEmitterCount());
        player = std::make_unique<PathPlayer>(std::move(fx));
    } else {
        services = std::make_unique<ViewerServices>(name, spec.width, spec.height);
        if (services->Count() == 0) {
            return Fail(options.file + " is no effect list");
        }
        vlkBoardFxServices::Install(services.get());
        player = std::make_unique<FireworkPlayer>();
    }
    player->Start();

    int status = 0;
    if (headless) {
        GraphicsDisplay* display = screen.renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
        uint32_t time = 0;
        for (int frame = 0; frame < options.frames; ++frame) {
            time += options.step;
            player->Update(options.step);
            if (!graphics->BeginDraw()) {
                status = Fail("the frame could not begin");
                break;
            }
            DrawScene(graphics, *player, spec.width, spec.height);
            graphics->EndDraw(false);
            const std::string path = FramePath(options.out, frame);
            if (!display || !display->SaveScreenshot(path)) {
                status = Fail("cannot write " + path);
                break;
            }
            std::printf("frame %d (%u ms): %s -> %s\n", frame, time, player->Describe().c_str(),
                        path.c_str());
            if (player->Ended()) {
                player->Start();
            }
        }
    } else {
        bool running = true;
        uint32_t last = SDL_GetTicks();
        while (running) {
            WindowMessage message;
            while (screen.window.PeekMessage(message)) {
                if (message.message == kWmQuit || message.message == kWmClose ||
                    (message.message == kWmKeyDown && message.wParam == kVkEscape)) {
                    running = false;
                }
            }
            const uint32_t now = SDL_GetTicks();
            player->Update(now - last);
            last = now;
            if (player->Ended()) {
                player->Start();
            }
            if (graphics->BeginDraw()) {
                DrawScene(graphics, *player, spec.width, spec.height);
                graphics->EndDraw(true);
            }
            SDL_Delay(15);
        }
    }
    player.reset();
    vlkBoardFxServices::Install(nullptr);
    TGraphics::Destroy();
    screen.renderer.DetachGraphics();
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
        } else if (std::strcmp(argv[i], "--path") == 0) {
            options.mode = Mode::kPath;
        } else if (std::strcmp(argv[i], "--firework") == 0) {
            options.mode = Mode::kFirework;
        } else if (std::strcmp(argv[i], "--frames") == 0 && more) {
            options.frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--out") == 0 && more) {
            options.out = argv[++i];
        } else if (std::strcmp(argv[i], "--step") == 0 && more) {
            options.step = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() != 1 || (options.frames > 0) != !options.out.empty() || options.frames < 0) {
        std::fprintf(stderr, "usage: parview FILE [--path] [--firework] [--assets DIR]\n"
                             "               [--frames N --out OUT.png [--step MS]]\n");
        return 2;
    }
    options.file = args[0];
    const ToolLog log("parview");
    gLog = &log;
    UseAssetsFolder(options.assets);
    return Run(options);
}
