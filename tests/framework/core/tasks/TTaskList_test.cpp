#include "framework/core/tasks/TTaskList.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// What the tasks did, in order: "run:<name>" and "delete:<name>".
using Journal = std::vector<std::string>;

class ScriptedTask : public TTask {
public:
    ScriptedTask(Journal& journal, std::string name, std::function<bool()> run = nullptr)
        : mJournal(journal), mName(std::move(name)), mRun(std::move(run)) {}
    ~ScriptedTask() override { mJournal.push_back("delete:" + mName); }

    bool IsReady(int pass) override { return mReadyPasses & (1 << pass); }
    bool Run() override {
        mJournal.push_back("run:" + mName);
        return mRun ? mRun() : true;
    }

    int mReadyPasses = 3;

private:
    Journal& mJournal;
    std::string mName;
    std::function<bool()> mRun;
};

int CountOf(const Journal& journal, const std::string& entry) {
    return static_cast<int>(std::count(journal.begin(), journal.end(), entry));
}

} // namespace

TEST(TaskList, RunsReadyTasksInOrderAdded) {
    Journal journal;
    TTaskList list;
    auto* a = new ScriptedTask(journal, "a");
    auto* b = new ScriptedTask(journal, "b");
    auto* c = new ScriptedTask(journal, "c");
    b->mReadyPasses = 2; // drawn frames only
    list.AddTask(a);
    list.AddTask(b);
    list.AddTask(c);
    list.RunAll(0);
    EXPECT_EQ(journal, (Journal{"run:a", "run:c"}));
    journal.clear();
    list.RunAll(1);
    EXPECT_EQ(journal, (Journal{"run:a", "run:b", "run:c"}));
    EXPECT_FALSE(list.IsRunning());
}

TEST(TaskList, RunFalse_DeletesInSamePass) {
    Journal journal;
    TTaskList list;
    list.AddTask(new ScriptedTask(journal, "done", [] { return false; }));
    list.AddTask(new ScriptedTask(journal, "after"));
    list.RunAll(0);
    EXPECT_EQ(journal, (Journal{"run:done", "delete:done", "run:after"}));
    EXPECT_EQ(list.Count(), 1u);
}

TEST(TaskList, RemoveSelfDuringRun_GivesTaskBackUndeleted) {
    struct Case {
        const char* name;
        bool runResult;
    } cases[] = {{"keeps", true}, {"ends", false}};
    for (const Case& c : cases) {
        Journal journal;
        TTaskList list;
        ScriptedTask* self = nullptr;
        bool removed = false;
        self = new ScriptedTask(journal, c.name, [&] {
            removed = list.RemoveTask(self);
            return c.runResult;
        });
        list.AddTask(self);
        list.RunAll(0);
        EXPECT_TRUE(removed) << c.name;
        EXPECT_EQ(CountOf(journal, std::string("delete:") + c.name), 0) << c.name;
        EXPECT_FALSE(list.Contains(self)) << c.name;
        delete self; // the caller owns it again
        EXPECT_EQ(CountOf(journal, std::string("delete:") + c.name), 1) << c.name;
    }
}

TEST(TaskList, RemovedAheadDuringPass_IsSkipped) {
    Journal journal;
    TTaskList list;
    auto* later = new ScriptedTask(journal, "later");
    list.AddTask(new ScriptedTask(journal, "first", [&] { return list.RemoveTask(later); }));
    list.AddTask(later);
    list.RunAll(0);
    EXPECT_EQ(journal, (Journal{"run:first"}));
    EXPECT_FALSE(list.Contains(later));
    EXPECT_EQ(list.Count(), 1u);
    delete later;
}

