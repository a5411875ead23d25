#pragma once

#include "framework/core/tasks/TTask.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

// An owning list of tasks, run in the order they were added. Tasks may add,
// remove or clear tasks (themselves included) from inside their own Run:
// during a pass such changes are recorded and carried out when it ends.
// Main thread only.
class TTaskList {
public:
    TTaskList() = default;
    ~TTaskList();
    TTaskList(const TTaskList&) = delete;
    TTaskList& operator=(const TTaskList&) = delete;

    // Appends a task; the list owns it from then on. A task added during a
    // pass runs in that pass when the walk reaches it.
    void AddTask(TTask* task);
    // Gives a task back to the caller without deleting it; false when it is
    // not in the list. During a pass it is skipped and unlinked at the end.
    bool RemoveTask(TTask* task);
    // One pass: runs every ready task; a task whose Run returns false is
    // deleted at once.
    void RunAll(int pass);
    // Deletes every task, at once or, during a pass, when the pass ends.
    void DeleteAll();

    // The shortest MsUntilReady of the tasks in the list (those given back
    // during a pass left out); TTask::kNotDue when none will be ready.
    uint32_t MsUntilReady() const;

    bool IsRunning() const { return mRunning; }
    // Tasks linked in the list, those waiting for the end of a pass included.
    size_t Count() const { return mTasks.size(); }
    bool Contains(const TTask* task) const;

private:
    bool IsRemoved(const TTask* task) const;
    void Unlink(const TTask* task);

    bool mRunning = false;
    std::list<TTask*> mTasks;
    std::vector<TTask*> mRemoved;
    std::vector<TTask*> mToDelete;
};
