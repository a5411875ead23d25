// How long the event pump sleeps between idle passes, on a hand clock: the
// window's wait moves the clock on by the time asked for, so a loop of
// events as the game runs it shows how often the program wakes, and when
// frames and tasks come.

#include "framework/app/AppFixture.h"
#include "framework/core/system/TEvent.h"
#include "framework/core/tasks/TAnimTask.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TModalWindow.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/window/WindowMessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A timed task that notes the clock at each run and waits its interval.
class NotingTask : public TAnimTask {
public:
    NotingTask(std::vector<uint32_t>& runs, uint32_t interval, TClock* clock = nullptr)
        : TAnimTask(clock), mRuns(runs) {
        Delay(interval, true, true);
    }
    bool Step() override {
        mRuns.push_back(GetTime());
        return true;
    }

private:
    std::vector<uint32_t>& mRuns;
};

// A task of the base kind: ready on every pass.
class EveryPassTask : public TTask {
public:
    bool Run() override { return true; }
};

class IdleWait : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        BuildPlatform()->SetGraphicsBackEnd(std::make_unique<platform::NullGraphicsSystem>());
        BuildApplication();
        ASSERT_TRUE(mApplication->CreateMainWindow());
        mApplication->SetDisplayMode(640, 480, false);
        manager = mApplication->GetWindowManager();
        renderer = TRenderer::Get();
        ASSERT_NE(manager, nullptr);
        ASSERT_NE(renderer, nullptr);
        // The window's wake-up timer would end waits early; it is not what
        // these tests look at.
        mWindow->KillTimer(0);
        mWindow->SetWaitHook([this](uint32_t ms) { clock.Advance(ms); });
        // The first call's wait and the first frame.
        RunFor(50);
    }

    void TearDown() override {
        if (TGraphics::Exists() && TGraphics::Get()->IsOverlayOn())
            TGraphics::Get()->ToggleOverlay();
        AppFixture::TearDown();
    }

    // Events as the game loop takes them, until the clock has moved on by
    // ms; the waits and the clock at each frame are kept.
    void RunFor(uint32_t ms) {
        waits.clear();
        frameTimes.clear();
        const size_t before = mWindow->WaitTimeouts().size();
        const uint32_t end = clock.NowMs() + ms;
        for (int guard = 0; static_cast<int32_t>(clock.NowMs() - end) < 0 && guard < 100000;
             ++guard) {
            TEvent event;
            mApplication->GetEvent(event);
            const int frames = renderer->GetPresentCount();
            manager->HandleEvent(event);
            if (renderer->GetPresentCount() != frames)
                frameTimes.push_back(clock.NowMs());
        }
        const std::vector<uint32_t>& all = mWindow->WaitTimeouts();
        waits.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }

    static std::vector<uint32_t> Gaps(const std::vector<uint32_t>& times) {
        std::vector<uint32_t> gaps;
        for (size_t i = 1; i < times.size(); ++i)
            gaps.push_back(times[i] - times[i - 1]);
        return gaps;
    }

    platform::ManualTimeSource clock{100000};
    platform::ScopedTimeSource clockScope{clock};
    TWindowManager* manager = nullptr;
    TRenderer* renderer = nullptr;
    std::vector<uint32_t> waits;
    std::vector<uint32_t> frameTimes;
};

TEST_F(IdleWait, AtRest_ThePumpWakesTenTimesASecondInFrontAndFiveBehind) {
    RunFor(1000);
    EXPECT_TRUE(frameTimes.empty()) << "nothing changed, nothing is drawn";
    EXPECT_LE(waits.size(), 11u);
    EXPECT_EQ(waits.back(), 100u);
    mWindow->SetForegroundAnswer(false);
    RunFor(1000);
    EXPECT_LE(waits.size(), 6u);
    EXPECT_EQ(waits.back(), 200u);
}

