#include "platform/time/TimeSource.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "platform/time/posix/MonotonicTimeSource.h"

#include <gtest/gtest.h>

using platform::ManualTimeSource;

TEST(TimeSource, Default_IsMonotonicAndNeverGoesBack) {
    uint32_t first = platform::TimerNow();
    uint32_t second = platform::TimerNow();
    EXPECT_GE(static_cast<int32_t>(second - first), 0);
    EXPECT_NE(dynamic_cast<platform::MonotonicTimeSource*>(&platform::CurrentTimeSource()),
              nullptr);
}

TEST(TimeSource, Installed_IsReadUntilScopeEnds) {
    ManualTimeSource manual(1234);
    {
        platform::ScopedTimeSource scope(manual);
        EXPECT_EQ(&platform::CurrentTimeSource(), &manual);
        EXPECT_EQ(platform::TimerNow(), 1234u);
        manual.Advance(66);
        EXPECT_EQ(platform::TimerNow(), 1300u);
        EXPECT_EQ(manual.Reads(), 2u);
    }
    EXPECT_NE(&platform::CurrentTimeSource(), &manual);
}

TEST(TimeSource, SetNull_RestoresMonotonicAndReturnsPrevious) {
    ManualTimeSource manual;
    platform::TimeSource* before = platform::SetTimeSource(&manual);
    EXPECT_EQ(platform::SetTimeSource(nullptr), &manual);
    EXPECT_EQ(&platform::CurrentTimeSource(), before);
}

TEST(TimeSource, Manual_WrapsAtThirtyTwoBits) {
    struct Case {
        uint32_t start;
        int64_t step;
        uint32_t expected;
    } cases[] = {
        {0xFFFFFFF0u, 0x20, 0x10},
        {5, -10, 0xFFFFFFFBu},
        {100, 0, 100},
    };
    for (const Case& c : cases) {
        ManualTimeSource manual(c.start);
        manual.Advance(c.step);
        EXPECT_EQ(manual.NowMs(), c.expected) << c.start << " + " << c.step;
    }
}
