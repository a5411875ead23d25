#include "game/screens/wndAchievements.h"

#include "game/data/GameIds.h"
#include "game/screens/wndToolTip.h"
#include "game/state/dtUserState.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TGameTuning::Achieve Thresholds() {
    TGameTuning::Achieve achieve;
    achieve.thresholds[TGameTuning::kBomb] = 10;
    achieve.thresholds[TGameTuning::kFreeze] = 8;
    achieve.thresholds[TGameTuning::kWild] = 6;
    achieve.thresholds[TGameTuning::kSidewinder] = 5;
    achieve.thresholds[TGameTuning::kShowtime] = 4;
    achieve.thresholds[TGameTuning::kScreen1] = 1;
    achieve.thresholds[TGameTuning::kScreen5] = 5;
    return achieve;
}

int Won(const AchievementFlags& flags) {
    int n = 0;
    for (bool f : flags)
        n += f ? 1 : 0;
    return n;
}

TEST(Achievements, EachConditionWinsItsOwnAchievement) {
    struct Case {
        int n;
        void (*set)(dtUserState&);
    };
    const Case cases[] = {
        {1, [](dtUserState& u) { u.allQuest = 1; }},
        {2, [](dtUserState& u) { u.halfQuest = 1; }},
        {3, [](dtUserState& u) { u.combo25 = 1; }},
        {4, [](dtUserState& u) { u.combo50 = 2; }},
        {5, [](dtUserState& u) { u.chain20 = 1; }},
        {6, [](dtUserState& u) { u.scoreAchieved = 1; }},
        {7, [](dtUserState& u) { u.bomb = 10; }},
        {8, [](dtUserState& u) { u.freeze = 9; }},
        {9, [](dtUserState& u) { u.wild = 6; }},
        {10, [](dtUserState& u) { u.sidewinder = 5; }},
        {11, [](dtUserState& u) { u.showtime = 4; }},
        {12, [](dtUserState& u) { u.screen1 = 1; }},
        {13, [](dtUserState& u) { u.screen5 = 5; }},
        {14, [](dtUserState& u) { u.quickDifficultyBits[kModeBlitz] = 7; }},
        {15, [](dtUserState& u) { u.quickDifficultyBits[kModeRome] = 7; }},
        {16, [](dtUserState& u) { u.quickDifficultyBits[kModeClassic] = 7; }},
        {17, [](dtUserState& u) { u.quickDifficultyBits[kModeStrategy] = 7; }},
        {18, [](dtUserState& u) { u.quickDifficultyBits[kModeJoker] = 7; }},
        {19, [](dtUserState& u) { u.catUnlocked = 1; }},
        {20, [](dtUserState& u) { u.dogUnlocked = 1; }},
    };
    const TGameTuning::Achieve achieve = Thresholds();
    EXPECT_EQ(0, Won(EvaluateAchievements(dtUserState(), achieve)));
    for (const Case& c : cases) {
        dtUserState user;
        c.set(user);
        const AchievementFlags flags = EvaluateAchievements(user, achieve);
        EXPECT_EQ(1, Won(flags)) << c.n;
        EXPECT_TRUE(flags[static_cast<size_t>(c.n - 1)]) << c.n;
    }
    // Just short of a threshold, two of three difficulties, a quest flag
    // other than 1: not won.
    dtUserState near;
    near.bomb = 9;
    near.quickDifficultyBits[kModeBlitz] = 3;
    near.quickDifficultyBits[kModeJoker] = 6;
    near.allQuest = 2;
    EXPECT_EQ(0, Won(EvaluateAchievements(near, achieve)));
}

