#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>

class TApplication;
class TScript;
class TAssetLists;
class TClock;
class TGameAssetMap;
class TGraphics;
class TStringTable;
class TTexture;
class TWindow;
class TWindowManager;
class vlkGame;
class vlkGameSettings;

// The pointers through which all game code reaches the framework and the
// game's own singletons. Main thread only.

// The framework's singletons, cached by InitApplication.
extern TApplication* gGameApplication;
extern TGraphics* gGameGraphics;
extern TWindowManager* gGameWindowManager;
extern TStringTable* gGameStringTable;
// The game object of the board screen; null while no board screen lives.
extern vlkGame* gCurrentGame;
// The settings and player profiles, and the asset lists: made by the
// configuration loader, deleted by DestroyGameGlobals.
extern vlkGameSettings* gGameSettings;
extern TAssetLists* gAssetLists;
// Made by InitApplication, deleted by DestroyGameAssetMap.
extern TGameAssetMap* gGameAssetMap;
// The game container window that lives, and the clock of the game object.
extern TWindow* gCurrentContainer;
extern TClock* gGameClock;
// The mouse cursor picture and its hot spot, kept by SetGameCursor.
extern std::shared_ptr<TTexture> gGameCursorImage;
extern int gGameCursorHotX;
extern int gGameCursorHotY;

// The style of play that screens set (2 = quick play) and read.
extern int32_t GameStyleCode;

// The first step of the game's main callback: caches the framework's
// singletons, stores the texture budget, the drawing options and
// "animatedparticles", loads "loc/<locale>/strings.xml" (locale from the
// setting "locale", "en" by default), titles the main window with the label
// "window_title", sets the script globals "qvd_Debug" (0) and
// "qvd_LocalizedPath" ("loc/<locale>/") and makes the game asset map.
void InitApplication(int textureBudget);

// The window manager's script, in which the screens run; null without one.
TScript* GetGameScript();
// Runs a script file in the window manager's script; false when there is
// no script or the file did not run.
bool RunLuaFile(const TString& path);

// Deletes the settings object and the asset lists and clears both globals.
void DestroyGameGlobals();

// Loads the cursor picture, keeps it and its hot spot (dropping the one kept
// before) and makes it the mouse cursor.
void SetGameCursor(const TString& imageName, int hotX, int hotY);

// The game-state value "WindowActivated", where hosts and plug-ins see
// whether the game window is active.
void SetWindowActivatedState(int value);
