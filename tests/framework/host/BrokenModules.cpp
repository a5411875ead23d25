// Plug-in modules that must be turned down, built from one source:
//   MISSING_DESTROY - exports CreateHandler only;
//   NULL_HANDLER    - CreateHandler makes no handler;
//   neither         - exports neither function.

#include "framework/host/TGameStateHandler.h"

#if defined(MISSING_DESTROY)
namespace {
class UnreleasableHandler : public TGameStateHandler {
public:
    bool OnSetState(const char*, const char*) override { return false; }
};
} // namespace

// A sound loader never calls this: without DestroyHandler the handler could
// not be released, so the module is turned down first.
extern "C" __attribute__((visibility("default"))) TGameStateHandler* CreateHandler() {
    return new UnreleasableHandler;
}
#elif defined(NULL_HANDLER)
extern "C" __attribute__((visibility("default"))) TGameStateHandler* CreateHandler() {
    return nullptr;
}
extern "C" __attribute__((visibility("default"))) void DestroyHandler(TGameStateHandler* handler) {
    delete handler;
}
#else
extern "C" __attribute__((visibility("default"))) int SomethingElse() {
    return 42;
}
#endif
