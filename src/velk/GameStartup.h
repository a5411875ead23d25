#pragma once

#include "framework/app/ApplicationMain.h"
#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <span>

class TApplication;

// The texts the game starts with: its title, its publisher, the key string
// from which the preferences cipher key is made, and the game handle.
struct StartupRecord {
    const char* title = nullptr;
    const char* publisher = nullptr;
    const char* keyString = nullptr;
    const char* gameHandle = nullptr;
};

// The record this game starts with.
StartupRecord MakeGameStartupRecord();

// Stores the record in the settings store: "publisher", "gamename",
// "utf8mode" = "1", "automergemask" = "1", "hittestchildren" = "1",
// "encryptionkey", "nbgamehandle", in this order. A null text is stored
// as "".
void ApplyStartupRecord(const StartupRecord& record);

// One window type of the game: scripts create a window of the class by
// the type name.
struct GameWindowType {
    const char* name;
    TWindowCreator creator;
};

// Registers one window type with the window manager.
void RegisterGameWindowType(const TString& typeName, TWindowCreator creator);

// The window types that GameMain registers, in order; the game hands its
// table over before the frame runs. The table must outlive the run.
void SetGameWindowTypes(std::span<const GameWindowType> types);

// The game's main callback: sets up the game's globals, reads
// "config.xml" (settings, asset lists, the 1024 by 768 screen), loads the
// fixed assets, sets the cursor, registers the window types, runs
// "scripts/main.lua" and then pulls events until the quit event. A close
// request goes to the current game and opens "scripts/quit_verify.lua"
// unless that dialog is already open ("gQuitVerifyActive"); activation
// pauses and resumes the current game; a full-screen change is stored.
// Every event but quit goes to the window manager. At the end the game's
// globals are released. When the screen coroutine has died of a script
// error, that is logged once (and written to stderr), a close request ends
// the loop at once (the quit question could not run), and the result is 1;
// otherwise 0.
int GameMain(TApplication* application, const char* commandLine);

// The game's entry point: fills and applies the start-up record, keeps the
// window types and runs the application frame with GameMain. Returns what
// GameMain returned (0 when it did not run).
int GameEntry(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
              int showCommand, std::span<const GameWindowType> windowTypes = {});