TEST(Achievements, TiersAndMeter) {
    const std::pair<int, int> tiers[] = {{0, 1},  {1, 1},  {5, 1},  {6, 2}, {10, 2},
                                         {11, 3}, {15, 3}, {16, 4}, {20, 4}};
    for (const auto& [won, tier] : tiers)
        EXPECT_EQ(tier, AchievementTier(won)) << won;

    const AchievementMeter none = MeasureAchievementMeter(0.0f);
    EXPECT_FLOAT_EQ(0.3f, none.brainScale);
    EXPECT_FLOAT_EQ(576.0f, none.brainY);
    EXPECT_FLOAT_EQ(0.0f, none.barScaleY);
    const AchievementMeter all = MeasureAchievementMeter(1.0f);
    EXPECT_FLOAT_EQ(1.0f, all.brainScale);
    EXPECT_FLOAT_EQ(126.0f, all.brainY);
    EXPECT_FLOAT_EQ(351.0f, all.barY);
    EXPECT_FLOAT_EQ(450.0f / 23.0f, all.barScaleY);
    EXPECT_FLOAT_EQ(712.0f, all.barX);
}

TEST(Achievements, ProgressOfTheCountedOnesIsCapped) {
    const TGameTuning::Achieve achieve = Thresholds();
    dtUserState user;
    user.bomb = 3;
    EXPECT_EQ(TString(".(3/10)"), AchievementProgress(7, user, achieve));
    user.bomb = 12;
    EXPECT_EQ(TString(".(10/10)"), AchievementProgress(7, user, achieve));
    user.showtime = 2;
    EXPECT_EQ(TString(".(2/4)"), AchievementProgress(11, user, achieve));
    EXPECT_EQ(TString(), AchievementProgress(6, user, achieve));
    EXPECT_EQ(TString(), AchievementProgress(12, user, achieve));
}

// The board with its twenty icon pairs in rows of five (64 x 64 every 80
// pixels from (100, 100)), its texts, a tool tip and a black panel.
class AchievementsBoardTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        InstallAssets({"mavatar_stand", "favatar_stand", "davatar_stand", "cavatar_stand"},
                      {"Brain", "Memory Bar", "Background", "meter_background"});
        fakes.progress.user = &user;
        mSavedAchieve = gGameTuning.achieve;
        gGameTuning.achieve = Thresholds();
        gGameTuning.achieve.unlockInQuestMode = {7, 12};
    }
    void TearDown() override {
        gGameTuning.achieve = mSavedAchieve;
        ScreenFixture::TearDown();
    }

    static TRect IconRect(int n) {
        const int x = 100 + 80 * ((n - 1) % 5);
        const int y = 100 + 80 * ((n - 1) / 5);
        return TRect(x, y, x + 64, y + 64);
    }

    wndAchievements* Make() {
        board = static_cast<wndAchievements*>(wndAchievements::Create());
        AddImage(board, "bmpPanelBlack");
        AddWindow(root, "AchieveFade");
        for (int n = 1; n <= kAchievementCount; ++n)
            for (const char* state : {"on", "off"}) {
                const std::string name = "bmpIcon_" + std::to_string(n) + "_" + std::string(state);
                TImage* icon = AddImage(board, name.c_str());
                const TRect r = IconRect(n);
                icon->SetPosition(r.left, r.top);
                icon->SetSize(r.right - r.left, r.bottom - r.top);
            }
        for (const char* name : {"AchieveQuantity", "name", "txtAchieve1", "txtAchieve2",
                                 "txtAchieve3", "lblAchieveQuestMode"})
            AddText(board, name);
        AddWindow(board, "btnBack");
        tip = static_cast<wndToolTip*>(wndToolTip::Create());
        tip->SetName(TString("wndToolTip"));
        AddText(tip, "lblToolTip");
        AddImage(tip, "bmpBg");
        board->AddChild(tip, false);
        tip->GetAnimator()->SetClock(&clock);
        std::unique_ptr<TLuaTable> tipTable = lua.Table("{ fade_secs = 0.25, margin_x = 4 }");
        TWindowStyle tipStyle(tipTable.get());
        tip->PostInit(tipStyle);
        clock.SetTime(1000);
        Open(board, "{ avatar_boy = { x = 800, y = 300 }, avatar_cat = { x = 820, y = 310 } }");
        return board;
    }
    std::string TextOf(const char* name) const {
        auto* text = dynamic_cast<TText*>(board->FindChild(TString(name), int32_t{-1}));
        return text ? text->GetText().ToStd() : "(none)";
    }
    bool Visible(const std::string& name) const {
        TWindow* child = board->FindChild(TString(name.c_str()), int32_t{-1});
        return child && child->IsVisible();
    }
    void Settle() {
        for (int i = 0; i < 40; ++i) {
            clock.SetTime(clock.GetTime() + 32);
            board->OnAnimate();
            tip->OnAnimate();
        }
    }

    dtUserState user;
    wndAchievements* board = nullptr;
    wndToolTip* tip = nullptr;

