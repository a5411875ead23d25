#include "framework/app/TApplicationWindowHost.h"

#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"

void TApplicationWindowHost::PostQuit(int code) {
    mApplication->PostQuit(code);
}

bool TApplicationWindowHost::IsReadyToDraw() const {
    return mApplication->IsReadyToDraw();
}

bool TApplicationWindowHost::IsDisplayReady() const {
    return mApplication->IsDisplayReady();
}

TTaskList* TApplicationWindowHost::GetTaskList() const {
    return mApplication->GetTaskList();
}

int TApplicationWindowHost::GetMouseMode() const {
    return mApplication->GetMouseMode();
}

bool TApplicationWindowHost::IsForeground() const {
    return mApplication->IsForeground();
}

bool TApplicationWindowHost::KeepsFrontRateInBackground() const {
    const TPlatform* platform = mApplication->GetPlatform();
    return platform->GetCommandLine().Find("-pq=") >= 0 || platform->mFullRateInBackground;
}

bool TApplicationWindowHost::SetClipboardString(const TString& text) {
    return mApplication->StringToClipboard(text);
}

TString TApplicationWindowHost::GetClipboardString() {
    return mApplication->GetClipboardString();
}

void TApplicationWindowHost::GetDisplayMode(int& width, int& height, bool& fullScreen) const {
    mApplication->GetDisplayMode(width, height, fullScreen);
}

const TStringTable* TApplicationWindowHost::GetStringTable() const {
    return mApplication->GetStringTable();
}
