#include "game/board/topCorvalo.h"

#include "framework/core/tasks/TTaskList.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/text/TTextSprite.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/ui/widgets/TText.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/display/vlkClip.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "game/support/FakeLevelServices.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

// Four 32 x 32 frames: every avatar animation of the fixture.
const char kSpin[] = CORVALO_TEST_DATA "/animation/spin";

// A top panel under a root window on the null graphics back end, the
// recording services, the four score-card avatars in a small asset list,
// a string table with the card's title, and a card builder that stands in
// for the card scripts: it adds the texts and, unless told not to, the
// avatar's spot at (40, 120) inside the card.
class TopPanelTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
        fakes.scripts.SetGame("Classic", "quick", "easy");
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());

        std::string list = "<assets><fixedAssets>";
        for (const char* p : {"m", "f", "d", "c"})
            list += std::string("<image name=\"") + p + "avatar_score_win\" path=\"::" + kSpin +
                    ".xml\"/>";
        list += "</fixedAssets></assets>";
        const auto file = mFiles.Path() / "cardassets.xml";
        std::ofstream(file) << list;
        mSavedLists = gAssetLists;
        gAssetLists = new TAssetLists(TString(("::" + file.string()).c_str()));
        gAssetLists->LoadFixedAssets();

        static const char kRows[] = "<?xml version=\"1.0\"?><Workbook><Worksheet><Table>"
                                    "<Row><Cell><Data>Level Complete1</Data></Cell>"
                                    "<Cell><Data>Level %1% complete!</Data></Cell></Row>"
                                    "</Table></Worksheet></Workbook>";
        mStrings = std::make_unique<TStringTable>();
        mStrings->LoadBuffer(kRows, sizeof(kRows) - 1, "card labels");
        mSavedStrings = gGameStringTable;
        gGameStringTable = mStrings.get();

        mSavedBuilder = topCorvalo::SetCardBuilder([this](TWindow* card, const TString& file) {
            scripts.push_back(file.ToStd());
            for (const char* name :
                 {"Level Complete1", "lblScore", "lblTotalScore", "lblBestCombo", "lblJokerBonus"})
                AddText(card, name);
            if (withAvatarSpot) {
                auto* spot = new TWindow(TString("Avatar"));
                spot->SetPosition(40, 120);
                spot->SetSize(100, 150);
                card->AddChild(spot, false);
            }
        });

        root = new TWindow(TString("root"));
        root->SetSize(1024, 768);
        panel = static_cast<topCorvalo*>(topCorvalo::Create());
        root->AddChild(panel, false);
        panel->SetSize(1024, 768);
        panel->SetUserState(&user);
    }
    void TearDown() override {
        root->DeleteThis();
        topCorvalo::SetCardBuilder(std::move(mSavedBuilder));
        gGameStringTable = mSavedStrings;
        delete gAssetLists;
        gAssetLists = mSavedLists;
        mServices.reset();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        NullDrawFixture::TearDown();
    }

    static void AddText(TWindow* card, const char* name) {
        auto* text = static_cast<TText*>(TText::Create());
        text->SetName(TString(name));
        card->AddChild(text, false);
        text->CreateLayout(TString(), 200, 30, 0, TString("__DEFAULT"), 16,
                           TColor(1.0f, 1.0f, 1.0f, 1.0f));
    }
    std::string CardText(const char* name) const {
        TWindow* card = panel->GetCard();
        if (!card)
            return "(no card)";
        auto* text = dynamic_cast<TText*>(card->FindChild(TString(name), true));
        return text ? text->GetText().ToStd() : "(no text)";
    }
    // Runs the card's move to its end.
    void FinishMove() {
        for (int i = 0; i < 100 && panel->IsMoving(); ++i)
            panel->Advance(50);
    }

    FakeLevelServices fakes;
    dtUserState user;
    TWindow* root = nullptr;
    topCorvalo* panel = nullptr;
    std::vector<std::string> scripts;
    bool withAvatarSpot = true;

private:
    support::TempFolder mFiles{"corvalo-topcard-"};
    TAssetManager mAssets;
    TTaskList mTasks;
    std::unique_ptr<ScopedLevelServices> mServices;
    std::unique_ptr<TStringTable> mStrings;
    TStringTable* mSavedStrings = nullptr;
    TAssetLists* mSavedLists = nullptr;
    topCorvalo::CardBuilder mSavedBuilder;
};

