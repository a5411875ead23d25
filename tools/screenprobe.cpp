// screenprobe OUT_DIR SCRIPT [OPTION...]
// Opens one screen script of the game (say "scripts/pause.lua") the way the
// game opens a dialog, and writes what the screen shows as PNG frames into
// OUT_DIR at given times. The game runs whole (its start-up, window types,
// the look its main.lua sets) on the offscreen display, over a program
// folder of the run's own whose "scripts/main.lua" runs the game's own
// start-up script for its settings and then opens SCRIPT with DoModal. The
// clock is a hand clock that moves by at most one frame between two passes
// of the game's loop, so the frames are the same from run to run.
//
// Times are in milliseconds from the moment the screen opens:
//   --frame MS[:NAME]       a frame, written as PREFIX-NAME.png (NAME: MS)
//   --lua MS:STATEMENT      runs STATEMENT in the screens' script
//   --move MS:X,Y           the pointer moves to X,Y (window pixels)
//   --click MS:X,Y          the pointer moves there and clicks the left button
//                           (pressed 32 ms later, let go 32 ms after that)
//   --key MS:NAME           a key pressed and let go (SDL key names: Space,
//                           Return, Escape, A, ...)
// Before the screen opens:
//   --global NAME=VALUE     a script global (a number when VALUE reads as one)
//   --state FIELD=VALUE     a field of the player's progress: bomb=10,
//                           quickDifficultyBits[3]=7, score[1][0]=500,
//                           catUnlocked=1 (--state help lists the fields)
//   --reward N              a quest map whose pending reward is N (6 the cat,
//                           7 the dog); without it the player has none
//   --quest N               the player's quest map with the first N nodes won
//                           (all of them: the end of the quest not yet played)
//   --assets DIR            the build's assets folder (default: "assets"
//                           beside the folder of the program)
//   --prefix NAME           the frames' names begin with NAME (default: the
//                           script's name without its folder and extension)
// The run ends once everything timed has happened (or SCRIPT's screen has
// closed and nothing timed is left). The run's log is kept in the run
// folder, whose path is printed; its Lua errors, a frame that cannot be
// written and a run that goes on too long give status 1.

#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/script/engine/LuaState.h"
#include "game/board/clsTile.h"
#include "game/data/ModeFiles.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/progress/clsMetamap.h"
#include "game/progress/dtGameSettings.h"
#include "game/random/GameRandom.h"
#include "game/startup/GameWindowTypes.h"
#include "game/state/dtUserState.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/ProbeGame.h"
#include "support/ToolDisplay.h"
#include "velk/GameStartup.h"

#include <SDL.h>
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
// A screen that has not opened after this much game time never will.
constexpr uint32_t kOpenLimitMs = 60 * 1000;
// After the screen has closed with nothing timed left, this much more.
constexpr uint32_t kAfterCloseMs = 200;
// The steps of a click: move, press, let go.
constexpr uint32_t kClickStepMs = 2 * kFrameMs;

// One timed thing: a frame, a statement or an input event.
struct Event {
    enum class Kind { Frame, Lua, Move, Down, Up, Key };
    Kind kind = Kind::Frame;
    uint32_t at = 0;
    std::string text; // the frame's name, the statement or the key
    int x = 0;
    int y = 0;
};

struct Options {
    fs::path out;
    std::string script;
    fs::path assets;
    std::string prefix;
    std::vector<Event> events;
    std::vector<std::pair<std::string, std::string>> globals;
    std::vector<std::pair<std::string, std::string>> state;
    int reward = -1; // -1: no quest map
    int questWon = -1; // -1: the player's quest map as stored
};

