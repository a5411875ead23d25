#include "velk/display/vlkClip.h"

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "velk/motion/TLinearMove.h"

#include "framework/graphics/draw/NullDrawFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Four 32 x 32 frames; "DoAnim" shows frames 1 to 4, 60 ms each.
const char kSpin[] = "::" CORVALO_TEST_DATA "/animation/spin";

// Clips on the null graphics back end, with the animation scripts in a
// task list on a clock moved by hand.
class ClipTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
        mSpin = TAnimatedTexture::Get(TString(kSpin), TString(), TString());
        ASSERT_TRUE(mSpin) << Log();
    }
    void TearDown() override {
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        mSpin.reset();
        NullDrawFixture::TearDown();
    }

    // The clock to t, then one pass of the task list.
    void At(uint32_t t) {
        mClock.SetTime(t);
        mTasks.RunAll(0);
    }

    // The draws of one frame in which the object is drawn.
    std::vector<platform::RecordedDraw> DrawOne(vlkDisplayObject& object) {
        Device().ClearDraws();
        EXPECT_TRUE(graphics->BeginDraw(false));
        EXPECT_TRUE(graphics->Begin2d());
        object.Draw();
        graphics->End2d();
        graphics->EndDraw(false);
        return Device().Draws();
    }

    TAssetManager mAssets;
    TTaskList mTasks;
    TClock mClock;
    std::shared_ptr<TAnimatedTexture> mSpin;
};

// Reaches the plain framework sprite that the clip keeps.
class ExposedClip : public vlkClip {
public:
    using vlkClip::vlkClip;
    TSprite& Plain() { return *mSprite; }
};

TEST_F(ClipTest, Draw_DrawsTheAnimatedSpriteAndNeverThePlainOne) {
    ExposedClip clip(mSpin, &mClock);
    EXPECT_NE(clip.GetSprite().get(), &clip.Plain());
    EXPECT_EQ(clip.GetSprite(), clip.GetAnimatedSprite());
    // A plain sprite with a texture of its own would be drawn as an 8 x 8
    // quad at the origin.
    clip.Plain().SetTexture(TTexture::CreateRenderTarget(8, 8, true));
    clip.SetPosition(100.0f, 50.0f);
    const auto draws = DrawOne(clip);
    ASSERT_EQ(draws.size(), 1u) << Log();
    const platform::RecordedDraw& draw = draws[0];
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    for (uint32_t i = 0; i < draw.vertexCount; ++i) {
        left = std::min(left, draw.X(i));
        right = std::max(right, draw.X(i));
        top = std::min(top, draw.Y(i));
        bottom = std::max(bottom, draw.Y(i));
    }
    EXPECT_NEAR(right - left, 32.0f, 0.01f);
    EXPECT_NEAR(bottom - top, 32.0f, 0.01f);
    EXPECT_NEAR((left + right) / 2.0f, 100.0f, 1.0f);
    EXPECT_NEAR((top + bottom) / 2.0f, 50.0f, 1.0f);

    clip.SetVisible(false);
    EXPECT_TRUE(DrawOne(clip).empty());
}

// The look changes exactly when the clip would draw other pixels: another
// frame, place, alpha, visibility or child; a tick without any of these
// leaves it, so a screen need not be drawn again.
TEST_F(ClipTest, GetLook_ChangesWithWhatTheClipDraws) {
    vlkClip clip(mSpin, &mClock);
    clip.SetPosition(100.0f, 50.0f);
    clip.PlayAnimation(TString("DoAnim"));
    At(0);
    uint64_t look = clip.GetLook();
    const auto changed = [&] {
        const uint64_t now = clip.GetLook();
        const bool differs = now != look;
        look = now;
        return differs;
    };
    At(30);
    EXPECT_FALSE(changed()) << "the same frame";
    At(60);
    EXPECT_TRUE(changed()) << "the next frame";
    clip.SetPosition(100.0f, 50.0f);
    EXPECT_FALSE(changed()) << "the same place";
    clip.SetPosition(101.0f, 50.0f);
    EXPECT_TRUE(changed());
    clip.SetAlpha(0.5f);
    EXPECT_TRUE(changed());
    clip.SetVisible(false);
    EXPECT_TRUE(changed());
    clip.SetVisible(true);
    EXPECT_TRUE(changed());
    clip.GetSprite()->AddChild(TSprite::Create(0));
    EXPECT_TRUE(changed()) << "a child";
    clip.GetSprite()->GetChildren()[0]->GetDrawSpec().SetPosition(5.0f, 5.0f);
    EXPECT_TRUE(changed()) << "a child moved";
    At(120);
    At(180);
    At(240);
    EXPECT_TRUE(changed()) << "the last frame";
    At(400);
    EXPECT_FALSE(changed()) << "the animation has ended";
}

