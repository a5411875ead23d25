#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TApplication;

// The game's main callback: called once with the application and the
// command line when the platform, the main window and the sound manager
// stand; it runs the game loop and returns. Its result is ignored.
using TGameCallback = std::function<int(TApplication* application, const char* commandLine)>;

// The test harness: a module "nbHarness.so" beside the program that exports
//   extern "C" uintptr_t TestHook(const char** commandLine);
// TestHook is called first of all with the address of the command-line
// pointer; it may point it at another text, which must stay valid while the
// program runs (the module stays loaded until the process ends). It returns
// the id of the window to which the quit message is posted when the game
// callback has returned: 0 for this program's own message queue, the main
// window's id for that window; any other id names no window of this program
// and the quit goes nowhere.
using TTestHook = uintptr_t (*)(const char** commandLine);
inline constexpr char kHarnessModuleName[] = "nbHarness.so";
inline constexpr char kTestHookName[] = "TestHook";

// Where the harness is looked for: the module's name in the program folder
// (given with its trailing "/"). Empty when that folder is unknown: a bare
// name would have the loader search the library path for it.
std::string HarnessModulePath(const std::string& programFolder);

// The window id that the test harness returned in this run; 0 without one.
uintptr_t GetHarnessWindow();

// Whether the program's command line holds "-pq=" (the game runs in a host
// page).
bool HasPqSwitch();

// Shown when the main window cannot be made.
inline constexpr char kNoDisplayMessage[] =
    "Sorry, but this product isn't compatible with your display. Try using a different display "
    "(for instance, the main display in your laptop), if you have the option.";

// The application frame: reads the command line, builds the platform
// object (which keeps a second instance from running unless allowMultiple,
// "--multiple" or "-wnd=" say otherwise), connects to a host, sets up the
// data folders and the log, builds the application and its main window,
// starts the sound manager and the draw front, loads the plug-in game-state
// modules, runs the game callback and tears everything down again.
// instance and previousInstance are the program's ids as the process entry
// knows them (0 on this platform); showCommand is how the window first
// shows. The process may end inside with code 0 (another instance runs) or
// -1 (the host named with "-wnd=" is not there, or no main window can be
// made); the reason for -1 goes to standard error too, since the log may
// not run yet.
void ApplicationMain(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
                     int showCommand, const TGameCallback& callback, bool allowMultiple);
