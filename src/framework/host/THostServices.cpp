#include "framework/host/THostServices.h"

namespace {

THostServices* gServices = nullptr;

} // namespace

THostServices* SetHostServices(THostServices* services) {
    THostServices* previous = gServices;
    gServices = services;
    return previous;
}

THostServices* GetHostServices() {
    return gServices;
}