TEST(TaskList, AddedDuringPass_RunsInSamePass) {
    struct Case {
        const char* description;
        bool adderIsLast;
    } cases[] = {{"added by the last task", true}, {"added by a middle task", false}};
    for (const Case& c : cases) {
        Journal journal;
        TTaskList list;
        bool added = false;
        list.AddTask(new ScriptedTask(journal, "adder", [&] {
            if (!added) {
                added = true;
                list.AddTask(new ScriptedTask(journal, "new"));
            }
            return true;
        }));
        if (!c.adderIsLast) {
            list.AddTask(new ScriptedTask(journal, "tail"));
        }
        list.RunAll(0);
        Journal expected = c.adderIsLast ? Journal{"run:adder", "run:new"}
                                         : Journal{"run:adder", "run:tail", "run:new"};
        EXPECT_EQ(journal, expected) << c.description;
    }
}

TEST(TaskList, DeleteAllFromRun_DeletesEveryTaskOnceAfterPass) {
    struct Case {
        const char* description;
        bool clearerResult;
        Journal expected;
    } cases[] = {
        {"clearer stays",
         true,
         {"run:a", "run:clearer", "delete:a", "delete:clearer", "delete:later", "delete:d"}},
        // The running task ends itself after clearing: deleted once, at once.
        {"clearer ends",
         false,
         {"run:a", "run:clearer", "delete:clearer", "delete:a", "delete:later", "delete:d"}},
    };
    for (const Case& c : cases) {
        Journal journal;
        {
            TTaskList list;
            list.AddTask(new ScriptedTask(journal, "a"));
            list.AddTask(new ScriptedTask(journal, "clearer", [&] {
                list.DeleteAll();
                return c.clearerResult;
            }));
            // Cleared before the walk reaches it: never runs.
            list.AddTask(new ScriptedTask(journal, "later"));
            list.AddTask(new ScriptedTask(journal, "d"));
            list.RunAll(0);
            EXPECT_EQ(journal, c.expected) << c.description;
            EXPECT_EQ(list.Count(), 0u) << c.description;
        }
        for (const char* name : {"a", "clearer", "later", "d"}) {
            EXPECT_EQ(CountOf(journal, std::string("delete:") + name), 1) << name;
        }
    }
}

TEST(TaskList, DeleteAllDuringPass_SparesTasksAlreadyGivenBack) {
    Journal journal;
    TTaskList list;
    auto* givenBack = new ScriptedTask(journal, "given");
    list.AddTask(givenBack);
    list.AddTask(new ScriptedTask(journal, "clearer", [&] {
        list.RemoveTask(givenBack);
        list.DeleteAll();
        return true;
    }));
    list.RunAll(0);
    EXPECT_EQ(CountOf(journal, "delete:given"), 0);
    EXPECT_EQ(CountOf(journal, "delete:clearer"), 1);
    EXPECT_EQ(list.Count(), 0u);
    delete givenBack;
}

TEST(TaskList, RemoveUnknownOrTwice_ReturnsFalse) {
    Journal journal;
    TTaskList list;
    ScriptedTask stranger(journal, "stranger");
    EXPECT_FALSE(list.RemoveTask(&stranger));
    EXPECT_FALSE(list.RemoveTask(nullptr));
    auto* task = new ScriptedTask(journal, "task");
    list.AddTask(task);
    EXPECT_TRUE(list.RemoveTask(task));
    EXPECT_FALSE(list.RemoveTask(task));
    EXPECT_EQ(list.Count(), 0u);
    delete task;
}

TEST(TaskList, AddTwice_RunsAndDeletesOnce) {
    Journal journal;
    {
        TTaskList list;
        auto* task = new ScriptedTask(journal, "t");
        list.AddTask(task);
        list.AddTask(task);
        list.AddTask(nullptr);
        EXPECT_EQ(list.Count(), 1u);
        list.RunAll(0);
    }
    EXPECT_EQ(journal, (Journal{"run:t", "delete:t"}));
}