private:
    TGameTuning::Achieve mSavedAchieve;
};

TEST_F(AchievementsBoardTest, ANewPlayerSeesNothingWon) {
    Make();
    EXPECT_EQ("00/20", TextOf("AchieveQuantity"));
    EXPECT_EQ("Achieve Up 1", TextOf("txtAchieve1"));
    EXPECT_EQ("Achieve Mid 1", TextOf("txtAchieve2"));
    EXPECT_EQ("Achieve Down 1", TextOf("txtAchieve3"));
    for (int n = 1; n <= kAchievementCount; ++n) {
        EXPECT_FALSE(Visible("bmpIcon_" + std::to_string(n) + "_on")) << n;
        EXPECT_TRUE(Visible("bmpIcon_" + std::to_string(n) + "_off")) << n;
    }
    EXPECT_FLOAT_EQ(0.3f, board->GetBrain()->GetScaleX());
    EXPECT_FLOAT_EQ(576.0f, board->GetBrain()->GetY());
    EXPECT_EQ(TRect(100, 100, 484, 404), board->GetHoverArea());
}

TEST_F(AchievementsBoardTest, SevenWonLightTheirIconsAndRaiseTheMeter) {
    user.allQuest = 1;
    user.combo25 = 1;
    user.bomb = 10;
    user.screen1 = 1;
    user.quickDifficultyBits[kModeJoker] = 7;
    user.catUnlocked = 1;
    user.dogUnlocked = 1;
    user.avatar = 3;
    Make();
    EXPECT_EQ("07/20", TextOf("AchieveQuantity"));
    EXPECT_EQ("Achieve Up 2", TextOf("txtAchieve1"));
    for (int n : {1, 3, 7, 12, 18, 19, 20}) {
        EXPECT_TRUE(Visible("bmpIcon_" + std::to_string(n) + "_on")) << n;
        EXPECT_FALSE(Visible("bmpIcon_" + std::to_string(n) + "_off")) << n;
    }
    EXPECT_FLOAT_EQ(0.3f + 0.7f * 0.35f, board->GetBrain()->GetScaleX());
    ASSERT_NE(nullptr, board->GetAvatarClip());
    EXPECT_FLOAT_EQ(820.0f, board->GetAvatarClip()->GetX());
    EXPECT_FLOAT_EQ(310.0f, board->GetAvatarClip()->GetY());
}

TEST_F(AchievementsBoardTest, OpensThroughBlackAndOnlyThenTakesThePointer) {
    Make();
    TWindow* content = root->FindChild(TString("AchieveFade"), int32_t{1});
    EXPECT_FALSE(content->IsVisible());
    EXPECT_FALSE(board->OnMouseMove(TPoint(110, 110)));
    Settle();
    EXPECT_EQ(wndAchievements::kOpen, board->GetStep());
    EXPECT_TRUE(content->IsVisible());
    EXPECT_TRUE(board->GetBar()->IsVisible());
    EXPECT_EQ(0.0f, board->GetPanel()->GetAlpha());
    EXPECT_TRUE(board->OnMouseMove(TPoint(110, 110)));
    EXPECT_EQ(TString("lblAchievement1"), tip->GetKey());
}

