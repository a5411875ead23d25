// Runs the application frame the way the game's entry point does and
// reports on standard output: every start-up and shut-down step ("step
// <name>"), and from inside the game callback the command line, the
// working folder, the harness's window id, the game-state handlers and a
// list of settings; it writes a line to the platform layer's log there and
// once more after the frame has ended. With CORVALO_PROBE_MODE=wait it then
// pulls events until the quit event (SIGTERM), reporting each request of a
// later start as it is taken and their count at the end; with
// CORVALO_PROBE_MODE=events it reports every event until a close request.

#include "framework/app/ApplicationMain.h"
#include "framework/app/StartupTrace.h"
#include "framework/app/TApplication.h"
#include "framework/core/system/TEvent.h"
#include "framework/app/TPlatform.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/host/TGameState.h"
#include "platform/log/PlatformLog.h"
#include "velk/GameStartup.h"

#include "support/DriverLeaks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char* const kReportedSettings[] = {
    "activex",  "downloadurl", "stringtest", "cheatcode", "installkey",   "startupdir",
    "gamename", "publisher",   "version",    "buildtag",  "utf8modeinit", "harness",
    "a",        "b",           "c",          "memorymax", "nbgamehandle", "encryptionkey",
};

int ProbeMain(TApplication* application, const char* commandLine) {
    // The main window's GL driver stays loaded, so the leak checker can
    // still name what it keeps.
    support::PinGlDriver();
    std::printf("cmdline %s\n", commandLine);
    char folder[4096];
    std::printf("cwd %s\n", getcwd(folder, sizeof folder) ? folder : "?");
    std::printf("harness %lx\n", static_cast<unsigned long>(GetHarnessWindow()));
    std::printf("handlers %d\n", TGameState::GetHandlerCount());
    std::printf("userdata %s\n", application->GetPlatform()->mUserDataFolder.CStr());
    platform::PlatformLog("platform line from the game");
    for (const char* name : kReportedSettings) {
        if (HasSetting(name)) {
            std::printf("setting %s=%s\n", name, GetSetting(name).CStr());
        } else {
            std::printf("setting %s absent\n", name);
        }
    }
    std::fflush(stdout);
    const char* mode = std::getenv("CORVALO_PROBE_MODE");
    if (mode && std::strcmp(mode, "wait") == 0) {
        // As the game does before its loop: without a display the pump
        // only tries to bring the display back.
        application->SetDisplayMode(640, 480, false);
        TEvent event;
        int frontRequests = 0;
        do {
            application->GetEvent(event);
            int taken = application->GetPlatform()->GetFrontRequests();
            if (taken != frontRequests) {
                frontRequests = taken;
                std::printf("front requests taken %d\n", taken);
                std::fflush(stdout);
            }
        } while (event.type != kEventQuit);
        std::printf("front %d\n", application->GetPlatform()->GetFrontRequests());
    } else if (mode && std::strcmp(mode, "events") == 0) {
        // Reports every event but idle and nothing; a close request ends
        // the run as the game's placeholder loop does.
        application->SetDisplayMode(640, 480, false);
        std::printf("ready\n");
        std::fflush(stdout);
        TEvent event;
        for (;;) {
            application->GetEvent(event);
            if (event.type == kEventQuit) {
                break;
            }
            if (event.type != kEventIdle && event.type != kEventNothing) {
                std::printf("event %u %d %d %d %u\n", event.type, event.code, event.x, event.y,
                            event.modifiers);
                std::fflush(stdout);
            }
            if (event.type == kEventCloseRequest) {
                application->PostQuit(0);
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SetStartupTrace([](const char* step) {
        std::printf("step %s\n", step);
        std::fflush(stdout);
    });
    TCommandLine commandLine = TCommandLine::FromArguments(argc, argv);
    ApplyStartupRecord(MakeGameStartupRecord());
    ApplicationMain(0, 0, commandLine.GetText().CStr(), 1, ProbeMain, false);
    platform::PlatformLog("platform line after the frame");
    std::printf("end\n");
    return 0;
}
