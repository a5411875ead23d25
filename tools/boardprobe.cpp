// boardprobe OUT_DIR [ASSETS_DIR]
// Plays the board screen the way the game opens it and writes what it shows
// as PNG frames into OUT_DIR: the game runs whole (its start-up, window
// types and scripts) on the offscreen display, over a program folder of
// the run's own whose "scripts/main.lua" opens "scripts/game.lua" once for
// each of a list of levels, quick play and one quest level with a task
// (the three mode globals set before each; the quest level is the first
// node of the player's stored quest map, made current with two lives). The clock is a hand clock
// that moves by at most one frame between two passes of the game's loop, so the frames are the same
// from run to run; the levels deal from a random source of a fixed seed. On the first board the
// probe calls the board screen's pop-ups and effects and the top panel's score card one after
// another and writes a frame of each; on the others the bottom panel's layout. ASSETS_DIR is the
// build's assets folder, by default "assets" beside the folder of the program. The run's log is
// kept in the run folder, whose path is printed; its Lua errors and a missing board are reported
// and give status 1.

#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/script/engine/LuaState.h"
#include "framework/ui/manager/TWindowManager.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/board/clsTile.h"
#include "game/board/wndCorvalo.h"
#include "game/progress/dtGameSettings.h"
#include "game/random/GameRandom.h"
#include "game/startup/GameWindowTypes.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/ProbeGame.h"
#include "support/ToolDisplay.h"
#include "velk/GameStartup.h"
#include "velk/game/vlkGame.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// As in the game program: the leak checker of this toolchain misreads the
// dynamic TLS of a library loaded at run time, so it leaves those out.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

using probe::ProbeWindow;

namespace {

constexpr uint32_t kFrameMs = 16;
constexpr uint32_t kSeed = 4517;
// A run that has not ended after this much game time is stuck.
constexpr uint32_t kRunLimitMs = 10 * 60 * 1000;

// The levels the probe opens, in order: mode, style, difficulty, and the
// name its frames carry.
struct Run {
    const char* mode;
    const char* style;
    const char* difficulty;
    const char* name;
};
constexpr Run kRuns[] = {
    {"Classic", "quick", "easy", "classic"},   {"Blitz", "quick", "medium", "blitz"},
    {"Strategy", "quick", "hard", "strategy"}, {"Joker", "quick", "easy", "joker"},
    {"Rome", "quick", "easy", "rome"},         {"Classic", "quest", "easy", "quest-task"},
};

// The probe's start-up script: the game's own look, then each level of the
// list in turn; "gProbeRun" tells the probe which one stands, "gProbeDone"
// that all have closed.
std::string MainScript() {
    std::ostringstream lua;
    lua << "gQuitVerifyActive = 0\n"
           "gCurrentDefaultStyle = {\n"
           "    font = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } },\n"
           "    sound = 'sfx/ui_click.ogg',\n"
           "    rolloversound = 'sfx/ui_rollover.ogg',\n"
           "}\n"
           "SetState(kPause, false)\n"
           "if qvd_getNumUsers() == 0 then\n"
           "    qvd_createNewUser('Probe')\n"
           "end\n"
           "local runs = {\n";
    for (const Run& run : kRuns)
        lua << "    { '" << run.mode << "', '" << run.style << "', '" << run.difficulty << "' },\n";
    lua << "}\n"
           // The quest run plays the first node (Classic level 1) with two
           // of its lives left: the player's stored map is made so.
           "local function PlayFirstNodeWithTwoLives()\n"
           "    gfn_changeUserData()\n"
           "    local map = qvd_getCurrentUserString('UserMetamap', '')\n"
           "    map = string.gsub(map, '^6%^0%^(%-?%d+)%^(%d+)%^(%d)%^(%d)%^(%d)%^(%-?%d+)%^%d+',\n"
           "                      '6^1^0^%1^%2^%3^%4^%5^%6^2')\n"
           "    qvd_setCurrentUserString('UserMetamap', map)\n"
           "end\n"
           "return function()\n"
           "    for i, run in ipairs(runs) do\n"
           "        gGameMode = run[1]\n"
           "        gGameStyle = run[2]\n"
           "        gGameDifficulty = run[3]\n"
           "        if gGameStyle == 'quest' then\n"
           "            PlayFirstNodeWithTwoLives()\n"
           "        end\n"
           "        gProbeRun = i\n"
           "        DoModal('scripts/game.lua')\n"
           "    end\n"
           "    gProbeDone = 1\n"
           "    while true do\n"
           "        WaitForMessage()\n"
           "    end\n"
           "end\n";
    return lua.str();
}

// The Classic levels with a quest task on the first: the wild-card task,
// whose icon stands in the goal's place. Quick play never reads tasks.
bool WriteClassicWithTask(const fs::path& from, const fs::path& to, std::string& error) {
    std::ifstream in(from);
    std::ostringstream text;
    text << in.rdbuf();
    std::string classic = text.str();
    const std::string none = "<task>0</task>";
    const size_t first = classic.find(none);
    if (!in || first == std::string::npos) {
        error = "no level with a task to set in " + from.string();
        return false;
    }
    classic.replace(first, none.size(), "<task>3</task>");
    std::ofstream(to) << classic;
    return true;
}

// The program folder of the shared layout, with the Classic levels of
// the quest run in place of the build's.
bool LayOutProgramFolder(const fs::path& assets, const fs::path& folder, std::string& error) {
    if (!probe::LayOutProgramFolder(assets, folder, MainScript(), error))
        return false;
    const fs::path classic = folder / "assets" / "classic.xml";
    std::error_code failed;
    fs::remove(classic, failed);
    return WriteClassicWithTask(assets / "classic.xml", classic, error);
}

// One thing the probe does on a board: when its time has come (game time
// since the step before), the action runs; a named step then writes a
// frame after its delay.
// A step with a condition counts its time from when the condition holds.
struct Step {
    Step(uint32_t afterMs, std::string frameName, std::function<void()> run = nullptr,
         std::function<bool()> condition = nullptr)
        : after(afterMs), frame(std::move(frameName)), action(std::move(run)),
          until(std::move(condition)) {}