TEST_F(AchievementsBoardTest, TheTipOfACountedAchievementShowsItsProgress) {
    for (int bombs : {3, 12}) {
        user.bomb = bombs;
        Make();
        Settle();
        const TRect icon = IconRect(7);
        ASSERT_TRUE(board->OnMouseMove(TPoint(icon.left + 5, icon.top + 5)));
        EXPECT_EQ(TString("lblAchievement7"), tip->GetKey());
        ASSERT_NE(nullptr, tip->GetText());
        const std::string expected = std::string("lblAchievement7lblAchieveQuestModeAsterisk") +
                                     (bombs == 3 ? ".(3/10)" : ".(10/10)");
        EXPECT_EQ(expected, tip->GetText()->GetText().ToStd());
        EXPECT_TRUE(Visible("lblAchieveQuestMode"));
        // Under the icon, centred on it.
        EXPECT_EQ(icon.bottom + 5, tip->GetRect().top);
        EXPECT_EQ(icon.left + 32 - tip->GetWidth() / 2, tip->GetRect().left);

        // Achievement 12 is counted in quest play but shows no progress;
        // 13 is not listed: its description only, no quest note.
        const TRect twelve = IconRect(12);
        board->OnMouseMove(TPoint(twelve.left + 1, twelve.top + 1));
        EXPECT_EQ("lblAchievement12lblAchieveQuestModeAsterisk", tip->GetText()->GetText().ToStd());
        const TRect thirteen = IconRect(13);
        board->OnMouseMove(TPoint(thirteen.left + 1, thirteen.top + 1));
        EXPECT_EQ("lblAchievement13", tip->GetText()->GetText().ToStd());
        EXPECT_FALSE(Visible("lblAchieveQuestMode"));
        root->RemoveChild(board);
        board->DeleteThis();
        TWindow* content = root->FindChild(TString("AchieveFade"), int32_t{1});
        root->RemoveChild(content);
        content->DeleteThis();
    }
}

TEST_F(AchievementsBoardTest, OverlappingIconsGiveTheTipToTheHigherNumber) {
    Make();
    Settle();
    // Icon 2 moved over icon 1's right half.
    const auto& slots = board->GetSlots();
    const_cast<wndAchievements::Slot&>(*slots[1]).rect = TRect(140, 100, 204, 164);
    ASSERT_TRUE(board->OnMouseMove(TPoint(150, 120)));
    EXPECT_EQ(TString("lblAchievement2"), tip->GetKey());
    // Moving inside the same icon leaves the tip where it is.
    const TRect placed = tip->GetRect();
    EXPECT_TRUE(board->OnMouseMove(TPoint(160, 130)));
    EXPECT_EQ(placed, tip->GetRect());
    // Outside every icon the tip goes.
    EXPECT_FALSE(board->OnMouseMove(TPoint(90, 90)));
    EXPECT_EQ(TString(), tip->GetKey());
}

TEST_F(AchievementsBoardTest, TheTipStaysWholeInsideTheBoardAtItsEdges) {
    Make();
    Settle();
    // A board just larger than its medals: the first medal's tip would
    // start left of it, the fifth's end right of it, the last's below it.
    board->SetSize(500, 500);
    for (int n : {1, 5, 20}) {
        SCOPED_TRACE(n);
        const TRect icon = IconRect(n);
        ASSERT_TRUE(board->OnMouseMove(TPoint(icon.left + 10, icon.top + 10)));
        const TRect placed = tip->GetRect();
        EXPECT_GT(placed.right - placed.left, 64);
        EXPECT_GE(placed.left, 8);
        EXPECT_LE(placed.right, 500 - 8);
        EXPECT_GE(placed.top, 8);
        EXPECT_LE(placed.bottom, 500 - 8);
    }
}

TEST_F(AchievementsBoardTest, BackDuringTheOpeningLeadsThroughTheClosingSteps) {
    Make();
    clock.SetTime(clock.GetTime() + 64);
    board->OnAnimate();
    ASSERT_TRUE(CallScript("gfn_OnBackAchievements()"));
    ASSERT_TRUE(CallScript("gfn_OnBackAchievements()"));
    EXPECT_FALSE(Visible("btnBack"));
    Settle();
    EXPECT_EQ(1, fakes.scripts.Count("closeAchievements()"));
    EXPECT_FALSE(root->FindChild(TString("AchieveFade"), int32_t{1})->IsVisible());
    EXPECT_FALSE(board->GetBrain()->IsVisible());
    EXPECT_EQ(0.0f, board->GetPanel()->GetAlpha());
    EXPECT_FALSE(tip->IsEnabled());
}

} // namespace
