#include "framework/core/tasks/TTask.h"

bool TTask::IsReady(int /*pass*/) {
    return true;
}

uint32_t TTask::MsUntilReady() const {
    return 0;
}
