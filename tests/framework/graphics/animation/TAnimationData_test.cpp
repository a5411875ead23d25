#include "framework/graphics/animation/TAnimationData.h"

#include <gtest/gtest.h>

namespace {

TAnimationData TwoFrames() {
    TAnimationData data;
    data.mFrames.resize(2);
    data.mFrames[0].mW = 10;
    data.mFrames[0].mH = 12;
    data.mFrames[1].mW = 30;
    data.mFrames[1].mH = 4;
    return data;
}

TEST(AnimationData, NewRecord_StartsAtFrameZeroWithoutTransform) {
    TAnimationData data;
    EXPECT_EQ(data.mCurrentFrame, 0);
    EXPECT_EQ(data.GetCurrentFrame(), nullptr); // no frames yet
    EXPECT_EQ(data.GetCurrentWidth(), 0);
    TAnimationFrame frame;
    EXPECT_FALSE(frame.HasTransform());
    EXPECT_EQ(frame.mTransform[0], -10000000.0f);
    EXPECT_EQ(frame.mAlpha, 1.0f);
}

TEST(AnimationData, SetCurrentFrame_AcceptsMinusOneToLastOnly) {
    const struct {
        int32_t index;
        bool accepted;
        int32_t current; // after the call, starting from frame 1
        int32_t width;
        int32_t height;
    } cases[] = {
        {0, true, 0, 10, 12}, {1, true, 1, 30, 4},   {-1, true, -1, 0, 0},
        {2, false, 1, 30, 4}, {-2, false, 1, 30, 4},
    };
    for (const auto& c : cases) {
        TAnimationData data = TwoFrames();
        data.mCurrentFrame = 1;
        EXPECT_EQ(data.SetCurrentFrame(c.index), c.accepted) << c.index;
        EXPECT_EQ(data.mCurrentFrame, c.current) << c.index;
        EXPECT_EQ(data.GetCurrentWidth(), c.width) << c.index;
        EXPECT_EQ(data.GetCurrentHeight(), c.height) << c.index;
    }
}

TEST(AnimationData, LargestFrame_IsRaisedToEveryFrame) {
    TAnimationData data = TwoFrames();
    data.UpdateLargestFrame();
    EXPECT_EQ(data.mMaxFrameWidth, 30);
    EXPECT_EQ(data.mMaxFrameHeight, 12);
}

TEST(AnimationData, SameContent_IgnoresWhereTheRecordCameFrom) {
    TAnimationData a = TwoFrames();
    TAnimationData b = TwoFrames();
    b.mAssetName = TString("walk");
    b.mDirectory = TString("anims/");
    b.mCurrentFrame = -1;
    EXPECT_TRUE(a.SameContent(b));
    b.mFrames[1].mAnchors.push_back({TString("hand"), 1, 2});
    EXPECT_FALSE(a.SameContent(b));
    b = TwoFrames();
    b.mFrames[0].mTransform[5] = 1.0f;
    EXPECT_FALSE(a.SameContent(b));
}

} // namespace
