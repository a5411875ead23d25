#pragma once

#include "framework/host/THostServices.h"

class TPlatform;

// The host integration's hold on the platform object: host records go out
// over the platform's host socket, the capture and cursor are the main
// window's, addresses open as the platform opens them. The platform object
// owns it and installs it for its lifetime.
class TPlatformHostServices : public THostServices {
public:
    explicit TPlatformHostServices(TPlatform& platform) : mPlatform(platform) {}

    bool SendToHost(uint32_t message, uint32_t wParam, uint32_t lParam) override;
    bool IsHostPresent() const override;
    bool HasPqSwitch() const override;
    void ReleaseMouseCapture() override;
    void ShowSystemArrow() override;
    void RestoreGameCursor() override;
    void OpenUrl(const TString& url) override;

private:
    TPlatform& mPlatform;
};
