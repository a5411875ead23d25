#include "framework/host/PortalState.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/host/THostServices.h"
#include "framework/sound/manager/TSoundManager.h"
#include "platform/time/TimeSource.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The host message that carries a chunk of text; the host answers with the
// same message number.
constexpr uint32_t kHostTextMessage = 0x0400;
constexpr size_t kChunkBytes = 8;
// Score broadcasts come at most this often (raw tick count).
constexpr uint32_t kBroadcastSpacingMs = 5000;
// Message texts are kept within what the page's buffer takes.
constexpr size_t kMaxMessageLength = 255;
// A hostile host can send codes without end: so many lines at most.
constexpr int kMaxCodeLogLines = 20;

struct PortalState {
    bool msn = false;
    bool quarrow = false;
    bool readySent = false;
    bool jumpToMenuPending = false;
    bool restartPending = false;
    bool hostBusy = false;
    bool gameMuted = false;
    bool portalMuted = false;
    float savedVolume = 0.0f;
    bool waiting = false;
    bool gameActive = false;
    bool paused = false;
    bool scoreSubmitted = false;
    uint32_t breakCounter = 0;
    uint32_t waitStart = 0;
    uint32_t totalWait = 0;
    // No broadcast yet in this portal game: the first score goes out at
    // once, whatever the tick count.
    bool broadcastYet = false;
    uint32_t lastBroadcast = 0;
    int32_t level = 0;
    int32_t sublevel = 0;
    int32_t upsellLevels = 0;
    int32_t maxLevels = 0;
    int32_t comInterval = -1;
    bool noRestartOnNextGame = true;
    TClock clock;
    // Said once a run: a waiting message that reached no host.
    bool noHostLogged = false;
    int codeLogLines = 0;
};

PortalState& State() {
    static PortalState state;
    return state;
}

bool HasPqSwitch() {
    THostServices* services = GetHostServices();
    return services && services->HasPqSwitch();
}

void LogUnknownCode(int32_t code) {
    PortalState& s = State();
    if (s.codeLogLines > kMaxCodeLogLines)
        return;
    ++s.codeLogLines;
    if (s.codeLogLines > kMaxCodeLogLines) {
        LogPrintf("Portal: further unknown codes from the host are ignored without a line");
        return;
    }
    LogPrintf("Portal: unknown code %d from the host ignored", code);
}

// What a mode name may hold in the page's call: letters, digits, blank,
// "_" and "-"; a quote or an angle bracket would break it.
std::string CleanModeText(const std::string& mode, size_t room) {
    std::string clean;
    bool dropped = false;
    for (char c : mode) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == ' ' || c == '_' || c == '-')
            clean += c;
        else
            dropped = true;
    }
    if (dropped)
        LogPrintf("Portal: characters other than letters, digits, blank, '_' and '-' dropped "
                  "from the game mode");
    if (clean.size() > room) {
        LogPrintf("Portal: game mode of %zu characters cut to %zu", clean.size(), room);
        clean.resize(room);
    }
    return clean;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[kMaxMessageLength + 1];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

uint32_t LittleEndianWord(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t ClockSeconds() {
    return State().clock.GetTime() / 1000u;
}

} // namespace

void SetPortalMsnMode() {
    State().msn = true;
}

void SetPortalQuarrowMode() {
    State().quarrow = true;
}

bool IsPortalMode() {
    return State().msn || State().quarrow;
}

bool IsPortalMsnMode() {
    return State().msn;
}

bool IsPortalQuarrowMode() {
    return State().quarrow;
}

void PostToPortalHost(const std::string& text, bool wait) {
    PortalState& s = State();
    if (HasPqSwitch()) {
        s.gameActive = true;
        return;
    }
    if (s.quarrow)
        wait = false;
    // The text and its NUL, in 8-byte chunks; bytes after the NUL in the
    // last chunk are zero.
    const size_t total = text.size() + 1;
    THostServices* services = GetHostServices();
    bool delivered = services != nullptr;
    for (size_t at = 0; at < total; at += kChunkBytes) {
        unsigned char chunk[kChunkBytes] = {};
        if (at < text.size())
            std::memcpy(chunk, text.data() + at, std::min(kChunkBytes, text.size() - at));
        uint32_t first = LittleEndianWord(chunk);
        uint32_t second = LittleEndianWord(chunk + 4);
        if (!services || !services->SendToHost(kHostTextMessage, first, second))
            delivered = false;
    }
    if (wait) {
        // A wait nobody can end would freeze the game: only a host that
        // took the message is waited for.
        if (delivered) {
            BeginPortalWait();
        } else if (!s.noHostLogged) {
            s.noHostLogged = true;
            LogPrintf("Portal: no host took the message; the game does not wait for an answer");
        }
    }
    UpdatePortalMute();
}