    uint32_t after;
    std::string frame; // empty: no frame
    std::function<void()> action;
    std::function<bool()> until;
};

class Probe {
public:
    Probe(fs::path out, platform::ManualTimeSource& clock, ProbeWindow& window)
        : mOut(std::move(out)), mClock(clock), mWindow(window) {}

    void OnWait(uint32_t timeout) {
        mClock.Advance(std::clamp<uint32_t>(timeout, 1, kFrameMs));
        mNow = mClock.NowMs();
        if (mFinished)
            return;
        if (GetScriptGlobal("gProbeDone") == TString("1")) {
            mFinished = true;
            mWindow.PostQuitMessage(0);
            return;
        }
        if (mNow - mRunStart > kRunLimitMs) {
            Problem("the run " + std::to_string(mRun) + " did not end");
            mFinished = true;
            mWindow.PostQuitMessage(1);
            return;
        }
        const int run = std::atoi(GetScriptGlobal("gProbeRun").CStr());
        if (run != mRun) {
            mRun = run;
            mRunStart = mNow;
            mBoard = nullptr;
            mSteps.clear();
            if (run >= 1 && run <= static_cast<int>(std::size(kRuns)))
                mSteps = StepsOf(run);
            mNext = 0;
            mStepStart = mNow;
        }
        if (!mBoard) {
            mBoard = FindBoard();
            mStepStart = mNow;
            if (!mBoard)
                return;
        }
        if (mNext >= mSteps.size())
            return;
        const Step& step = mSteps[mNext];
        if (step.until && !step.until()) {
            mStepStart = mNow;
            return;
        }
        if (mNow - mStepStart < step.after)
            return;
        if (step.action)
            step.action();
        if (!step.frame.empty())
            Write(step.frame);
        ++mNext;
        mStepStart = mNow;
    }

    const std::vector<std::string>& Problems() const { return mProblems; }
    const std::vector<std::string>& Written() const { return mWritten; }

private:
    wndCorvalo* FindBoard() const {
        TApplication* application = TApplication::Get();
        TWindowManager* manager = application ? application->GetWindowManager() : nullptr;
        TWindow* top = manager ? manager->GetTopModal() : nullptr;
        TWindow* found = top ? top->FindChild(TString("wndCorvalo"), int32_t{-1}) : nullptr;
        return dynamic_cast<wndCorvalo*>(found);
    }

    template <typename Panel> Panel* FindPanel(const char* name) const {
        TWindow* found = mBoard ? mBoard->FindChild(TString(name), int32_t{-1}) : nullptr;
        Panel* panel = dynamic_cast<Panel*>(found);
        if (!panel)
            const_cast<Probe*>(this)->Problem(std::string("no ") + name + " on the board");
        return panel;
    }

    void Problem(const std::string& what) {
        std::fprintf(stderr, "boardprobe: %s\n", what.c_str());
        mProblems.push_back(what);
    }

    void Write(const std::string& frame) {
        const std::string name = std::string(kRuns[mRun - 1].name) + "-" + frame + ".png";
        const fs::path path = mOut / name;
        TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
        TRenderer* renderer = graphics ? graphics->GetRenderer() : nullptr;
        platform::GraphicsDisplay* display =
            renderer && renderer->GetDisplaySetup()
                ? renderer->GetDisplaySetup()->GetContext().GetDirectDraw()
                : nullptr;
        if (!display) {
            Problem(std::string("no display to take ") + path.string() + " from (" +
                    (!renderer                      ? "no renderer"
                     : !renderer->GetDisplaySetup() ? "no display set-up"
                                                    : "no direct draw") +
                    ")");
            return;
        }
        if (!display->SaveScreenshot(path.string())) {
            Problem("cannot write " + path.string());
            return;
        }
        mWritten.push_back(path.string());
        std::printf("%s (%u ms into the level)\n", path.c_str(), mNow - mRunStart);
    }

    // Closes the board: its curtains close and the next level opens.
    Step Close() {
        return {500, "", [this] { mBoard->CloseBoard(); }};
    }

