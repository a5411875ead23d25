#pragma once

#include "framework/core/text/TString.h"

class TStringTable;
class TTaskList;

// What the window manager asks of the application frame, which sits above
// the window layer: the application hands the manager one of these.
class TWindowHost {
public:
    virtual ~TWindowHost() = default;

    virtual void PostQuit(int code) = 0;
    // The display device exists and its last flip has finished.
    virtual bool IsReadyToDraw() const = 0;
    // The display has its device and surfaces.
    virtual bool IsDisplayReady() const = 0;
    // The platform task list (run on idle passes and drawn frames).
    virtual TTaskList* GetTaskList() const = 0;
    // 0 normally, 1 in relative mode.
    virtual int GetMouseMode() const = 0;
    virtual bool IsForeground() const = 0;
    // Frames keep the front rate behind other windows: the command line
    // holds "-pq=" or the platform asked for it.
    virtual bool KeepsFrontRateInBackground() const = 0;
    virtual TString GetClipboardString() = 0;
    // Puts the text on the clipboard; true when the clipboard took it.
    virtual bool SetClipboardString(const TString&) { return false; }
    virtual void GetDisplayMode(int& width, int& height, bool& fullScreen) const = 0;
    // The localised texts labels are translated through; null when none
    // is loaded.
    virtual const TStringTable* GetStringTable() const { return nullptr; }
};
