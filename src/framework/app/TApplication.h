#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

#include <memory>

class TAssetManager;
class TTexture;
class TTextureData;
class TPlatform;
class TSoundManager;
class TStringTable;
class TTask;
class TTaskList;
class TWindowManager;
struct TEvent;
struct TGuid;

// The application: the one object through which every subsystem reaches
// the platform. The application main builds it on the platform object,
// which it owns from then on; its constructor fills most of the settings
// store, its destructor shuts the framework down. While it lives, storing
// "vsync", "memorymax" or "viewportscale" acts on the renderer, the log and
// the platform. Main thread only.
class TApplication {
public:
    explicit TApplication(TPlatform* platform);
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    virtual ~TApplication();

    // The application, or null before it is built and after it is gone.
    static TApplication* Get();

    TPlatform* GetPlatform() const { return mPlatform; }

    bool CreateMainWindow();
    // One event of the event pump.
    void GetEvent(TEvent& event);
    // Milliseconds since the platform started, less the time a portal kept
    // the game waiting.
    uint32_t GetTimer() const;
    void Sleep(uint32_t ms);
    void PostQuit(int code);
    void SetWindowTitle(const TString& text);
    void OpenUrl(const TString& url);
    bool StringToClipboard(const TString& text);
    TString GetClipboardString();
    bool IsForeground() const;
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;

    // Makes the screen window the main window when there is none yet and
    // sizes it, sets the video mode and clips drawing to the new screen.
    void SetDisplayMode(int width, int height, bool fullScreen);
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    bool IsReadyToDraw() const;
    // The display handler has its device and surfaces: a renderer exists
    // and its display is made and not lost.
    bool IsDisplayReady() const;
    // A new texture-data object for the current display, owned by the
    // caller; null (with a log line) while the renderer cannot make one.
    TTextureData* CreateTextureData();
    void UseHardwareCursor(bool on);
    void SetMouseCursor(const std::shared_ptr<TTexture>& image, int hotX, int hotY, int flags,
                        int slot = 0);
    int GetMouseMode() const;
    void OnOutOfVideoMemory();

    // Makes the sound manager on the first call; the result of its start.
    bool InitSoundManager();
    TSoundManager* GetSoundManager() const;
    TWindowManager* GetWindowManager() const;
    TAssetManager* GetAssetManager() const;
    TStringTable* GetStringTable() const;

    // The platform task list, run on every idle pass and drawn frame.
    void AddTask(TTask* task);
    bool RemoveTask(TTask* task);
    TTaskList* GetTaskList() const;
    // Tasks run after the display's assets were restored.
    void AddRestoreListener(TTask* task);
    TTaskList* GetRestoreListeners() const { return mRestoreListeners; }

    // The next number of the platform's random generator.
    uint32_t Random();
    bool CreateGuid(TGuid& guid);

    TString GetProductName() const;
    TString GetVersion() const;

private:
    TTaskList* mRestoreListeners = nullptr;
    TPlatform* mPlatform = nullptr;
};