// The debug overlay keeps the screen dirty: frames come at the cap, 12 ms
// apart in front and 200 ms behind, and the pump sleeps between them.
TEST_F(IdleWait, DirtyScreen_FramesOnTimeAndNoWakingBetweenThem) {
    TGraphics::Get()->ToggleOverlay();
    RunFor(12 * 8);
    ASSERT_GE(frameTimes.size(), 7u);
    for (uint32_t gap : Gaps(frameTimes))
        EXPECT_EQ(gap, TWindowManager::kFrameIntervalMs);
    EXPECT_LE(waits.size(), frameTimes.size() + 2) << "one wait per frame";
    mWindow->SetForegroundAnswer(false);
    RunFor(200 * 3);
    ASSERT_GE(frameTimes.size(), 2u);
    for (uint32_t gap : Gaps(frameTimes))
        EXPECT_EQ(gap, TWindowManager::kBackgroundFrameIntervalMs);
    EXPECT_LE(waits.size(), frameTimes.size() + 2);
    // With the front rate kept behind other windows.
    mApplication->GetPlatform()->mFullRateInBackground = 1;
    RunFor(12 * 4);
    ASSERT_GE(frameTimes.size(), 3u);
    for (uint32_t gap : Gaps(frameTimes))
        EXPECT_EQ(gap, TWindowManager::kFrameIntervalMs);
}

// Tasks of the platform's list and of the top modal run when they are due,
// not a millisecond later, whatever the rest of the screen does; a task that
// wants every pass keeps the 1 ms wait.
TEST_F(IdleWait, Tasks_RunWhenDueAndOneThatWantsEveryPassKeepsTheShortWait) {
    struct Case {
        const char* description;
        uint32_t interval;
        bool onModal;
        bool behind;
    };
    const Case cases[] = {
        {"platform task, sooner than the longest wait", 30, false, false},
        {"platform task, later than the longest wait", 170, false, false},
        {"platform task, behind other windows", 130, false, true},
        {"modal task", 45, true, false},
        {"modal task, behind other windows", 7, true, true},
    };
    auto* modal = dynamic_cast<TModalWindow*>(manager->GetTopModal());
    ASSERT_NE(modal, nullptr);
    for (const Case& c : cases) {
        mWindow->SetForegroundAnswer(!c.behind);
        std::vector<uint32_t> runs;
        auto* task = c.onModal ? new NotingTask(runs, c.interval, &modal->GetClock())
                               : new NotingTask(runs, c.interval);
        // On the task's own clock: the modal's, or the application's timer.
        const uint32_t start = task->GetDueTime() - c.interval;
        if (c.onModal)
            modal->AddTask(task);
        else
            mApplication->AddTask(task);
        RunFor(c.interval * 4 + 1);
        // The last wait may end past the time asked for, with one run more.
        ASSERT_GE(runs.size(), 4u) << c.description;
        ASSERT_LE(runs.size(), 5u) << c.description;
        for (size_t i = 0; i < runs.size(); ++i)
            EXPECT_EQ(runs[i] - start, c.interval * (i + 1)) << c.description << ", run " << i;
        TTaskList& list = c.onModal ? modal->GetTasks() : *mApplication->GetTaskList();
        EXPECT_TRUE(list.RemoveTask(task));
        delete task;
    }

    mWindow->SetForegroundAnswer(true);
    mApplication->AddTask(new EveryPassTask);
    RunFor(20);
    ASSERT_FALSE(waits.empty());
    for (uint32_t wait : waits)
        EXPECT_EQ(wait, 1u);
}

TEST_F(IdleWait, AQueuedMessageOrASuspendedTask) {
    // A message waits for the next idle event: the pump does not sleep on.
    manager->PostMessage(new TMessage(TMessage::kGeneric, "queued"));
    RunFor(1);
    ASSERT_FALSE(waits.empty());
    EXPECT_EQ(waits.front(), 1u);
    // A suspended task tells no time: the pump sleeps as at rest.
    std::vector<uint32_t> runs;
    auto* task = new NotingTask(runs, 10);
    task->Suspend();
    mApplication->AddTask(task);
    RunFor(300);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(waits.back(), 100u);
}

} // namespace