// A quest map of one node that only holds a pending reward, for the
// screens that read or clear it.
class ProbeQuestMap : public QuestMap {
public:
    explicit ProbeQuestMap(int reward) : mReward(reward) {}
    bool HasCurrentNode() const override { return false; }
    int GetCurrentNodeLives() const override { return 0; }
    void SetCurrentNodeLives(int) override {}
    void CompleteCurrentNode(int) override {}
    void ResetScoresAndLives() override {}
    int GetPendingReward() const override { return mReward; }
    int GetCurrentNodeReward() const override { return 0; }
    int GetCurrentNodeGoal() const override { return 0; }
    int GetCurrentNodeLevel() const override { return -1; }
    int GetNodeCount() const override { return 1; }
    bool IsNodeLocked(int index) const override { return index != 0; }
    bool IsAvatarUnlockPending() const override { return mReward != 0; }
    void ClearPendingReward() override { mReward = 0; }
    bool IsQuestFinished() const override { return false; }
    void SetQuestFinished(bool) override {}

private:
    int mReward;
};

// The fields of the user state the probe can set, by name; arrays take
// indices: name[i] or name[i][j].
struct StateField {
    const char* name;
    std::function<int32_t*(dtUserState&, int, int)> at;
    int dimensions;
};

template <size_t N> int32_t* Index(std::array<int32_t, N>& values, int i) {
    return i >= 0 && static_cast<size_t>(i) < N ? &values[static_cast<size_t>(i)] : nullptr;
}

int32_t* Index2(dtUserState::PerMode& values, int i, int j) {
    if (i < 0 || static_cast<size_t>(i) >= values.size())
        return nullptr;
    return Index(values[static_cast<size_t>(i)], j);
}

#define PROBE_SCALAR(field)                                                                        \
    StateField {                                                                                   \
#field, [](dtUserState & s, int, int) { return &s.field; }, 0                              \
    }
#define PROBE_ARRAY(field)                                                                         \
    StateField {                                                                                   \
#field, [](dtUserState & s, int i, int) { return Index(s.field, i); }, 1                   \
    }
#define PROBE_PER_MODE(field)                                                                      \
    StateField {                                                                                   \
#field, [](dtUserState & s, int i, int j) { return Index2(s.field, i, j); }, 2             \
    }

const std::vector<StateField>& StateFields() {
    static const std::vector<StateField> fields = {
        PROBE_SCALAR(mode),
        PROBE_SCALAR(avatar),
        PROBE_SCALAR(quota),
        PROBE_SCALAR(level),
        PROBE_SCALAR(roundCounter),
        PROBE_SCALAR(lives),
        PROBE_SCALAR(bestCombo),
        PROBE_SCALAR(levelScore),
        PROBE_SCALAR(totalScore),
        PROBE_SCALAR(levelOffset),
        PROBE_SCALAR(infiniteLevel),
        PROBE_SCALAR(allQuest),
        PROBE_SCALAR(halfQuest),
        PROBE_SCALAR(combo25),
        PROBE_SCALAR(combo50),
        PROBE_SCALAR(chain20),
        PROBE_SCALAR(bomb),
        PROBE_SCALAR(freeze),
        PROBE_SCALAR(wild),
        PROBE_SCALAR(sidewinder),
        PROBE_SCALAR(showtime),
        PROBE_SCALAR(screen1),
        PROBE_SCALAR(screen5),
        PROBE_SCALAR(spareWord0),
        PROBE_SCALAR(spareWord1),
        PROBE_SCALAR(scoreAchieved),
        PROBE_SCALAR(extraScore),
        PROBE_SCALAR(instructionsShown),
        PROBE_ARRAY(quickDifficultyBits),
        PROBE_ARRAY(questDifficultyBits),
        PROBE_PER_MODE(score),
        PROBE_PER_MODE(highScore),
        PROBE_PER_MODE(modeLevel),
        PROBE_PER_MODE(modeBestCombo),
        PROBE_PER_MODE(modeLives),
    };
    return fields;
}

#undef PROBE_SCALAR
#undef PROBE_ARRAY
#undef PROBE_PER_MODE

