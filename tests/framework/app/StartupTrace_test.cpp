#include "framework/app/StartupTrace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class FrameTrace : public ::testing::Test {
protected:
    void SetUp() override {
        SetStartupTrace([this](const char* step) { mSteps.push_back(step); });
    }
    void TearDown() override { SetStartupTrace(nullptr); }

    std::vector<std::string> mSteps;
};

long long Count(const std::string& step) {
    return std::atoll(step.c_str() + std::string("frames ").size());
}

TEST_F(FrameTrace, AnnouncesTheRunningCountOnceEveryStride) {
    for (int i = 0; i < 3 * kTracedFrameStride; ++i) {
        TracePresentedFrame();
    }
    // The count runs over the whole program, so the first announcement may
    // come at any frame of the first stride; then one per stride.
    ASSERT_EQ(mSteps.size(), 3u);
    for (const std::string& step : mSteps) {
        ASSERT_EQ(step.rfind("frames ", 0), 0u) << step;
        EXPECT_EQ(Count(step) % kTracedFrameStride, 0) << step;
    }
    EXPECT_EQ(Count(mSteps[1]) - Count(mSteps[0]), kTracedFrameStride);
    EXPECT_EQ(Count(mSteps[2]) - Count(mSteps[1]), kTracedFrameStride);
}

TEST_F(FrameTrace, FramesPresentedUnwatchedStillCount) {
    SetStartupTrace(nullptr);
    for (int i = 0; i < kTracedFrameStride; ++i) {
        TracePresentedFrame();
    }
    SetStartupTrace([this](const char* step) { mSteps.push_back(step); });
    for (int i = 0; i < kTracedFrameStride; ++i) {
        TracePresentedFrame();
    }
    ASSERT_EQ(mSteps.size(), 1u);
    EXPECT_GE(Count(mSteps[0]), 2 * kTracedFrameStride);
}

} // namespace
