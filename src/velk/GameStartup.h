#pragma once

#include "framework/app/ApplicationMain.h"

#include <cstdint>

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

// The game's main callback. Until the game proper exists it sets up the
// 1024 by 768 screen in a window in the game's background colour, pulls
// events until the quit event, hands every other event to the window
// manager (which draws) and answers a close request by posting quit.
int GameMain(TApplication* application, const char* commandLine);

// The game's entry point: fills and applies the start-up record and runs
// the application frame with GameMain. Returns 0 whatever happened.
int GameEntry(uintptr_t instance, uintptr_t previousInstance, const char* commandLine,
              int showCommand);