TEST_F(TopPanelTest, TheCardShowsTheLevelScoresAndComboAndSlidesInWithTheFanfare) {
    user.level = 7;
    user.levelScore = 1234;
    user.bestCombo = 9;
    user.avatar = 1;
    panel->SetTotalScore(56789);
    panel->ShowScoreCard();

    ASSERT_EQ(1u, scripts.size());
    EXPECT_EQ("scripts/score_card.lua", scripts[0]);
    EXPECT_EQ(1, fakes.scripts.Count("showAlphaBackground(true)"));
    EXPECT_EQ(1, fakes.sounds.Count("fanfarria"));
    EXPECT_EQ(0, fakes.sounds.Count("fanfarria loop"));

    TWindow* card = panel->GetCard();
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(panel, card->GetParent());
    EXPECT_EQ(TRect(194, 189, 194 + 635, 189 + 389), card->GetRect());
    EXPECT_EQ("Level 7 complete!", CardText("Level Complete1"));
    EXPECT_EQ("1234", CardText("lblScore"));
    EXPECT_EQ("56789", CardText("lblTotalScore"));
    EXPECT_EQ("9", CardText("lblBestCombo"));
    EXPECT_EQ("", CardText("lblJokerBonus"));

    // The panel comes in from above and rests where it was.
    EXPECT_EQ(clsAnimWindow::kInFromTop, panel->GetDirection());
    EXPECT_TRUE(panel->IsMoving());
    EXPECT_LT(panel->GetRect().top, 0);
    FinishMove();
    EXPECT_FALSE(panel->IsMoving());
    EXPECT_EQ(0, panel->GetRect().top);

    // The avatar stands on its spot in the card and cheers once there.
    const vlkClip* clip = panel->GetAvatarClip();
    ASSERT_NE(nullptr, clip);
    EXPECT_FLOAT_EQ(194.0f + 40.0f, clip->GetX());
    EXPECT_FLOAT_EQ(189.0f + 120.0f, clip->GetY());
    EXPECT_TRUE(clip->GetAnimatedSprite()->IsPlaying(-1));
}

TEST_F(TopPanelTest, TheJokerCardShowsTheBonusOnlyWhenItWasEarned) {
    const int savedBonus = gGameTuning.score.jokerBonus;
    gGameTuning.score.jokerBonus = 5000;
    user.bestCombo = 9;
    for (bool earned : {true, false}) {
        scripts.clear();
        panel->ShowJokerScoreCard(earned);
        ASSERT_EQ(1u, scripts.size());
        EXPECT_EQ("scripts/joker_score_card.lua", scripts[0]);
        EXPECT_EQ(earned ? "5000" : "0", CardText("lblJokerBonus")) << earned;
        EXPECT_EQ("", CardText("lblBestCombo")) << earned;
        panel->ClearTopWindow();
    }
    gGameTuning.score.jokerBonus = savedBonus;
}

TEST_F(TopPanelTest, TheAvatarClipFollowsTheAvatarIndex) {
    struct Case {
        int avatar;
        const char* animation; // empty: no clip
    };
    const Case cases[] = {
        {0, "mavatar_score_win"},
        {1, "favatar_score_win"},
        {2, "davatar_score_win"},
        {3, "cavatar_score_win"},
        {4, ""},
        {-1, ""},
        {100, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.animation, topCorvalo::GetAvatarAnimation(c.avatar).ToStd()) << c.avatar;
        user.avatar = c.avatar;
        panel->ShowScoreCard();
        // The card shows either way.
        ASSERT_NE(nullptr, panel->GetCard()) << c.avatar;
        EXPECT_EQ(std::string(c.animation).empty(), panel->GetAvatarClip() == nullptr) << c.avatar;
        EXPECT_EQ("0", CardText("lblScore")) << c.avatar;
        panel->ClearTopWindow();
    }
    EXPECT_TRUE(Logged("no score-card avatar for avatar 100")) << Log();
}

TEST_F(TopPanelTest, ACardWithoutTheAvatarSpotShowsWithoutTheAvatarAndSaysSo) {
    withAvatarSpot = false;
    user.avatar = 0;
    user.levelScore = 40;
    panel->ShowScoreCard();
    ASSERT_NE(nullptr, panel->GetCard());
    EXPECT_EQ(nullptr, panel->GetAvatarClip());
    EXPECT_EQ("40", CardText("lblScore"));
    EXPECT_TRUE(Logged("the score card has no \"Avatar\" window")) << Log();
    FinishMove();
    EXPECT_EQ(0, panel->GetRect().top);
}

