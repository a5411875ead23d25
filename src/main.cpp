#include "framework/core/settings/TCommandLine.h"
#include "game/board/clsTile.h"
#include "game/progress/dtGameSettings.h"
#include "game/startup/GameWindowTypes.h"
#include "platform/process/DriverLeaks.h"
#include "platform/process/LargeBlocks.h"
#include "velk/GameStartup.h"

// The leak checker of a sanitizer build reads this hook from the program:
// the GL driver's own allocations are not the program's leaks. Other
// builds never call it.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return platform::DriverLeakSuppressions();
}

// Sanitizer builds also read their options from here. The leak checker of
// this toolchain misreads the dynamic TLS of a library loaded at run time
// (it stops with "Tracer caught signal 11"), so it leaves those blocks out.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

// The process entry: the arguments become one command-line text, as the
// program received it on Windows, and the game's entry point runs with it
// and the game's window types.
int main(int argc, char** argv) {
    platform::GiveBackLargeBlocks();
    // The game data's tables, and the settings object with the player's
    // profile once they are read.
    InstallGameSettings();
    clsTile::InstallAsBoardTileMaker();
    TCommandLine commandLine = TCommandLine::FromArguments(argc, argv);
    // 1 shows the window normally.
    return GameEntry(0, 0, commandLine.GetText().CStr(), 1, GetGameWindowTypes());
}