void HandlePortalWindowMessage(int32_t code) {
    PortalState& s = State();
    if (!IsPortalMode())
        return;
    switch (code) {
    case 1:
        s.jumpToMenuPending = true;
        break;
    case 2:
        s.hostBusy = true;
        break;
    case 3:
        s.hostBusy = false;
        break;
    case 4:
        if (HasPqSwitch())
            GetHostServices()->ReleaseMouseCapture();
        BeginPortalWait();
        break;
    case 5:
    case 6:
    case 9:
    case 10:
        EndPortalWait();
        break;
    case 7:
        s.gameActive = true;
        s.broadcastYet = false;
        s.lastBroadcast = 0;
        s.paused = false;
        EndPortalWait();
        s.clock.Reset();
        s.clock.Start();
        s.breakCounter = 0;
        if (s.noRestartOnNextGame)
            s.noRestartOnNextGame = false;
        else
            s.restartPending = true;
        break;
    case 8:
        s.restartPending = true;
        break;
    default:
        LogUnknownCode(code);
        break;
    }
    UpdatePortalMute();
}

void BeginPortalWait() {
    PortalState& s = State();
    if (s.waiting)
        return;
    s.waiting = true;
    s.waitStart = platform::TimerNow();
    if (!s.paused) {
        s.clock.Pause();
        if (THostServices* services = GetHostServices())
            services->ShowSystemArrow();
    }
}

void EndPortalWait() {
    PortalState& s = State();
    if (!s.waiting)
        return;
    s.waiting = false;
    s.totalWait += platform::TimerNow() - s.waitStart;
    s.waitStart = 0;
    if (!s.paused) {
        s.clock.Start();
        if (THostServices* services = GetHostServices())
            services->RestoreGameCursor();
    }
}

bool IsPortalWaiting() {
    return State().waiting;
}

void EndPortalWaitForLostHost() {
    if (!State().waiting)
        return;
    LogPrintf("Portal: the host went away during a wait; the wait ends");
    EndPortalWait();
    UpdatePortalMute();
}

void SubmitPortalScore(int32_t score) {
    PortalState& s = State();
    if (!IsPortalMode())
        return;
    if (s.quarrow) {
        PostToPortalHost(Format("ScoreSubmit(\"<game><score>%ld</score><time>%ld</time><level>%d"
                                "</level><sublevel>%d</sublevel></game>\")",
                                static_cast<long>(score), static_cast<long>(ClockSeconds()),
                                s.level, s.sublevel),
                         false);
        s.scoreSubmitted = true;
    } else {
        PostToPortalHost(Format("ScoreSubmit(\"<game><score>%ld</score><time>%ld</time></game>\")",
                                static_cast<long>(score), static_cast<long>(ClockSeconds())),
                         false);
    }
}

void SendPortalGameEnd() {
    if (!IsPortalMode())
        return;
    State().gameActive = false;
    PostToPortalHost("GameEnd(\"<gamedata></gamedata>\")", true);
}

void BroadcastPortalScore(int32_t score) {
    PortalState& s = State();
    if (!IsPortalMode() || !s.gameActive)
        return;
    uint32_t now = platform::TimerNow();
    if (s.broadcastYet && now - s.lastBroadcast < kBroadcastSpacingMs)
        return;
    s.broadcastYet = true;
    s.lastBroadcast = now;
    PostToPortalHost(Format("ScoreBroadcast(\"<game><score>%ld</score><time>%ld</time></game>\")",
                            static_cast<long>(score), static_cast<long>(ClockSeconds())),
                     false);
}

void SetPortalLevel(int32_t level, int32_t sublevel) {
    if (!IsPortalMode())
        return;
    State().level = level;
    State().sublevel = sublevel;
}

void SendMaxLevelReached() {
    if (IsPortalMode() && State().quarrow)
        PostToPortalHost("MaxLevelReached", false);
}

void SendPortalGameBreak() {
    PortalState& s = State();
    if (!IsPortalMode())
        return;
    ++s.breakCounter;
    PostToPortalHost(
        Format("GameBreak(\"<data><breakpoint>%u</breakpoint></data>\")", s.breakCounter), true);
}

void SendPortalGameReady(const std::string& mode) {
    if (!IsPortalMode())
        return;
    static const char kPrefix[] = "GameReady(\"<data><mode>";
    static const char kSuffix[] = "</mode></data>\")";
    const size_t room = kMaxMessageLength - (sizeof kPrefix - 1) - (sizeof kSuffix - 1);
    PostToPortalHost(kPrefix + CleanModeText(mode, room) + kSuffix, true);
}

void SendPortalLoadProgress(int32_t percent) {
    PortalState& s = State();
    if (!s.msn || s.readySent)
        return;
    percent = std::clamp(percent, 0, 100);
    PostToPortalHost(
        Format("LoadBroadcast(\"<data><percentcomplete>%d</percentcomplete></data>\")", percent),
        true);
}