TEST_F(TopPanelTest, InQuestPlayTheCardShowsTheNodesLevelPlusOne) {
    struct Case {
        const char* style;
        bool node;
        int nodeLevel;
        int userLevel;
        const char* shown;
    };
    const Case cases[] = {
        {"quest", true, 9, 1, "Level 10 complete!"},
        {"Quest", true, 0, 4, "Level 1 complete!"},
        {"quest", true, 55, 2, "Level 56 complete!"},
        // Without a current node the user state's level stands.
        {"quest", false, 9, 3, "Level 3 complete!"},
        {"quick", true, 9, 21, "Level 21 complete!"},
    };
    for (const Case& c : cases) {
        fakes.scripts.globals["gGameStyle"] = c.style;
        fakes.questMap.hasCurrentNode = c.node;
        fakes.questMap.nodeLevel = c.nodeLevel;
        user.level = c.userLevel;
        panel->ShowScoreCard();
        EXPECT_EQ(c.shown, CardText("Level Complete1")) << c.style << " " << c.nodeLevel;
        panel->ClearTopWindow();
    }
}

TEST_F(TopPanelTest, ClearingTakesTheCardAvatarAndFanfareAway) {
    user.avatar = 2;
    panel->ShowScoreCard();
    FinishMove();
    ASSERT_NE(nullptr, panel->GetAvatarClip());
    ASSERT_EQ(1u, panel->GetChildCount());
    panel->ClearTopWindow();
    EXPECT_EQ(nullptr, panel->GetCard());
    EXPECT_EQ(nullptr, panel->GetAvatarClip());
    EXPECT_EQ(0u, panel->GetChildCount());
    // Clearing again, or a second card after the first, is safe.
    panel->ClearTopWindow();
    panel->ShowScoreCard();
    panel->ShowScoreCard();
    EXPECT_EQ(1u, panel->GetChildCount());
}

TEST_F(TopPanelTest, AFloatingTextFadesAndRisesOverItsHundredUpdates) {
    panel->ShowFloatingText(TString("+ 5 sec"));
    ASSERT_EQ(1u, panel->GetFloatingTexts().size());
    const topCorvalo::FloatingText& first = panel->GetFloatingTexts()[0];
    EXPECT_EQ("+ 5 sec", first.sprite->GetText().ToStd());
    EXPECT_FLOAT_EQ(260.0f, first.x);
    EXPECT_FLOAT_EQ(720.0f, first.y);
    EXPECT_FLOAT_EQ(1.0f, first.alpha);
    EXPECT_FLOAT_EQ(1.0f, first.scale);

    for (int i = 0; i < 50; ++i)
        panel->UpdateFloatingTexts();
    // A second text starts half-way through the first one's life.
    panel->ShowFloatingText(TString("+ 3 sec"));
    ASSERT_EQ(2u, panel->GetFloatingTexts().size());
    EXPECT_NEAR(0.5f, panel->GetFloatingTexts()[0].alpha, 1e-4);
    EXPECT_NEAR(707.5f, panel->GetFloatingTexts()[0].y, 1e-3);

    for (int i = 0; i < 49; ++i)
        panel->UpdateFloatingTexts();
    ASSERT_EQ(2u, panel->GetFloatingTexts().size());
    EXPECT_NEAR(0.01f, panel->GetFloatingTexts()[0].alpha, 1e-4);
    EXPECT_NEAR(695.25f, panel->GetFloatingTexts()[0].y, 1e-3);

    // The hundredth update ends the first text; the second lives on.
    panel->UpdateFloatingTexts();
    ASSERT_EQ(1u, panel->GetFloatingTexts().size());
    EXPECT_EQ("+ 3 sec", panel->GetFloatingTexts()[0].sprite->GetText().ToStd());
    EXPECT_NEAR(0.5f, panel->GetFloatingTexts()[0].alpha, 1e-4);
    for (int i = 0; i < 50; ++i)
        panel->UpdateFloatingTexts();
    EXPECT_TRUE(panel->GetFloatingTexts().empty());
}

TEST_F(TopPanelTest, DrawingShowsTheTextsAndTheAvatar) {
    // Nothing to show, nothing drawn.
    Device().ClearDraws();
    ASSERT_TRUE(graphics->BeginDraw(false));
    panel->DrawOverlay();
    graphics->EndDraw(false);
    EXPECT_TRUE(Device().Draws().empty());
    user.avatar = 0;
    panel->ShowScoreCard();
    FinishMove();
    panel->ShowFloatingText(TString("+ 5 sec"));
    ASSERT_TRUE(graphics->BeginDraw(false));
    panel->DrawOverlay();
    graphics->EndDraw(false);
    EXPECT_FALSE(Device().Draws().empty());
}

} // namespace
