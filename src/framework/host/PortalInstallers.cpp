#include "framework/host/PortalInstallers.h"

#include "framework/host/PortalState.h"
#include "framework/host/TGameState.h"
#include "framework/host/TMsnQuarrowHandler.h"

namespace {

// The one portal handler of the process: every installer sets its flag on
// the shared portal state, and only the first registers a handler, so a
// state never reaches two of them (two score submissions per game).
TMsnQuarrowHandler* Handler() {
    // The registry may not exist yet: the installers run before the
    // application object, which makes it. The handler list does not need
    // it.
    TGameState::GetInstance();
    TMsnQuarrowHandler* handler = TMsnQuarrowHandler::GetInstalled();
    if (!handler) {
        handler = new TMsnQuarrowHandler();
        TMsnQuarrowHandler::SetInstalled(handler);
        TGameState::AddHandler(handler);
    }
    return handler;
}

} // namespace

void InstallMsnHandler() {
    SetPortalMsnMode();
    Handler();
}

void InstallQuarrowHandler() {
    SetPortalQuarrowMode();
    Handler();
}

void InstallAolHandler() {
    TMsnQuarrowHandler* handler = Handler();
    if (!IsPortalQuarrowMode())
        handler->SetAol(true);
}

bool IsMsnPortal() {
    return IsPortalMsnMode();
}

bool IsQuarrowPortal() {
    return IsPortalQuarrowMode();
}

uint32_t GetPortalWaitTime() {
    return IsPortalMode() ? GetPortalWaitTotal() : 0;
}