    // The first board: the opening, then each pop-up and effect.
    std::vector<Step> FirstBoard() {
        std::vector<Step> steps = {
            {240, "curtains-half-open", nullptr, nullptr},
        };
        // The countdown begins once the curtains have opened.
        steps.push_back({600, "countdown", nullptr, [this] { return !mBoard->IsOpening(); }});
        steps.push_back({3400, "board", nullptr});
        auto popup = [&](const char* name, std::function<void()> show, uint32_t shown = 500) {
            steps.push_back({1500, "", std::move(show)});
            steps.push_back({shown, name, nullptr});
        };
        popup("combo", [this] { mBoard->ShowCombo(4); });
        popup("chained-combo", [this] { mBoard->ShowChainedCombo(5); });
        popup("super-combo", [this] { mBoard->ShowSuperCombo(7); });
        popup("grid-clear", [this] { mBoard->ShowGridClear(); });
        popup("almost-there", [this] { mBoard->ShowAlmostThere(); });
        steps.push_back({500, "", [this] { mBoard->StopAlmostThere(); }});
        popup("good", [this] { mBoard->ShowGood(); });
        popup(
            "achievement", [this] { mBoard->ShowAchievement(TString("Achieve Game 1")); }, 800);
        popup(
            "snow", [this] { mBoard->StartFreeze(); }, 1000);
        steps.push_back({500, "", [this] { mBoard->EndFreeze(); }});
        popup("warning", [this] { mBoard->SetBoardWarning(true); });
        steps.push_back({200, "", [this] { mBoard->SetBoardWarning(false); }});
        popup("hearts-one-left", [this] { mBoard->ShowLives(1); });
        popup("circle", [this] { mBoard->ShowCircle(true); });
        steps.push_back({200, "", [this] { mBoard->ShowCircle(false); }});
        popup("tiles-completed", [this] { mBoard->ShowTilesCompleted(); });
        popup(
            "celebration", [this] { mBoard->StartCelebration(); }, 600);
        steps.push_back({900, "fireworks", nullptr});
        steps.push_back({1500, "fireworks-late", nullptr});
        steps.push_back({0, "", [this] { mBoard->SkipCelebration(); }});
        steps.push_back({1000, "", [this] {
                             if (TopPanel* top = FindPanel<TopPanel>("topCorvalo"))
                                 top->ShowScoreCard();
                         }});
        steps.push_back({150, "score-card-sliding", nullptr});
        steps.push_back({2500, "score-card", nullptr});
        steps.push_back({0, "", [this] {
                             if (TopPanel* top = FindPanel<TopPanel>("topCorvalo"))
                                 top->ShowFloatingText(TString("+ 5 sec"));
                         }});
        steps.push_back({300, "floating-text", nullptr});
        steps.push_back(Close());
        steps.push_back({500, "curtains-closing", nullptr});
        return steps;
    }

    // The other boards: the opening over, the countdown played, the panel.
    std::vector<Step> LaterBoard() {
        return {
            {5000, "bottom-panel", nullptr},
            {3000, "playing", nullptr},
            Close(),
        };
    }

    std::vector<Step> StepsOf(int run) { return run == 1 ? FirstBoard() : LaterBoard(); }

    fs::path mOut;
    platform::ManualTimeSource& mClock;
    ProbeWindow& mWindow;
    wndCorvalo* mBoard = nullptr;
    std::vector<Step> mSteps;
    size_t mNext = 0;
    int mRun = 0;
    uint32_t mNow = 0;
    uint32_t mRunStart = 0;
    uint32_t mStepStart = 0;
    bool mFinished = false;
    std::vector<std::string> mProblems;
    std::vector<std::string> mWritten;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR [ASSETS_DIR]\n", argv[0]);
        return 2;
    }
    // A developer's probe reads the assets it is given, wherever they lie.
    LuaLetToolsReadAnywhere();
    const fs::path out = fs::absolute(argv[1]);
    const fs::path assets = fs::absolute(argc > 2 ? fs::path(argv[2]) : probe::DefaultAssets());
    if (!fs::is_regular_file(assets / "scripts" / "game.lua")) {
        std::fprintf(stderr, "boardprobe: no scripts/game.lua in %s\n", assets.c_str());
        return 1;
    }
    std::error_code failed;
    fs::create_directories(out, failed);
    const fs::path root = probe::StartRunFolder("boardprobe");
    std::string error;
    if (!LayOutProgramFolder(assets, root / "game", error)) {
        std::fprintf(stderr, "boardprobe: %s\n", error.c_str());
        return 1;
    }

    platform::ManualTimeSource clock(10000);
    platform::ScopedTimeSource timeScope(clock);
    ScopedGameRandom random(kSeed);

    InstallGameSettings();
    clsTile::InstallAsBoardTileMaker();
    ApplyStartupRecord(MakeGameStartupRecord());

    std::optional<Probe> prober;
    fs::path logPath;
    const int status = probe::PlayGameWithProbe("boardprobe", root, prober, logPath, out, clock);
    return probe::ReportRun("boardprobe", prober->Problems(), prober->Written(), true, out, logPath,
                            status);
}
