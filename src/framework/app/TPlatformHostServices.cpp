#include "framework/app/TPlatformHostServices.h"

#include "framework/app/TPlatform.h"
#include "framework/graphics/TRenderer.h"
#include "platform/window/Window.h"

bool TPlatformHostServices::SendToHost(uint32_t message, uint32_t wParam, uint32_t lParam) {
    return mPlatform.HostSend(message, wParam, lParam);
}

bool TPlatformHostServices::IsHostPresent() const {
    return mPlatform.ExternalParentExists();
}

bool TPlatformHostServices::HasPqSwitch() const {
    return mPlatform.mPageHosted;
}

void TPlatformHostServices::ReleaseMouseCapture() {
    platform::Window* window = mPlatform.GetWindow();
    if (window && window->HasCapture())
        window->ReleaseCapture();
}

void TPlatformHostServices::ShowSystemArrow() {
    // No frame is drawn while the host keeps the game waiting, so a drawn
    // cursor would stand still: the system cursor shows the arrow.
    mPlatform.UseHardwareCursor(true);
    if (TRenderer* renderer = mPlatform.Renderer()) {
        renderer->SetMouseImage(mPlatform.SystemCursor(), 2, 2, 0);
        renderer->ApplySystemCursor();
    }
}

void TPlatformHostServices::RestoreGameCursor() {
    mPlatform.UseHardwareCursor(true);
    mPlatform.RestoreCursors();
    if (TRenderer* renderer = mPlatform.Renderer())
        renderer->ApplySystemCursor();
}

void TPlatformHostServices::OpenUrl(const TString& url) {
    mPlatform.OpenUrl(url);
}
