// A plug-in game-state module that says on standard output which states it
// was given, so the tests can see that it was loaded and served.

#include "framework/host/TGameStateHandler.h"

#include <cstdio>

namespace {

class ProbeHandler : public TGameStateHandler {
public:
    bool OnSetState(const char* name, const char* value) override {
        std::printf("plug-in state %s=%s\n", name ? name : "", value ? value : "");
        std::fflush(stdout);
        return false;
    }
};

} // namespace

extern "C" TGameStateHandler* CreateHandler() {
    return new ProbeHandler;
}

extern "C" void DestroyHandler(TGameStateHandler* handler) {
    delete handler;
}
