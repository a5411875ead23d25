// csview FILE [--assets DIR] [--speed S] [--frames N --out OUT.png [--step MS]]
//             [--continue-at MS] [--text TEXT --letters PATH --object NAME]
//             [--letter-width W] [--background IMAGE] [--at X Y]
// Plays a cut-scene the way the game's screens do, on the GL display over a
// checkerboard, 1024 x 768 like the game's screen. FILE is a logical name
// of the assets folder (DIR, "assets" by default) or a disk path. With
// --text it plays TEXT as a banner instead: a text sequence (parts split at
// "_") of the cut-scene template FILE, whose sprite object NAME ("sprite"
// by default) shows the letter pictures under PATH (no PATH: the template's
// text object NAME shows each part), centred in the window, its letters W
// pixels apart when --letter-width is given. --background draws the
// picture IMAGE (centred) instead of the checkerboard; --at places the
// scene (or the banner) at X, Y as a screen does. The string
// table ("loc/<locale>/strings.xml") and the asset lists ("assets.xml") are
// loaded when the assets hold them, so text objects show their labels and
// sound objects play.
// Without --frames it opens a window: Space or Enter continue (past a
// "stop"), a click goes to the objects' click commands, S finishes the
// scene, Escape quits; a banner starts again when it has played. With
// --frames it draws N frames headless (the offscreen driver works), the
// scene and the animation clock moving by --step milliseconds (default 40)
// before each, continuing once when --continue-at milliseconds have passed,
// and writes them as OUT_000.png, OUT_001.png, ... On failure the log lines
// go to stderr.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
#include "platform/audio/null/NullAudioDevice.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/FramePath.h"
#include "support/ToolAssets.h"
#include "support/ToolDisplay.h"
#include "support/ToolLog.h"
#include "velk/assets/TAssetLists.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/globals/GameGlobals.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace platform;

namespace {

const ToolLog* gLog = nullptr;

int Fail(const std::string& what) {
    return gLog->Fail(what);
}

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

struct Options {
    std::string file;
    std::string assets = "assets";
    std::string out;
    int frames = 0;
    uint32_t step = 40;
    float speed = 1.0f;
    int64_t continueAt = -1;
    bool banner = false;
    std::string text;
    std::string letters;
    std::string object = "sprite";
    int letterWidth = -1;
    std::string background;
    bool placed = false;
    int32_t x = kWidth / 2;
    int32_t y = kHeight / 2;
};

// Says on standard output when the scene ends, as a screen would hear it.
class EndReporter : public vlkICutscene {
public:
    void OnCutsceneEnd(vlkCutscene*) override {
        ended = true;
        std::printf("the cut-scene ended\n");
    }
    bool ended = false;
};

// The scene or the banner, behind one face.
class Player {
public:
    virtual ~Player() = default;
    virtual void Update(uint32_t elapsed) = 0;
    virtual void Draw() = 0;
    virtual void Continue() {}
    virtual void Finish() {}
    virtual void Click(int32_t, int32_t) {}
    virtual bool Ended() const = 0;
    virtual void Restart() = 0;
    virtual std::string Describe() const = 0;
};

class ScenePlayer : public Player {
public:
    explicit ScenePlayer(const Options& options) : mOptions(options) {
        mScene.SetFinishHandler(&vlkICutscene::OnCutsceneEnd);
        mScene.SetSpeed(options.speed);
    }
    bool Load(const TString& file) {
        if (!mScene.Load(file))
            return false;
        if (mOptions.placed)
            mScene.SetPosition(static_cast<float>(mOptions.x), static_cast<float>(mOptions.y));
        return true;
    }
    void Update(uint32_t elapsed) override { mScene.Update(elapsed); }
    void Draw() override { mScene.Draw(); }
    void Continue() override { mScene.Continue(); }
    void Finish() override { mScene.Finish(); }
    void Click(int32_t x, int32_t y) override {
        std::printf("click at %d,%d %s\n", x, y,
                    mScene.HandleClick(x, y) ? "handled" : "not handled");
        std::fflush(stdout);
    }
    bool Ended() const override { return mReporter.ended; }
    void Restart() override {
        mReporter.ended = false;
        mScene.Play();
    }
    std::string Describe() const override {
        char text[96];
        std::snprintf(text, sizeof text, "scene at %u ms, keyframe %u of %u%s%s",
                      mScene.GetTimeLine().GetTime(), mScene.GetTimeLine().GetIndex(),
                      mScene.CountKeyframes(),
                      mScene.IsWaitingAtStop() ? ", waiting at a stop" : "",
                      mScene.IsPlaying() ? "" : ", ended");
        return text;
    }
    const vlkCutscene& Scene() const { return mScene; }

private:
    const Options& mOptions;
    EndReporter mReporter;
    vlkCutscene mScene{&mReporter, nullptr};
};

class BannerPlayer : public Player {
public:
    BannerPlayer(const TString& file, const Options& options)
        : mSequence(file, TString(options.object.c_str()), TString(options.letters.c_str())) {
        mSequence.SetText(TString(options.text.c_str()));
        mSequence.SetPosition(options.x, options.y);
        if (options.letterWidth >= 0)
            mSequence.SetLetterWidth(options.letterWidth);
    }
    void Update(uint32_t elapsed) override { mSequence.Update(elapsed); }
    void Draw() override { mSequence.Draw(); }
    bool Ended() const override { return mSequence.IsFinished(); }
    void Restart() override { mSequence.Play(); }
    std::string Describe() const override {
        return "part " + std::to_string(mSequence.GetCurrentIndex()) + " of " +
               std::to_string(mSequence.GetParts().size()) +
               (mSequence.IsFinishedThisFrame() ? ", finished" : "");
    }

private:
    vlkCutsceneTextSequence mSequence;
};

void DrawScene(TGraphics* graphics, Player& player, TSprite* background) {
    graphics->Begin2d();
    if (background)
        background->Draw(TDrawSpec(), -1);
    else
        DrawCheckerboard(graphics, kWidth, kHeight, 32, TColor(0.45f, 0.45f, 0.5f, 1.0f),
                         TColor(0.35f, 0.35f, 0.4f, 1.0f));
    player.Draw();
    graphics->End2d();
}

// The string table and asset lists of the assets, when they have them.
struct GameData {
    std::optional<TStringTable> strings;
    std::unique_ptr<TAssetLists> lists;

