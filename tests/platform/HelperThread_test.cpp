#include "platform/thread/HelperThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

TEST(HelperThread, StopCutsALongWaitShortAndJoins) {
    platform::HelperThread thread;
    std::atomic<int> passes{0};
    std::atomic<bool> left{false};
    ASSERT_TRUE(thread.Start([&](platform::HelperThread& self) {
        while (!self.ShouldStop()) {
            ++passes;
            self.WaitFor(60000);
        }
        left = true;
    }));
    EXPECT_FALSE(thread.Start([](platform::HelperThread&) {})) << "a second body started";
    while (passes.load() == 0) {
        std::this_thread::yield();
    }
    auto before = std::chrono::steady_clock::now();
    thread.Stop();
    // Stop returns once the body has left, long before its minute-long wait.
    EXPECT_TRUE(left.load());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(30));
    int after = passes.load();
    thread.Stop();
    EXPECT_EQ(passes.load(), after);
}

TEST(HelperThread, CanStartAgainAfterStop) {
    platform::HelperThread thread;
    std::atomic<int> runs{0};
    auto body = [&](platform::HelperThread&) { ++runs; };
    ASSERT_TRUE(thread.Start(body));
    thread.Stop();
    ASSERT_TRUE(thread.Start(body));
    thread.Stop();
    EXPECT_EQ(runs.load(), 2);
}

} // namespace
