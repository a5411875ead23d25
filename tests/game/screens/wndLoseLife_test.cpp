#include "game/screens/wndLoseLife.h"

#include "framework/script/animation/TAnimatedSprite.h"
#include "game/state/dtUserState.h"
#include "velk/display/vlkClip.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

namespace {

// The pop-up as lose_life.lua builds it: a background at (312, 234) with
// three hearts in it and the game-over label.
class LoseLifeTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        InstallAssets({"HeartB", "mavatar_score_lose", "favatar_score_lose", "davatar_score_lose",
                       "cavatar_score_lose"});
        fakes.progress.user = &user;
    }

    wndLoseLife* Make(const std::string& table, bool allHearts = true) {
        popup = static_cast<wndLoseLife*>(wndLoseLife::Create());
        AddWindow(popup, "bmpBG", TRect(312, 234, 712, 534));
        for (int i = 1; i <= (allHearts ? 3 : 2); ++i) {
            const std::string name = "bmp" + std::to_string(i);
            AddWindow(popup, name.c_str(), TRect(100 + 60 * i, 120, 148 + 60 * i, 160));
        }
        AddText(popup, "lblGameOver", "Game over");
        Open(popup, table);
        return popup;
    }
    bool Visible(const char* name) const {
        TWindow* child = popup->FindChild(TString(name), int32_t{-1});
        return child && child->IsVisible();
    }

    dtUserState user;
    wndLoseLife* popup = nullptr;
};

TEST_F(LoseLifeTest, TheHeartLostNowBreaksOverItsPlaceAndTheLostOnesAreGone) {
    struct Case {
        const char* table;
        bool shown[3];
        float heartX; // the breaking heart's left: its own left + the background's
        bool gameOver;
    };
    const Case cases[] = {
        {"{ LifeCount = 2 }", {true, true, false}, 312 + 280, false},
        {"{}", {true, true, false}, 312 + 280, false}, // 2 by default
        {"{ LifeCount = 1 }", {true, false, false}, 312 + 220, false},
        {"{ LifeCount = 0 }", {false, false, false}, 312 + 160, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        fakes.sounds.played.clear();
        Make(c.table);
        EXPECT_EQ(c.shown[0], Visible("bmp1"));
        EXPECT_EQ(c.shown[1], Visible("bmp2"));
        EXPECT_EQ(c.shown[2], Visible("bmp3"));
        EXPECT_EQ(c.gameOver, Visible("lblGameOver"));
        EXPECT_FLOAT_EQ(c.heartX, popup->GetHeart()->GetX());
        EXPECT_FLOAT_EQ(234.0f + 120.0f, popup->GetHeart()->GetY());
        EXPECT_TRUE(popup->GetHeart()->GetAnimatedSprite()->IsPlaying(-1));
        EXPECT_EQ(1, fakes.sounds.Count("lose_life"));
        root->RemoveChild(popup);
        popup->DeleteThis();
    }
}

TEST_F(LoseLifeTest, ALifeCountOutsideTheHeartsChangesNothing) {
    Make("{ LifeCount = 2 }");
    popup->SetLifeCount(3);
    popup->SetLifeCount(-1);
    EXPECT_TRUE(Visible("bmp1"));
    EXPECT_TRUE(Visible("bmp2"));
    EXPECT_FALSE(Visible("lblGameOver"));
}

TEST_F(LoseLifeTest, AMissingHeartLeavesTheAnimationUnshownWithoutACrash) {
    Make("{ LifeCount = 2 }", false);
    EXPECT_FALSE(popup->GetHeart()->IsVisible());
    popup->OnAnimate();
    EXPECT_FALSE(popup->GetHeart()->IsVisible());
    EXPECT_NE(std::string::npos, Log().find("no \"bmp3\""));
    popup->DrawOverlay();
}

TEST_F(LoseLifeTest, TheAvatarLosesInItsPlaceAndTheSoundStopsOnClose) {
    user.avatar = 3;
    Make("{ LifeCount = 1, avatar_x = 40, avatar_y = 500 }");
    ASSERT_NE(nullptr, popup->GetAvatar());
    EXPECT_FLOAT_EQ(40.0f, popup->GetAvatar()->GetX());
    EXPECT_FLOAT_EQ(500.0f, popup->GetAvatar()->GetY());
    EXPECT_TRUE(popup->GetAvatar()->GetAnimatedSprite()->IsPlaying(-1));
    EXPECT_TRUE(fakes.sounds.stopped.empty());
    root->RemoveChild(popup);
    popup->DeleteThis();
    EXPECT_EQ(std::vector<std::string>{"lose_life"}, fakes.sounds.stopped);
}

TEST_F(LoseLifeTest, NoAvatarForAnUnknownCode) {
    user.avatar = 7;
    Make("{}");
    EXPECT_EQ(nullptr, popup->GetAvatar());
    EXPECT_STREQ("cavatar_score_lose", wndLoseLife::GetAvatarAnimation(3));
    EXPECT_STREQ("", wndLoseLife::GetAvatarAnimation(-1));
}

} // namespace
