#pragma once

#include "framework/ui/manager/TWindowHost.h"

class TApplication;

// The application's services as the window manager asks for them.
class TApplicationWindowHost : public TWindowHost {
public:
    explicit TApplicationWindowHost(TApplication* application) : mApplication(application) {}

    void PostQuit(int code) override;
    bool IsReadyToDraw() const override;
    bool IsDisplayReady() const override;
    TTaskList* GetTaskList() const override;
    int GetMouseMode() const override;
    bool IsForeground() const override;
    bool KeepsFrontRateInBackground() const override;
    TString GetClipboardString() override;
    bool SetClipboardString(const TString& text) override;
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const override;
    const TStringTable* GetStringTable() const override;

private:
    TApplication* mApplication;
};
