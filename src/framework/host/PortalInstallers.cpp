#include "framework/host/PortalInstallers.h"

#include "framework/core/log/TLog.h"
#include "framework/host/TGameState.h"

namespace {

struct PortalFlags {
    bool msn = false;
    bool quarrow = false;
};

PortalFlags gPortal;

void ReportMissingHandler(const char* portal) {
    // The registry may not exist yet: the installers run before the
    // application object, which makes it.
    TGameState::GetInstance();
    LogPrintf("%s portal requested, but this build has no web-portal handler: nothing will be "
              "reported to the host page",
              portal);
}

} // namespace

void InstallMsnHandler() {
    gPortal.msn = true;
    ReportMissingHandler("msn");
}

void InstallQuarrowHandler() {
    gPortal.quarrow = true;
    ReportMissingHandler("quarrow");
}

void InstallAolHandler() {
    ReportMissingHandler("aol");
}

bool IsMsnPortal() {
    return gPortal.msn;
}

bool IsQuarrowPortal() {
    return gPortal.quarrow;
}

uint32_t GetPortalWaitTime() {
    return 0;
}