bool ParseInt(const std::string& text, int& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// Sets FIELD (with its indices) to VALUE; false with the reason otherwise.
bool SetStateField(dtUserState& user, const std::string& field, const std::string& text,
                   std::string& error) {
    int value = 0;
    if (!ParseInt(text, value)) {
        error = "not a number: " + text;
        return false;
    }
    std::string name = field;
    std::vector<int> indices;
    const size_t bracket = field.find('[');
    if (bracket != std::string::npos) {
        name = field.substr(0, bracket);
        size_t at = bracket;
        while (at < field.size() && field[at] == '[') {
            const size_t close = field.find(']', at);
            int index = 0;
            if (close == std::string::npos ||
                !ParseInt(field.substr(at + 1, close - at - 1), index)) {
                error = "bad index in " + field;
                return false;
            }
            indices.push_back(index);
            at = close + 1;
        }
        if (at != field.size()) {
            error = "bad index in " + field;
            return false;
        }
    }
    if (name == "catUnlocked" || name == "dogUnlocked") {
        if (!indices.empty()) {
            error = name + " takes no index";
            return false;
        }
        (name == "catUnlocked" ? user.catUnlocked : user.dogUnlocked) = value != 0 ? 1 : 0;
        return true;
    }
    for (const StateField& known : StateFields()) {
        if (name != known.name)
            continue;
        if (static_cast<int>(indices.size()) != known.dimensions) {
            error = name + " takes " + std::to_string(known.dimensions) + " indices";
            return false;
        }
        int32_t* slot =
            known.at(user, indices.empty() ? 0 : indices[0], indices.size() < 2 ? 0 : indices[1]);
        if (!slot) {
            error = "index out of range in " + field;
            return false;
        }
        *slot = value;
        return true;
    }
    error = "no such field: " + name + " (--state help lists them)";
    return false;
}

void ListStateFields() {
    std::printf("The fields of --state FIELD=VALUE:\n");
    for (const StateField& field : StateFields())
        std::printf("  %s%s\n", field.name,
                    field.dimensions == 0   ? ""
                    : field.dimensions == 1 ? "[mode 1-5]"
                                            : "[mode 1-5][difficulty 0-2]");
    std::printf("  catUnlocked\n  dogUnlocked\n");
}

// A Lua string literal of the text.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\\' || c == '\'')
            quoted += '\\';
        if (c == '\n') {
            quoted += "\\n";
            continue;
        }
        quoted += c;
    }
    return quoted + "'";
}

// The probe's start-up script: the game's own start-up script run for its
// settings (its screens' function is not called), a player, the globals,
// and then the screen. "gProbeReady" is set by the probe once the user state
// is filled; "gProbeOpen" and "gProbeClosed" tell it when the screen opens
// and when it has closed.
std::string MainScript(const std::string& gameMain, const Options& options) {
    std::ostringstream lua;
    lua << "local gameScreens = (function()\n" << gameMain << "\nend)()\n";
    lua << "if qvd_getNumUsers and qvd_getNumUsers() == 0 then\n"
           "    qvd_createNewUser('Probe')\n"
           "end\n";
    for (const auto& [name, value] : options.globals) {
        int number = 0;
        lua << name << " = " << (ParseInt(value, number) ? value : Quoted(value)) << "\n";
    }
    lua << "return function()\n"
           "    while gProbeReady == nil do\n"
           "        WaitForMessage()\n"
           "    end\n"
           "    gProbeOpen = 1\n"
           "    DoModal("
        << Quoted(options.script)
        << ")\n"
           "    gProbeClosed = 1\n"
           "    while true do\n"
           "        WaitForMessage()\n"
           "    end\n"
           "end\n";
    return lua.str();
}

