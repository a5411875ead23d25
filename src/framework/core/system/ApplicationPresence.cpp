#include "framework/core/system/ApplicationPresence.h"

#include <atomic>

namespace {
std::atomic<bool> gApplicationPresent{false};
}

bool IsApplicationPresent() {
    return gApplicationPresent.load();
}

void SetApplicationPresent(bool present) {
    gApplicationPresent.store(present);
}
