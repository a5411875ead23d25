#include "game/screens/wndAvatarUnlocked.h"

#include "framework/core/xml/TStringTable.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "game/progress/QuestMap.h"
#include "velk/display/vlkClip.h"
#include "velk/globals/GameGlobals.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

namespace {

class AvatarUnlockedTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        InstallAssets({"cavatar_score_win", "davatar_score_win"});
        static const char kRows[] =
            "<?xml version=\"1.0\"?><Workbook><Worksheet><Table>"
            "<Row><Cell><Data>lblAvatarUnlockContent</Data></Cell>"
            "<Cell><Data>You can now play as %1%!</Data></Cell></Row>"
            "<Row><Cell><Data>lblNameAvatarCat</Data></Cell><Cell><Data>Pixel the cat</Data>"
            "</Cell></Row>"
            "<Row><Cell><Data>lblNameAvatarDog</Data></Cell><Cell><Data>Rufus the dog</Data>"
            "</Cell></Row>"
            "</Table></Worksheet></Workbook>";
        mStrings = std::make_unique<TStringTable>();
        mStrings->LoadBuffer(kRows, sizeof(kRows) - 1, "avatar labels");
        mSavedStrings = gGameStringTable;
        gGameStringTable = mStrings.get();
    }
    void TearDown() override {
        gGameStringTable = mSavedStrings;
        ScreenFixture::TearDown();
    }

    wndAvatarUnlocked* Open(int pending, bool withText = true) {
        fakes.questMap.pendingReward = pending;
        fakes.questMap.avatarPending = pending != 0;
        popup = static_cast<wndAvatarUnlocked*>(wndAvatarUnlocked::Create());
        if (withText)
            AddText(AddWindow(popup, "panel"), "lblAvatarUnlockContent", "(as the table gave it)");
        ScreenFixture::Open(popup, "{ avatar_cat_x = 300, avatar_cat_y = 250, avatar_dog_x = 320,"
                                   " avatar_dog_y = 260 }");
        return popup;
    }
    std::string Content() const {
        auto* text =
            dynamic_cast<TText*>(popup->FindChild(TString("lblAvatarUnlockContent"), int32_t{-1}));
        return text ? text->GetText().ToStd() : "(none)";
    }

    wndAvatarUnlocked* popup = nullptr;

private:
    std::unique_ptr<TStringTable> mStrings;
    TStringTable* mSavedStrings = nullptr;
};

TEST_F(AvatarUnlockedTest, TheUnlockedAvatarWinsOnceAndTheRewardIsUsedUp) {
    struct Case {
        int reward;
        float x, y;
        const char* content;
    };
    const Case cases[] = {
        {6, 300, 250, "You can now play as Pixel the cat!"},
        {7, 320, 260, "You can now play as Rufus the dog!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reward);
        Open(c.reward);
        ASSERT_NE(nullptr, popup->GetClip());
        EXPECT_FLOAT_EQ(c.x, popup->GetClip()->GetX());
        EXPECT_FLOAT_EQ(c.y, popup->GetClip()->GetY());
        EXPECT_TRUE(popup->GetClip()->GetAnimatedSprite()->IsPlaying(-1));
        EXPECT_EQ(c.content, Content());
        EXPECT_EQ(0, fakes.questMap.GetPendingReward());
        EXPECT_FALSE(fakes.questMap.IsAvatarUnlockPending());
        root->RemoveChild(popup);
        popup->DeleteThis();

        // Opened a second time: nothing left to show.
        Open(0);
        fakes.questMap.pendingReward = 0;
        EXPECT_EQ(nullptr, popup->GetClip());
        EXPECT_EQ("(as the table gave it)", Content());
        root->RemoveChild(popup);
        popup->DeleteThis();
    }
}

TEST_F(AvatarUnlockedTest, WithoutItsTextTheAnimationPlaysAndTheRewardIsCleared) {
    Open(6, false);
    ASSERT_NE(nullptr, popup->GetClip());
    EXPECT_EQ(0, fakes.questMap.GetPendingReward());
    popup->DrawOverlay();
}

TEST_F(AvatarUnlockedTest, ARewardThatIsNoAvatarShowsNothingButIsCleared) {
    Open(3);
    EXPECT_EQ(nullptr, popup->GetClip());
    EXPECT_EQ("(as the table gave it)", Content());
    EXPECT_EQ(0, fakes.questMap.GetPendingReward());
    EXPECT_NE(std::string::npos, Log().find("the pending reward 3 unlocks no avatar"));
}

TEST_F(AvatarUnlockedTest, WithoutAQuestMapTheRewardReadsNone) {
    services.reset();
    fakes.withQuestMap = false;
    services = std::make_unique<ScopedLevelServices>(fakes.Services());
    Open(6);
    EXPECT_EQ(nullptr, popup->GetClip());
    EXPECT_EQ(6, fakes.questMap.GetPendingReward());
}

} // namespace