// The operations as the board, panels and screens call them.
TEST_F(ClipTest, CallersForms_FromAnimationPlayHitTestAndTheDefaultMove) {
    std::unique_ptr<vlkClip> clip = vlkClip::vlkClipFromAnimation(mSpin, &mClock);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->GetKind(), 6u);
    EXPECT_EQ(clip->GetWidth(), 32.0f);
    EXPECT_EQ(clip->GetHeight(), 32.0f);
    EXPECT_EQ(clip->GetAnimatedSprite()->GetClock(), &mClock);
    EXPECT_FALSE(clip->GetAnimatedSprite()->IsPlaying(0));

    clip->SetAnimationAndPlay(mSpin);
    At(0);
    EXPECT_TRUE(clip->GetAnimatedSprite()->IsPlaying(0));
    EXPECT_EQ(clip->GetAnimatedSprite()->GetCurrentFrame(), 0);
    At(60);
    EXPECT_EQ(clip->GetAnimatedSprite()->GetCurrentFrame(), 1);
    At(120);
    EXPECT_EQ(clip->GetAnimatedSprite()->GetCurrentFrame(), 2);
    At(180);
    At(240);
    EXPECT_EQ(clip->GetAnimatedSprite()->GetCurrentFrame(), 3);
    EXPECT_FALSE(clip->GetAnimatedSprite()->IsPlaying(0));

    clip->SetPosition(200.0f, 100.0f);
    clip->SetScale(2.0f);
    EXPECT_EQ(clip->GetScaleX(), 2.0f);
    EXPECT_EQ(clip->GetScaleY(), 2.0f);
    EXPECT_TRUE(clip->HitTest(TVec2(200.0f, 100.0f), -1, -1));
    EXPECT_TRUE(clip->HitTest(TVec2(231.0f, 100.0f), -1, -1));
    EXPECT_FALSE(clip->HitTest(TVec2(233.0f, 100.0f), -1, -1));

    // Played again from the start.
    clip->PlayAnimation(TString("DoAnim"));
    At(300);
    EXPECT_TRUE(clip->GetAnimatedSprite()->IsPlaying(0));

    TLinearMove move;
    EXPECT_TRUE(move.IsDone());
    EXPECT_EQ(move.GetValue(), 0.0f);
    move.Set(0.0f, 10.0f, 100);
    move.Start();
    move.Update(50);
    EXPECT_EQ(move.GetValue(), 5.0f);
    EXPECT_EQ(move.GetEnd(), 10.0f);
}

TEST_F(ClipTest, EmptyAnimations_ChangeNothingAndPlayNeedsAnAnimation) {
    vlkClip clip;
    clip.SetAnimation(nullptr);
    EXPECT_EQ(clip.GetWidth(), 0.0f);
    EXPECT_FALSE(clip.GetAnimatedSprite()->GetAnimatedTexture());
    clip.PlayAnimation(TString("DoAnim"));
    At(0);
    EXPECT_FALSE(clip.GetAnimatedSprite()->IsPlaying(0));
    EXPECT_EQ(mTasks.Count(), 0u);

    clip.SetAnimation(mSpin);
    EXPECT_EQ(clip.GetAnimatedSprite()->GetAnimatedTexture(), mSpin);
    clip.SetAnimation(nullptr);
    EXPECT_EQ(clip.GetAnimatedSprite()->GetAnimatedTexture(), mSpin);
    EXPECT_EQ(clip.GetWidth(), 32.0f);
}

} // namespace
