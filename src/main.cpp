#include "framework/core/settings/TCommandLine.h"
#include "velk/GameStartup.h"

// The process entry: the arguments become one command-line text, as the
// program received it on Windows, and the game's entry point runs with it.
int main(int argc, char** argv) {
    TCommandLine commandLine = TCommandLine::FromArguments(argc, argv);
    // 1 shows the window normally.
    return GameEntry(0, 0, commandLine.GetText().CStr(), 1);
}
