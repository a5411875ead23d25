#include "framework/core/tasks/TTask.h"

bool TTask::IsReady(int /*pass*/) {
    return true;
}