void SendPortalSessionReady() {
    PortalState& s = State();
    if (!IsPortalMode() || s.readySent)
        return;
    s.readySent = true;
    PostToPortalHost("SessionReady(\"<data></data>\")", true);
}

void SendPortalDeluxe() {
    if (!IsPortalMode())
        return;
    if (State().quarrow)
        PostToPortalHost("GoDeluxe", false);
    else
        PostToPortalHost("CustomEvent(\"<gamedata>DeluxeDownload</gamedata>\")", false);
}

void SetPortalPause(bool paused) {
    PortalState& s = State();
    if (!IsPortalMode() || paused == s.paused)
        return;
    s.paused = paused;
    if (!s.waiting) {
        if (paused) {
            s.clock.Pause();
            if (s.quarrow)
                PostToPortalHost("GamePause(\"<data>true</data>\")", true);
        } else {
            s.clock.Start();
            if (s.quarrow)
                PostToPortalHost("GamePause(\"<data>false</data>\")", true);
        }
    }
    UpdatePortalMute();
}

void SetPortalMute(bool muted) {
    if (!IsPortalMode())
        return;
    State().gameMuted = muted;
    UpdatePortalMute();
}

void SendPortalRestart() {
    PortalState& s = State();
    if (IsPortalMode() && s.quarrow && IsPortalRestartAllowed() && s.scoreSubmitted)
        PostToPortalHost("Restart", false);
}

void UpdatePortalMute() {
    PortalState& s = State();
    if (!IsPortalMode())
        return;
    // Outside quarrow mode the sound waits for the host to start a portal
    // game; with no host there, none can come, and the game plays aloud.
    THostServices* services = GetHostServices();
    const bool hostThere = services && services->IsHostPresent();
    bool off = s.hostBusy || s.paused || s.waiting || s.gameMuted ||
               (!s.quarrow && !s.gameActive && hostThere);
    TSoundManager* sound = TSoundManager::Instance();
    if (off && !s.portalMuted) {
        s.portalMuted = true;
        s.savedVolume = sound ? sound->GetMasterVolume() : 0.0f;
        if (sound)
            sound->SetMasterVolume(0.0f);
    } else if (!off && s.portalMuted) {
        s.portalMuted = false;
        if (sound)
            sound->SetMasterVolume(s.savedVolume);
        s.savedVolume = 0.0f;
    }
}

void SetPortalUpsellLevels(int32_t levels) {
    State().upsellLevels = levels;
}

int32_t GetPortalUpsellLevels() {
    return State().upsellLevels;
}

void SetPortalMaxLevels(int32_t levels) {
    State().maxLevels = levels;
}

int32_t GetPortalMaxLevels() {
    return State().maxLevels;
}

void SetPortalComInterval(int32_t seconds) {
    State().comInterval = seconds;
}

bool IsPortalRestartAllowed() {
    PortalState& s = State();
    if (s.comInterval < 0)
        return false;
    return static_cast<int32_t>(s.clock.GetTime()) / 1000 > s.comInterval;
}

int32_t ReadPortalOption(const std::string& commandLine, const std::string& option) {
    size_t at = commandLine.find(option);
    if (at == std::string::npos)
        return -1;
    // The number starts one character after the name; an option that ends
    // the command line has none.
    size_t number = at + option.size() + 1;
    if (number >= commandLine.size())
        return -1;
    return static_cast<int32_t>(std::strtol(commandLine.c_str() + number, nullptr, 10));
}

bool TakePortalRestartRequest() {
    PortalState& s = State();
    if (!IsPortalMode())
        return false;
    bool pending = s.restartPending;
    s.restartPending = false;
    if (pending) {
        s.gameActive = true;
        UpdatePortalMute();
    }
    return pending;
}

bool TakePortalJumpToMenuRequest() {
    PortalState& s = State();
    if (!IsPortalMode())
        return false;
    bool pending = s.jumpToMenuPending;
    s.jumpToMenuPending = false;
    if (pending) {
        s.noRestartOnNextGame = true;
        s.gameActive = false;
        UpdatePortalMute();
    }
    return pending;
}

bool IsPortalMuted() {
    return State().portalMuted;
}

bool IsPortalGameActive() {
    return State().gameActive;
}

uint32_t GetPortalBreakCounter() {
    return State().breakCounter;
}

uint32_t GetPortalClockTime() {
    return State().clock.GetTime();
}

uint32_t GetPortalWaitTotal() {
    PortalState& s = State();
    uint32_t total = s.totalWait;
    // The running wait counts too: the game's clock stands still during it
    // instead of falling back by the whole wait when it ends.
    if (s.waiting)
        total += platform::TimerNow() - s.waitStart;
    return total;
}

void ResetPortalState() {
    State() = PortalState();
}