class Probe {
public:
    Probe(const Options& options, platform::ManualTimeSource& clock, ProbeWindow& window)
        : mOptions(options), mClock(clock), mWindow(window) {
        mEvents = options.events;
        std::stable_sort(mEvents.begin(), mEvents.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });
    }

    void OnWait(uint32_t timeout) {
        mClock.Advance(std::clamp<uint32_t>(timeout, 1, kFrameMs));
        mNow = mClock.NowMs();
        if (mFinished)
            return;
        if (!mReady) {
            mReady = true;
            mStart = mNow;
            FillUserState();
            // The first click on an inactive window only brings it forward:
            // that click is made here, on the empty main window, so that
            // the screen's first click counts.
            Move(1, 1);
            Button(SDL_MOUSEBUTTONDOWN, 1, 1);
            Button(SDL_MOUSEBUTTONUP, 1, 1);
            RunLevelScript(TString("gProbeReady = 1"));
            return;
        }
        if (!mOpen) {
            if (GetScriptGlobal("gProbeOpen") == TString("1")) {
                mOpen = true;
                mOpenedAt = mNow;
            } else if (mNow - mStart > kOpenLimitMs) {
                Finish("the screen did not open", 1);
            }
            return;
        }
        const uint32_t since = mNow - mOpenedAt;
        while (mNext < mEvents.size() && mEvents[mNext].at <= since)
            Run(mEvents[mNext++]);
        if (!mClosed && GetScriptGlobal("gProbeClosed") == TString("1")) {
            mClosed = true;
            mClosedAt = mNow;
        }
        if (mNext >= mEvents.size() && (mClosed ? mNow - mClosedAt >= kAfterCloseMs : true))
            Finish("", 0);
    }

    const std::vector<std::string>& Problems() const { return mProblems; }
    const std::vector<std::string>& Written() const { return mWritten; }

private:
    void Finish(const std::string& problem, int status) {
        if (!problem.empty())
            Problem(problem);
        mFinished = true;
        mWindow.PostQuitMessage(status);
    }

    void FillUserState() {
        if (mOptions.state.empty() && mOptions.questWon < 0)
            return;
        // The game's settings object keeps the player's progress once made.
        ProgressStore* store = GetLevelServices().progress;
        dtUserState* user = store ? store->GetUserState() : nullptr;
        if (!user) {
            Problem("no user state to fill");
            return;
        }
        for (const auto& [field, value] : mOptions.state) {
            std::string error;
            if (!SetStateField(*user, field, value, error))
                Problem(error);
        }
        // The world map reads the player's quest map from the store.
        if (mOptions.questWon >= 0 && WinQuestNodes(*user, mOptions.questWon))
            store->SaveUserData();
    }

    // The first n nodes won in order, each already shown on the map.
    bool WinQuestNodes(dtUserState& user, int n) {
        clsMetamap* map = user.GetMetamap();
        if (!map || n > map->GetNodeCount()) {
            Problem("the quest map has fewer than " + std::to_string(n) + " nodes");
            return false;
        }
        for (int i = 0; i < n; ++i) {
            map->SetCurrentNode(i);
            map->CompleteCurrentNode(1000);
            map->GetNode(i)->unlockNotYetShown = false;
        }
        return true;
    }

    void Problem(const std::string& what) {
        std::fprintf(stderr, "screenprobe: %s\n", what.c_str());
        mProblems.push_back(what);
    }

    void Run(const Event& event) {
        switch (event.kind) {
        case Event::Kind::Frame:
            Write(event.text);
            break;
        case Event::Kind::Lua:
            if (!RunLevelScript(TString(event.text.c_str())))
                Problem("the statement failed: " + event.text);
            break;
        case Event::Kind::Move:
            Move(event.x, event.y);
            break;
        case Event::Kind::Down:
            Button(SDL_MOUSEBUTTONDOWN, event.x, event.y);
            break;
        case Event::Kind::Up:
            Button(SDL_MOUSEBUTTONUP, event.x, event.y);
            break;
        case Event::Kind::Key:
            Key(event.text);
            break;
        }
    }

    uint32_t WindowId() const {
        SDL_Window* window = mWindow.NativeWindow();
        return window ? SDL_GetWindowID(window) : 0;
    }

    // The game asks SDL where the pointer is, so the pointer is put there
    // too; the motion event is what a player's move sends.
    void Move(int x, int y) {
        mWindow.WarpPointer(x, y);
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = WindowId();
        event.motion.x = x;
        event.motion.y = y;
        SDL_PushEvent(&event);
    }

    void Button(uint32_t type, int x, int y) {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = WindowId();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }

    void Key(const std::string& name) {
        const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
        if (key == SDLK_UNKNOWN) {
            Problem("no key called " + name);
            return;
        }
        for (const uint32_t type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event event{};
            event.type = type;
            event.key.windowID = WindowId();
            event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.sym = key;
            event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
            SDL_PushEvent(&event);
        }
    }

    void Write(const std::string& frame) {
        const fs::path path = mOptions.out / (mOptions.prefix + "-" + frame + ".png");
        TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
        TRenderer* renderer = graphics ? graphics->GetRenderer() : nullptr;
        platform::GraphicsDisplay* display =
            renderer && renderer->GetDisplaySetup()
                ? renderer->GetDisplaySetup()->GetContext().GetDirectDraw()
                : nullptr;
        if (!display) {
            Problem("no display to take " + path.string() + " from");
            return;
        }
        if (!display->SaveScreenshot(path.string())) {
            Problem("cannot write " + path.string());
            return;
        }
        mWritten.push_back(path.string());
        std::printf("%s (%u ms after the screen opened)\n", path.c_str(), mNow - mOpenedAt);
    }

    const Options& mOptions;
    platform::ManualTimeSource& mClock;
    ProbeWindow& mWindow;
    std::vector<Event> mEvents;
    size_t mNext = 0;
    uint32_t mNow = 0;
    uint32_t mStart = 0;
    uint32_t mOpenedAt = 0;
    uint32_t mClosedAt = 0;
    bool mReady = false;
    bool mOpen = false;
    bool mClosed = false;
    bool mFinished = false;
    std::vector<std::string> mProblems;
    std::vector<std::string> mWritten;
};

void Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s OUT_DIR SCRIPT [--frame MS[:NAME]] [--lua MS:STATEMENT]\n"
                 "       [--move MS:X,Y] [--click MS:X,Y] [--key MS:NAME]\n"
                 "       [--global NAME=VALUE] [--state FIELD=VALUE] [--reward N] [--assets DIR]\n"
                 "       [--prefix NAME]   (--state help lists the fields)\n",
                 program);
}

// MS:REST; REST may be empty when `optional`.
bool SplitTime(const std::string& text, uint32_t& at, std::string& rest, bool optional) {
    const size_t colon = text.find(':');
    int ms = 0;
    if (!ParseInt(text.substr(0, colon), ms) || ms < 0)
        return false;
    at = static_cast<uint32_t>(ms);
    rest = colon == std::string::npos ? "" : text.substr(colon + 1);
    return optional || !rest.empty();
}

bool SplitPair(const std::string& text, char separator, std::string& first, std::string& second) {
    const size_t at = text.find(separator);
    if (at == std::string::npos || at == 0)
        return false;
    first = text.substr(0, at);
    second = text.substr(at + 1);
    return true;
}

// False (with a message) on a bad command line; `listed` when only a list
// was asked for.
bool ParseOptions(int argc, char** argv, Options& options, bool& listed) {
    listed = false;
    std::vector<std::string> words(argv + 1, argv + argc);
    std::vector<std::string> positional;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) {
            positional.push_back(word);
            continue;
        }
        if (i + 1 >= words.size()) {
            std::fprintf(stderr, "screenprobe: %s wants a value\n", word.c_str());
            return false;
        }
        const std::string value = words[++i];
        Event event;
        std::string rest;
        bool good = true;
        if (word == "--frame") {
            good = SplitTime(value, event.at, rest, true);
            event.kind = Event::Kind::Frame;
            event.text = rest.empty() ? std::to_string(event.at) : rest;
            options.events.push_back(event);
        } else if (word == "--lua") {
            good = SplitTime(value, event.at, event.text, false);
            event.kind = Event::Kind::Lua;
            options.events.push_back(event);
        } else if (word == "--key") {
            good = SplitTime(value, event.at, event.text, false);
            event.kind = Event::Kind::Key;
            options.events.push_back(event);
        } else if (word == "--move" || word == "--click") {
            std::string x, y;
            good = SplitTime(value, event.at, rest, false) && SplitPair(rest, ',', x, y) &&
                   ParseInt(x, event.x) && ParseInt(y, event.y);
            event.kind = Event::Kind::Move;
            options.events.push_back(event);
            // A click as a player makes one: the pointer comes, the button
            // goes down and then up, each on a pass of the loop of its own.
            if (word == "--click") {
                event.kind = Event::Kind::Down;
                event.at += kClickStepMs;
                options.events.push_back(event);
                event.kind = Event::Kind::Up;
                event.at += kClickStepMs;
                options.events.push_back(event);
            }
        } else if (word == "--global" || word == "--state") {
            std::string name, text;
            if (word == "--state" && value == "help") {
                ListStateFields();
                listed = true;
                return true;
            }
            good = SplitPair(value, '=', name, text);
            (word == "--global" ? options.globals : options.state).emplace_back(name, text);
        } else if (word == "--quest") {
            good = ParseInt(value, options.questWon) && options.questWon >= 0;
        } else if (word == "--reward") {
            good = ParseInt(value, options.reward) && options.reward >= 0;
        } else if (word == "--assets") {
            options.assets = fs::absolute(value);
        } else if (word == "--prefix") {
            options.prefix = value;
        } else {
            std::fprintf(stderr, "screenprobe: unknown option %s\n", word.c_str());
            return false;
        }
        if (!good) {
            std::fprintf(stderr, "screenprobe: bad value for %s: %s\n", word.c_str(),
                         value.c_str());
            return false;
        }
    }
    if (positional.size() != 2)
        return false;
    options.out = fs::absolute(positional[0]);
    options.script = positional[1];
    if (options.assets.empty())
        options.assets = fs::absolute(probe::DefaultAssets());
    if (options.prefix.empty())
        options.prefix = fs::path(options.script).stem().string();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    bool listed = false;
    if (!ParseOptions(argc, argv, options, listed)) {
        Usage(argv[0]);
        return 2;
    }
    if (listed)
        return 0;
    // A developer's probe reads the assets it is given, wherever they lie.
    LuaLetToolsReadAnywhere();
    if (!fs::is_regular_file(options.assets / options.script)) {
        std::fprintf(stderr, "screenprobe: no %s in %s\n", options.script.c_str(),
                     options.assets.c_str());
        return 1;
    }
    if (!fs::is_regular_file(options.assets / "scripts" / "main.lua")) {
        std::fprintf(stderr, "screenprobe: no scripts/main.lua in %s\n", options.assets.c_str());
        return 1;
    }
    std::error_code failed;
    fs::create_directories(options.out, failed);
    const fs::path root = probe::StartRunFolder("screenprobe");
    std::string error;
    const std::string gameMain = probe::ReadAll(options.assets / "scripts" / "main.lua");
    if (!probe::LayOutProgramFolder(options.assets, root / "game", MainScript(gameMain, options),
                                    error)) {
        std::fprintf(stderr, "screenprobe: %s\n", error.c_str());
        return 1;
    }

    platform::ManualTimeSource clock(10000);
    platform::ScopedTimeSource timeScope(clock);
    ScopedGameRandom random(kSeed);

    ProbeQuestMap questMap(options.reward);
    LevelServices services;
    if (options.reward >= 0)
        services.questMap = &questMap;
    ScopedLevelServices installed(services);
    InstallGameDataLoaders();
    // The player's progress comes from the game's own settings store.
    InstallGameSettings();
    clsTile::InstallAsBoardTileMaker();
    ApplyStartupRecord(MakeGameStartupRecord());

    std::optional<Probe> prober;
    fs::path logPath;
    const int status =
        probe::PlayGameWithProbe("screenprobe", root, prober, logPath, options, clock);
    return probe::ReportRun("screenprobe", prober->Problems(), prober->Written(), false,
                            options.out, logPath, status);
}
