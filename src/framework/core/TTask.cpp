#include "framework/core/TTask.h"

bool TTask::IsReady(int /*pass*/) {
    return true;
}
