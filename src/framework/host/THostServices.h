#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// What the host integration needs of the application frame, which sits
// above it: sending records to the hosting program, the mouse capture and
// cursor, and opening web addresses. The frame installs its implementation
// when the platform exists; until then (and in tests that install none)
// nothing reaches a host and no address opens. Main thread only.
class THostServices {
public:
    virtual ~THostServices() = default;

    // Sends one message to the hosting program; false when no live host
    // took it (none was given, or it hung up).
    virtual bool SendToHost(uint32_t message, uint32_t wParam, uint32_t lParam) = 0;
    // A host was given and has not hung up.
    virtual bool IsHostPresent() const = 0;
    // "-pq=": the game runs in a host page that is not told anything.
    virtual bool HasPqSwitch() const = 0;
    // Releases the mouse capture when the main window holds it.
    virtual void ReleaseMouseCapture() = 0;
    // While the host keeps the game waiting: the system arrow in place of
    // the game's cursor; then the game's own cursor back.
    virtual void ShowSystemArrow() = 0;
    virtual void RestoreGameCursor() = 0;
    virtual void OpenUrl(const TString& url) = 0;
};

// Installs the services (not owned; null removes them) and returns the ones
// replaced.
THostServices* SetHostServices(THostServices* services);
// The installed services, or null.
THostServices* GetHostServices();