TEST(TaskList, ReAddAfterRemovalInPass_KeepsTask) {
    Journal journal;
    TTaskList list;
    ScriptedTask* task = nullptr;
    task = new ScriptedTask(journal, "t", [&] {
        list.RemoveTask(task);
        list.AddTask(task);
        return true;
    });
    list.AddTask(task);
    list.RunAll(0);
    EXPECT_TRUE(list.Contains(task));
    EXPECT_EQ(list.Count(), 1u);
    list.RunAll(0);
    EXPECT_EQ(CountOf(journal, "run:t"), 2);
}

TEST(TaskList, NestedPass_IsRefused) {
    Journal journal;
    TTaskList list;
    list.AddTask(new ScriptedTask(journal, "nester", [&] {
        list.RunAll(0);
        return true;
    }));
    list.RunAll(0);
    EXPECT_EQ(journal, (Journal{"run:nester"}));
}

TEST(TaskList, Destruction_DeletesEveryTask) {
    Journal journal;
    {
        TTaskList list;
        list.AddTask(new ScriptedTask(journal, "a"));
        list.AddTask(new ScriptedTask(journal, "b"));
    }
    EXPECT_EQ(journal, (Journal{"delete:a", "delete:b"}));
}

TEST(TaskList, DeleteAllOutsidePass_DeletesNowAndListStaysUsable) {
    Journal journal;
    TTaskList list;
    list.AddTask(new ScriptedTask(journal, "a"));
    list.AddTask(new ScriptedTask(journal, "b"));
    list.DeleteAll();
    EXPECT_EQ(journal, (Journal{"delete:a", "delete:b"}));
    EXPECT_EQ(list.Count(), 0u);
    journal.clear();
    list.RunAll(0);
    EXPECT_TRUE(journal.empty());
    list.AddTask(new ScriptedTask(journal, "c"));
    list.RunAll(0);
    EXPECT_EQ(journal, (Journal{"run:c"}));
}

namespace {

// A task that tells a fixed time until it is ready; -1 keeps the base
// answer (ready on any pass).
class WaitingTask : public TTask {
public:
    explicit WaitingTask(int64_t wait, std::function<void()> run = nullptr)
        : mWait(wait), mRun(std::move(run)) {}
    uint32_t MsUntilReady() const override {
        return mWait < 0 ? TTask::MsUntilReady() : static_cast<uint32_t>(mWait);
    }
    bool Run() override {
        if (mRun)
            mRun();
        return true;
    }

private:
    int64_t mWait;
    std::function<void()> mRun;
};

} // namespace

TEST(TaskList, MsUntilReady_TheSoonestTaskAndNoneWhenNothingIsDue) {
    constexpr int64_t kNotDue = TTask::kNotDue;
    struct Case {
        const char* description;
        std::vector<int64_t> waits;
        uint32_t expected;
    };
    const Case cases[] = {
        {"empty list", {}, TTask::kNotDue},
        {"nothing will be due", {kNotDue, kNotDue}, TTask::kNotDue},
        {"the soonest wins, wherever it stands", {kNotDue, 30, 7, 12}, 7},
        {"a task of the base kind wants every pass", {30, -1, 7}, 0},
    };
    for (const Case& c : cases) {
        TTaskList list;
        for (int64_t wait : c.waits)
            list.AddTask(new WaitingTask(wait));
        EXPECT_EQ(list.MsUntilReady(), c.expected) << c.description;
    }
}

TEST(TaskList, MsUntilReady_LeavesOutATaskGivenBackDuringThePass) {
    TTaskList list;
    auto* soon = new WaitingTask(3);
    uint32_t seenInPass = 0;
    list.AddTask(new WaitingTask(50, [&] {
        list.RemoveTask(soon);
        seenInPass = list.MsUntilReady();
    }));
    list.AddTask(soon);
    list.RunAll(0);
    EXPECT_EQ(seenInPass, 50u) << "the task given back no longer counts";
    EXPECT_EQ(list.MsUntilReady(), 50u);
    delete soon;
}
