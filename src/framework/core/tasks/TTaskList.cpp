#include "framework/core/tasks/TTaskList.h"

#include "framework/core/log/TLog.h"

#include <algorithm>

namespace {

bool Holds(const std::vector<TTask*>& tasks, const TTask* task) {
    return std::find(tasks.begin(), tasks.end(), task) != tasks.end();
}

void Erase(std::vector<TTask*>& tasks, const TTask* task) {
    tasks.erase(std::remove(tasks.begin(), tasks.end(), task), tasks.end());
}

} // namespace

TTaskList::~TTaskList() {
    // A list destroyed from inside its own pass cannot defer the deletion.
    mRunning = false;
    DeleteAll();
}

bool TTaskList::Contains(const TTask* task) const {
    return std::find(mTasks.begin(), mTasks.end(), task) != mTasks.end();
}

bool TTaskList::IsRemoved(const TTask* task) const {
    return Holds(mRemoved, task);
}

void TTaskList::Unlink(const TTask* task) {
    auto found = std::find(mTasks.begin(), mTasks.end(), task);
    if (found != mTasks.end()) {
        mTasks.erase(found);
    }
}

void TTaskList::AddTask(TTask* task) {
    if (!task) {
        LogPrintf("TTaskList::AddTask: no task");
        return;
    }
    if (Contains(task)) {
        // Adding a task that is still linked must not make it run twice or
        // be deleted twice. One removed during this pass is kept after all.
        if (IsRemoved(task)) {
            Erase(mRemoved, task);
            Erase(mToDelete, task);
        } else {
            LogPrintf("TTaskList::AddTask: task %p is already in the list",
                      static_cast<void*>(task));
        }
        return;
    }
    mTasks.push_back(task);
}

bool TTaskList::RemoveTask(TTask* task) {
    if (!task || !Contains(task) || IsRemoved(task)) {
        return false;
    }
    if (mRunning) {
        mRemoved.push_back(task);
    } else {
        Unlink(task);
    }
    return true;
}

void TTaskList::RunAll(int pass) {
    if (mRunning) {
        LogPrintf("TTaskList::RunAll: a pass is already running; pass %d skipped", pass);
        return;
    }
    mRunning = true;
    auto it = mTasks.begin();
    while (it != mTasks.end()) {
        TTask* task = *it;
        if (IsRemoved(task) || !task->IsReady(pass)) {
            ++it;
            continue;
        }
        bool keep = task->Run();
        // Taken after the run, so a task appended by the last one is reached.
        auto next = std::next(it);
        if (!keep) {
            mTasks.erase(it);
            // A task that gave itself back to its owner during the run is
            // the owner's again; one the list still owns is deleted now.
            bool returned = IsRemoved(task) && !Holds(mToDelete, task);
            Erase(mRemoved, task);
            Erase(mToDelete, task);
            if (!returned) {
                delete task;
            }
        }
        it = next;
    }
    mRunning = false;

    for (TTask* task : mRemoved) {
        Unlink(task);
    }
    mRemoved.clear();
    std::vector<TTask*> toDelete;
    toDelete.swap(mToDelete);
    for (TTask* task : toDelete) {
        delete task;
    }
}

uint32_t TTaskList::MsUntilReady() const {
    uint32_t soonest = TTask::kNotDue;
    for (const TTask* task : mTasks) {
        if (!IsRemoved(task)) {
            soonest = std::min(soonest, task->MsUntilReady());
            if (soonest == 0) {
                break;
            }
        }
    }
    return soonest;
}

void TTaskList::DeleteAll() {
    if (mRunning) {
        // Tasks already given back during this pass are their owners' now.
        for (TTask* task : mTasks) {
            if (!IsRemoved(task)) {
                mRemoved.push_back(task);
                mToDelete.push_back(task);
            }
        }
        return;
    }
    std::list<TTask*> tasks;
    tasks.swap(mTasks);
    std::vector<TTask*> removed;
    removed.swap(mRemoved);
    std::vector<TTask*> toDelete;
    toDelete.swap(mToDelete);
    for (TTask* task : tasks) {
        if (!Holds(removed, task) && !Holds(toDelete, task)) {
            delete task;
        }
    }
    for (TTask* task : toDelete) {
        delete task;
    }
}