    void Load() {
        const TString locale = GetSetting("locale", "en");
        const TString table = TString::Format("loc/%s/strings.xml", locale.CStr());
        if (FileExists(table.CStr())) {
            strings.emplace();
            if (strings->LoadFile(table))
                gGameStringTable = &*strings;
        }
        if (FileExists("assets.xml")) {
            lists = std::make_unique<TAssetLists>("assets.xml");
            lists->LoadFixedAssets();
            gAssetLists = lists.get();
        }
        std::printf("string table %s, asset lists %s\n", gGameStringTable ? "loaded" : "none",
                    gAssetLists ? "loaded" : "none");
    }
    ~GameData() {
        gGameStringTable = nullptr;
        gAssetLists = nullptr;
    }
};

int Run(const Options& options) {
    const bool headless = options.frames > 0;
    // Headless, the framework's clock (animations, sounds) moves with the
    // frames.
    ManualTimeSource manualTime(1000);
    std::optional<ScopedTimeSource> scopedTime;
    if (headless)
        scopedTime.emplace(manualTime);

    TAssetManager assetManager;
    TString name(options.file.c_str());
    if (!FileExists(name.CStr()))
        name = TString(("::" + options.file).c_str());
    WindowSpec spec;
    spec.caption = "csview " + options.file;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.visible = !headless;
    ToolDisplay screen;
    if (std::string error; !screen.Open(spec, error))
        return Fail(error);
    if (spec.width < kWidth || spec.height < kHeight)
        std::printf("the window is %dx%d: the scene's right and bottom are cut\n", spec.width,
                    spec.height);
    TGraphics* graphics = TGraphics::Get();
    // Text objects draw through the vector drawer, onto the draw front.
    TNbMiniVecDraw textDrawer;

    TSoundManager sound;
    if (headless)
        sound.Init(std::make_unique<NullAudioDevice>(), false);
    else if (!sound.Init())
        std::printf("no sound output; playing silently\n");
    RegisterOggDataSourceBuilder();
    TTaskList tasks;
    TAnimatedSprite::SetTaskList(&tasks);

    int status = 0;
    {
        GameData data;
        data.Load();
        std::unique_ptr<Player> player;
        if (options.banner) {
            player = std::make_unique<BannerPlayer>(name, options);
        } else {
            auto scene = std::make_unique<ScenePlayer>(options);
            if (!scene->Load(name)) {
                TAnimatedSprite::SetTaskList(nullptr);
                return Fail(options.file + " is no cut-scene that loads");
            }
            std::printf("%s: %zu objects, %u keyframes, %u ms a frame\n", name.CStr(),
                        scene->Scene().GetObjects().size(), scene->Scene().CountKeyframes(),
                        scene->Scene().GetFrameInterval());
            player = std::move(scene);
        }
        player->Restart();

        std::shared_ptr<TSprite> background;
        if (!options.background.empty()) {
            std::shared_ptr<TTexture> picture = TTexture::Get(TString(options.background.c_str()));
            if (!picture) {
                TAnimatedSprite::SetTaskList(nullptr);
                return Fail(options.background + " is no picture that loads");
            }
            background = TSprite::Create(0);
            background->SetTexture(picture);
            background->GetDrawSpec() = TDrawSpec(kWidth / 2.0f, kHeight / 2.0f, 1.0f, 1.0f);
        }

        if (headless) {
            GraphicsDisplay* display =
                screen.renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
            uint32_t time = 0;
            bool continued = false;
            for (int frame = 0; frame < options.frames; ++frame) {
                time += options.step;
                manualTime.Advance(options.step);
                tasks.RunAll(0);
                player->Update(options.step);
                if (!continued && options.continueAt >= 0 && time >= options.continueAt) {
                    continued = true;
                    std::printf("continue at %u ms\n", time);
                    player->Continue();
                }
                if (!graphics->BeginDraw()) {
                    status = Fail("the frame could not begin");
                    break;
                }
                DrawScene(graphics, *player, background.get());
                graphics->EndDraw(false);
                const std::string path = FramePath(options.out, frame);
                if (!display || !display->SaveScreenshot(path)) {
                    status = Fail("cannot write " + path);
                    break;
                }
                std::printf("frame %d (%u ms): %s -> %s\n", frame, time, player->Describe().c_str(),
                            path.c_str());
            }
        } else {
            bool running = true;
            uint32_t last = SDL_GetTicks();
            std::string said;
            while (running) {
                WindowMessage message;
                while (screen.window.PeekMessage(message)) {
                    if (message.message == kWmQuit || message.message == kWmClose)
                        running = false;
                    if (message.message == kWmKeyDown) {
                        const uint32_t key = static_cast<uint32_t>(message.wParam);
                        if (key == kVkEscape)
                            running = false;
                        else if (key == kVkSpace || key == kVkReturn)
                            player->Continue();
                        else if (key == 'S')
                            player->Finish();
                    }
                    if (message.message == kWmLButtonDown) {
                        const int16_t x = static_cast<int16_t>(message.lParam & 0xFFFF);
                        const int16_t y = static_cast<int16_t>((message.lParam >> 16) & 0xFFFF);
                        player->Click(x, y);
                    }
                }
                const uint32_t now = SDL_GetTicks();
                tasks.RunAll(0);
                player->Update(now - last);
                last = now;
                if (options.banner && player->Ended())
                    player->Restart();
                // Say what changed: where the scene waits, when it ends.
                std::string state = player->Describe();
                if (const size_t comma = state.find(','); comma != std::string::npos)
                    state.erase(0, comma);
                if (state != said) {
                    std::printf("%u ms: %s\n", now, player->Describe().c_str());
                    std::fflush(stdout);
                    said = state;
                }
                if (graphics->BeginDraw()) {
                    DrawScene(graphics, *player, background.get());
                    graphics->EndDraw(true);
                }
                SDL_Delay(15);
            }
        }
    }
    tasks.DeleteAll();
    TAnimatedSprite::SetTaskList(nullptr);
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
        } else if (std::strcmp(argv[i], "--speed") == 0 && more) {
            options.speed = static_cast<float>(std::atof(argv[++i]));
        } else if (std::strcmp(argv[i], "--frames") == 0 && more) {
            options.frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--out") == 0 && more) {
            options.out = argv[++i];
        } else if (std::strcmp(argv[i], "--step") == 0 && more) {
            options.step = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--continue-at") == 0 && more) {
            options.continueAt = std::atoll(argv[++i]);
        } else if (std::strcmp(argv[i], "--text") == 0 && more) {
            options.banner = true;
            options.text = argv[++i];
        } else if (std::strcmp(argv[i], "--letters") == 0 && more) {
            options.letters = argv[++i];
        } else if (std::strcmp(argv[i], "--object") == 0 && more) {
            options.object = argv[++i];
        } else if (std::strcmp(argv[i], "--letter-width") == 0 && more) {
            options.letterWidth = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--background") == 0 && more) {
            options.background = argv[++i];
        } else if (std::strcmp(argv[i], "--at") == 0 && i + 2 < argc) {
            options.placed = true;
            options.x = std::atoi(argv[++i]);
            options.y = std::atoi(argv[++i]);
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() != 1 || (options.frames > 0) != !options.out.empty() || options.frames < 0 ||
        options.speed <= 0.0f || (!options.banner && !options.letters.empty())) {
        std::fprintf(stderr,
                     "usage: csview FILE [--assets DIR] [--speed S]\n"
                     "              [--frames N --out OUT.png [--step MS]] [--continue-at MS]\n"
                     "              [--text TEXT [--letters PATH] [--object NAME]\n"
                     "               [--letter-width W]] [--background IMAGE] [--at X Y]\n");
        return 2;
    }
    options.file = args[0];
    const ToolLog log("csview");
    gLog = &log;
    UseAssetsFolder(options.assets);
    return Run(options);
}
