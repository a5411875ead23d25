#include "game/board/btmCorvalo.h"

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "game/data/GameIds.h"
#include "game/data/ModeFiles.h"
#include "game/startup/GameWindowTypes.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/display/vlkClip.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "framework/ui/WindowFixture.h"
#include "game/support/FakeLevelServices.h"
#include "game/support/GameDataFixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// 144 x 36; "DoAnim" shows four frames, 60 ms each, once.
const std::string kSpin = std::string(CORVALO_TEST_DATA) + "/animation/spin";

using EventLog = std::vector<std::string>;

// A text child that writes what it is given into the shared log.
class LoggingText : public TText {
public:
    LoggingText(const char* name, EventLog& log) : mLog(log) { SetName(TString(name)); }
    void SetText(const TString& text) override {
        mText = text.ToStd();
        mLog.push_back("text:" + GetName().ToStd() + "=" + mText);
    }
    TString GetText() const override { return TString(mText.c_str()); }
    bool OnMouseExit() override {
        mLog.push_back("hide:" + GetName().ToStd());
        return false;
    }

private:
    EventLog& mLog;
    std::string mText;
};

// A picture or button child: hiding reaches it as a pointer exit.
class LoggingWindow : public TWindow {
public:
    LoggingWindow(const char* name, EventLog& log) : TWindow(TString(name)), mLog(log) {}
    bool OnMouseExit() override {
        mLog.push_back("hide:" + GetName().ToStd());
        return false;
    }

private:
    EventLog& mLog;
};

// The screen's script: statements go into the shared log too.
class LoggingScripts : public FakeScripts {
public:
    explicit LoggingScripts(EventLog& log) : mLog(log) {}
    bool RunString(const TString& statement) override {
        mLog.push_back("run:" + statement.ToStd());
        return FakeScripts::RunString(statement);
    }

private:
    EventLog& mLog;
};

constexpr const char* kTexts[] = {"lblLevelText", "lblLevel", "lblScore",     "lblTotalScore",
                                  "lblGoal",      "txtClock", "txtBestCombo", "lblBestCombo"};
constexpr const char* kShown[] = {"btnNewRow",  "gpxNewRow",        "txtNewRow",  "gpxClock",
                                  "lblGoalBar", "bmpLayoutBarTime", "gpxClassic", "gpxBlitz",
                                  "gpxRome",    "gpxStrategy",      "gpxJoker"};

// The panel made by its type name in a window tree with every child the
// layout gives it ("lblGoalOriented" inside "gpxGoalOriented"), on the
// null graphics back end with the rules' small data set, the pictures and
// avatar clips from a small asset list, its animations on a hand clock,
// and the script calls, text changes and hidings in one log.
class PanelTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        mSavedTuning = gGameTuning;
        mSavedStyleCode = GameStyleCode;
        support::LoadGameDataSet();
        TAnimatedSprite::SetTaskList(&mTasks);
        scripts.SetGame("Classic", "quick", "easy");
        fakes.progress.user = &user;
        mServices = std::make_unique<ScopedLevelServices>(LevelServices{
            &scripts, &fakes.sounds, &fakes.states, &fakes.progress, &fakes.questMap});
        InstallAssets(true);
        ASSERT_TRUE(user.StartClassicLevel(1, 0));
        user.lives = 3;
        user.quota = 20;
    }
    void TearDown() override {
        if (root)
            root->DeleteThis();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        delete gAssetLists;
        gAssetLists = mSavedLists;
        mServices.reset();
        ResetGameData();
        gGameTuning = mSavedTuning;
        GameStyleCode = mSavedStyleCode;
        NullDrawFixture::TearDown();
    }

    // The asset list: the avatar's three moods as three clips of their own.
    void InstallAssets(bool withBars) {
        const std::filesystem::path folder = mFolder.Path();
        std::filesystem::copy_file(kSpin + ".png", folder / "spin.png",
                                   std::filesystem::copy_options::overwrite_existing);
        std::string list = "<assets><fixedAssets>";
        for (const char* name : {"LayoutBar01", "LayoutBar02", "icon_wild", "icon_broom"})
            list += std::string("<image name=\"") + name + "\" path=\"::" + kSpin + ".png\"/>";
        if (withBars)
            for (const char* name : {"Time Bar", "Goal Bar"})
                list += std::string("<image name=\"") + name + "\" path=\"::" + kSpin + ".png\"/>";
        list += "<image name=\"NewRowfx\" path=\"::" + kSpin + ".xml\"/>";
        for (const char* mood : {"stand", "happy", "scare"}) {
            std::filesystem::copy_file(kSpin + ".xml", folder / (std::string(mood) + ".xml"),
                                       std::filesystem::copy_options::overwrite_existing);
            for (const char* who : {"m", "f", "d", "c"})
                list += std::string("<image name=\"") + who + "avatar_" + mood +
                        "\" path=\"::" + (folder / (std::string(mood) + ".xml")).string() + "\"/>";
        }
        list += "</fixedAssets></assets>";
        const auto file = folder / "panelassets.xml";
        std::ofstream(file) << list;
        delete (gAssetLists != mSavedLists ? gAssetLists : nullptr);
        if (!mListsSaved) {
            mSavedLists = gAssetLists;
            mListsSaved = true;
        }
        gAssetLists = new TAssetLists(TString(("::" + file.string()).c_str()));
        gAssetLists->LoadFixedAssets();
    }

    // The panel with its children, after its PostInit with the style.
    void MakePanel(const std::string& styleTable = kStyle) {
        if (root)
            root->DeleteThis();
        log.clear();
        root = new TWindow(TString("root"));
        TWindowCreator creator = nullptr;
        for (const GameWindowType& type : GetGameWindowTypes())
            if (std::strcmp(type.name, "btmCorvalo") == 0)
                creator = type.creator;
        ASSERT_NE(nullptr, creator);
        panel = dynamic_cast<btmCorvalo*>(creator());
        ASSERT_NE(nullptr, panel);
        root->AddChild(panel, false);
        for (const char* name : kTexts)
            panel->AddChild(new LoggingText(name, log), false);
        for (const char* name : kShown)
            panel->AddChild(new LoggingWindow(name, log), false);
        auto* taskPicture = new LoggingWindow("gpxGoalOriented", log);
        taskPicture->AddChild(new LoggingText("lblGoalOriented", log), false);
        panel->AddChild(taskPicture, false);
        panel->GetAnimator()->SetClock(&clock);
        std::unique_ptr<TLuaTable> table = lua.Table(styleTable);
        TWindowStyle style(table.get());
        panel->PostInit(style);
        log.clear();
        scripts.statements.clear();
    }

    TWindow* Child(const char* name) const { return panel->FindChild(TString(name), -1); }
    std::string TextOf(const char* name) const {
        auto* text = dynamic_cast<TText*>(Child(name));
        return text ? text->GetText().ToStd() : "(none)";
    }
    bool Shown(const char* name) const { return Child(name) && Child(name)->IsVisible(); }
    void Remove(const char* name) {
        TWindow* child = Child(name);
        ASSERT_NE(nullptr, child);
        child->GetParent()->RemoveChild(child);
        child->DeleteThis();
    }
    size_t Count(const std::string& event) const {
        return static_cast<size_t>(std::count(log.begin(), log.end(), event));
    }
    // The position of the first such event; the log's size when none.
    size_t IndexOf(const std::string& event) const {
        return static_cast<size_t>(std::find(log.begin(), log.end(), event) - log.begin());
    }
    void At(uint32_t t) {
        clock.SetTime(t);
        mTasks.RunAll(0);
    }
    std::shared_ptr<TAnimatedTexture> Clip(const char* name) {
        return gAssetLists->GetAnimatedTexture(TString(name));
    }
    std::shared_ptr<TAnimatedTexture> AvatarClip() {
        return panel->GetAvatar()->GetAnimatedSprite()->GetAnimatedTexture();
    }

    static inline const std::string kStyle =
        "{ avatar_boy = { x = 12, y = 600 }, avatar_girl = { x = 22, y = 610 },"
        "  avatar_dog = { x = 32, y = 620 }, avatar_cat = { y = 630 }, icon_x = 127, icon_y = 140 "
        "}";

    EventLog log;
    LoggingScripts scripts{log};
    FakeLevelServices fakes;
    dtUserState user;
    TClock clock;
    LuaStyles lua;
    TWindow* root = nullptr;
    btmCorvalo* panel = nullptr;

private:
    TAssetManager mAssets;
    TTaskList mTasks;
    TGameTuning mSavedTuning;
    int32_t mSavedStyleCode = 0;
    TAssetLists* mSavedLists = nullptr;
    bool mListsSaved = false;
    std::unique_ptr<ScopedLevelServices> mServices;
};

TEST_F(PanelTest, IsMadeByItsTypeNameAndIsTheLevelsPanel) {
    MakePanel();
    EXPECT_STREQ("btmCorvalo", panel->GetClassName());
    EXPECT_TRUE(panel->IsKindOf(btmCorvalo::GetCreator()));
    EXPECT_TRUE(panel->IsKindOf(TWindow::GetClassId()));
    EXPECT_EQ(static_cast<BottomPanel*>(panel),
              dynamic_cast<BottomPanel*>(root->FindChild(TString("btmCorvalo"), 1)));
    TWindow* plain = TWindow::GetCreator()();
    EXPECT_FALSE(plain->IsKindOf(btmCorvalo::GetCreator()));
    plain->DeleteThis();
}

TEST_F(PanelTest, PostInitPlacesTheAvatarOfThePlayerStanding) {
    struct Case {
        int avatar;
        const char* prefix;
        float x, y;
    };
    const Case cases[] = {
        {0, "mavatar_", 12, 600}, {1, "favatar_", 22, 610}, {2, "davatar_", 32, 620},
        {3, "cavatar_", 0, 630},  {7, "mavatar_", 12, 600}, {-1, "mavatar_", 12, 600},
    };
    for (const Case& c : cases) {
        user.avatar = c.avatar;
        MakePanel();
        EXPECT_EQ(c.prefix, panel->GetAvatarPrefix().ToStd()) << c.avatar;
        ASSERT_NE(nullptr, panel->GetAvatar());
        EXPECT_EQ(c.x, panel->GetAvatar()->GetX()) << c.avatar;
        EXPECT_EQ(c.y, panel->GetAvatar()->GetY()) << c.avatar;
        EXPECT_EQ(panel->kMoodStand, panel->GetMood());
        EXPECT_EQ(Clip((std::string(c.prefix) + "stand").c_str()), AvatarClip()) << c.avatar;
        EXPECT_EQ(&clock, panel->GetAvatar()->GetAnimatedSprite()->GetClock());
    }
    // The avatar and the spark are drawn; a style without the tables puts the
    // avatar and the task icon at the corner.
    MakePanel("{}");
    EXPECT_EQ(0.0f, panel->GetAvatar()->GetX());
    EXPECT_EQ(0.0f, panel->GetAvatar()->GetY());
    EXPECT_EQ(1.5f, panel->GetSpark()->GetScaleX());
}

TEST_F(PanelTest, AddScoreCarriesWhatTheRunningCountHasNotShownYet) {
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    user.score[kModeClassic][0] = 1000;
    panel->SetupClassic(&user);
    EXPECT_EQ(1000, panel->GetScore());
    EXPECT_EQ("1000", TextOf("lblTotalScore"));

    panel->Animate(5000);
    panel->AddScore(100);
    panel->Animate(5400);
    EXPECT_EQ(1050, panel->GetTotalRunning());
    panel->AddScore(50);
    panel->Animate(5800);
    EXPECT_EQ(1100, panel->GetTotalRunning());
    panel->Animate(6200);
    EXPECT_EQ(1150, panel->GetTotalRunning());
    panel->Animate(9000);
    EXPECT_EQ(1150, panel->GetTotalRunning());

    // The shown total follows at the next refresh, once.
    EXPECT_EQ(1000, panel->GetScore());
    log.clear();
    panel->RefreshCounters();
    panel->RefreshCounters();
    EXPECT_EQ(1150, panel->GetScore());
    EXPECT_EQ((EventLog{"text:lblTotalScore=1150"}), log);
}

TEST_F(PanelTest, TheLevelScoreCountsUpFromWhatItShowed) {
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    panel->SetupClassic(&user);
    panel->Animate(100);
    user.levelScore = 80;
    panel->RefreshCounters();
    panel->Animate(500);
    EXPECT_EQ("40", TextOf("lblScore"));
    user.levelScore = 100;
    panel->RefreshCounters();
    panel->Animate(2000);
    EXPECT_EQ("100", TextOf("lblScore"));
}

TEST_F(PanelTest, ClockTexts) {
    MakePanel();
    const struct {
        int32_t ms;
        const char* text;
    } cases[] = {{1500, "0:01"}, {600000, "10:00"}, {999, "0:00"}, {61999, "1:01"}, {0, "0:00"}};
    for (const auto& c : cases) {
        panel->SetClockText(c.ms);
        EXPECT_EQ(c.text, TextOf("txtClock")) << c.ms;
    }
}

TEST_F(PanelTest, TheClockHoldsFullUntilItFirstRuns) {
    // Quick play on the middle board: the level record names board 1, the
    // clock and the frame come from the board being played.
    ASSERT_TRUE(user.StartBlitzLevel(1, 0));
    user.GetLevelState()->SetDifficulty(2);
    MakePanel();
    panel->SetPlayInfo(kModeBlitz, 1, 0, TString("quick"));
    panel->SetupBlitz(&user);
    EXPECT_EQ(1u, scripts.Count("selectSize(2)"));
    EXPECT_EQ(50000.0f, panel->GetClockTotal());
    EXPECT_TRUE(panel->IsHoldingFullClock());

    panel->UpdateClock(0);
    EXPECT_EQ("0:50", TextOf("txtClock"));
    panel->UpdateClock(0);
    EXPECT_EQ("0:50", TextOf("txtClock"));
    panel->UpdateClock(30000);
    EXPECT_EQ("0:30", TextOf("txtClock"));
    EXPECT_FALSE(panel->IsHoldingFullClock());
    panel->UpdateClock(0);
    EXPECT_EQ("0:00", TextOf("txtClock"));

    // Rome on the hard board: its own clock.
    ASSERT_TRUE(user.StartRomeLevel(1, 0));
    user.GetLevelState()->SetDifficulty(3);
    panel->SetPlayInfo(kModeRome, 2, 0, TString("quick"));
    panel->SetupRome(&user);
    EXPECT_EQ(70000.0f, panel->GetClockTotal());
    EXPECT_EQ(1u, scripts.Count("selectSize(3)"));
    panel->UpdateClock(0);
    EXPECT_EQ("1:10", TextOf("txtClock"));
}

TEST_F(PanelTest, StoreScoreWritesTheShownTotalWhereTheStyleKeepsIt) {
    struct Case {
        const char* style;
        int mode;
        int difficulty;
        int32_t expected;
        // 0: the quest total (which the count started from), -1: nothing.
        int storedMode;
        int storedDifficulty;
    };
    const Case cases[] = {
        {"quick", kModeRome, 2, 777, kModeRome, 2},
        {"quick", kModeClassic, 0, 777, kModeClassic, 0},
        {"quick", kModeStrategy, 1, 777, kModeStrategy, 1},
        {"quick", kModeJoker, 9, 777, kModeJoker, 2},
        {"quest", kModeBlitz, 1, 5 + 777, 0, 0},
        {"quick", 0, 0, 0, -1, 0},
        {"quick", 6, 1, 0, -1, 0},
    };
    MakePanel();
    uint32_t now = 0;
    for (const Case& c : cases) {
        user.score = {};
        user.totalScore = 5;
        panel->SetPlayInfo(kModeClassic, 0, 0, TString(c.style));
        panel->SetupClassic(&user);
        panel->AddScore(777);
        now += 1000;
        panel->Animate(now);
        panel->RefreshCounters();
        panel->SetPlayInfo(c.mode, c.difficulty, 0, TString(c.style));
        EXPECT_EQ(c.expected, panel->StoreScore()) << c.style << " " << c.mode;
        dtUserState::PerMode expected{};
        if (c.storedMode > 0)
            expected[c.storedMode][c.storedDifficulty] = 777;
        EXPECT_EQ(expected, user.score) << c.style << " " << c.mode << " " << c.difficulty;
        EXPECT_EQ(c.storedMode == 0 ? 5 + 777 : 5, user.totalScore) << c.style << " " << c.mode;
    }
}

TEST_F(PanelTest, TheBackgroundComesFromTheQuestStretchAndTheTimeOfDay) {
    struct Case {
        const char* style;
        bool node;
        int level;
        const char* timeOfDay;
        const char* statement;
    };
    const Case cases[] = {
        {"quest", true, 9, "NIGHT", "selectBackground(1, 3)"},
        {"quest", true, 10, "noon", "selectBackground(0, 1)"},
        {"quest", true, 0, "Afternoon", "selectBackground(1, 2)"},
        {"quest", true, 21, "morning", "selectBackground(2, 0)"},
        {"quest", true, 42, "dusk", "selectBackground(3, 0)"},
        {"quest", true, 43, "night", "selectBackground(4, 3)"},
        {"quest", true, 55, "", "selectBackground(4, 0)"},
        {"quest", true, 56, "noon", "selectBackground(0, 1)"},
        {"quest", true, -1, "noon", "selectBackground(0, 1)"},
        {"Quest", false, 9, "noon", "selectBackground(0, 1)"},
        {"quick", true, 9, "night", "selectBackground(0, 3)"},
    };
    MakePanel();
    for (const Case& c : cases) {
        scripts.globals["gGameStyle"] = c.style;
        fakes.questMap.hasCurrentNode = c.node;
        fakes.questMap.nodeLevel = c.level;
        scripts.statements.clear();
        TString word(c.timeOfDay);
        panel->SelectBackground(word);
        EXPECT_EQ((std::vector<std::string>{c.statement}), scripts.statements)
            << c.style << " " << c.level << " " << c.timeOfDay;
        TString lower(c.timeOfDay);
        lower.ToLower();
        EXPECT_EQ(lower, word);
    }
}

TEST_F(PanelTest, MoodsPlayTheirClipAgainAndOthersChangeNothing) {
    MakePanel();
    At(0);
    panel->SetAvatarMood(panel->kMoodHappy);
    At(10);
    EXPECT_EQ(Clip("mavatar_happy"), AvatarClip());
    EXPECT_EQ(panel->kMoodHappy, panel->GetMood());
    for (uint32_t t = 20; t <= 400; t += 20)
        At(t);
    EXPECT_FALSE(panel->GetAvatar()->GetAnimatedSprite()->IsPlaying(0));

    // The same mood again plays the clip again from its start.
    panel->SetAvatarMood(panel->kMoodHappy);
    At(410);
    EXPECT_TRUE(panel->GetAvatar()->GetAnimatedSprite()->IsPlaying(0));
    EXPECT_EQ(0, panel->GetAvatar()->GetAnimatedSprite()->GetCurrentFrame());

    for (int mood : {7, 3, 0, -4}) {
        panel->SetAvatarMood(mood);
        EXPECT_EQ(panel->kMoodHappy, panel->GetMood()) << mood;
        EXPECT_EQ(Clip("mavatar_happy"), AvatarClip()) << mood;
    }
    panel->SetAvatarMood(panel->kMoodScare);
    EXPECT_EQ(Clip("mavatar_scare"), AvatarClip());

    // Hidden at the level's end; a mood shows it again.
    panel->SetAvatarVisible(false);
    EXPECT_FALSE(panel->GetAvatar()->IsVisible());
    panel->SetAvatarMood(panel->kMoodStand);
    EXPECT_TRUE(panel->GetAvatar()->IsVisible());
    EXPECT_EQ(Clip("mavatar_stand"), AvatarClip());
}

// A new level's panel shows the best combo the level starts with, not the
// last level's, before any combo is made.
TEST_F(PanelTest, BestComboShowsTheLevelsOwnFigureFromItsStart) {
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    user.bestCombo = 7;
    panel->SetupClassic(&user);
    EXPECT_EQ("7", TextOf("txtBestCombo"));
    // The next level starts from 0.
    user.bestCombo = 0;
    panel->SetupClassic(&user);
    EXPECT_EQ("0", TextOf("txtBestCombo"));
    log.clear();
    panel->RefreshCounters();
    EXPECT_EQ(EventLog{}, log);
}

TEST_F(PanelTest, RefreshCountersTouchesOnlyWhatChanged) {
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    panel->SetupClassic(&user);
    log.clear();
    panel->RefreshCounters();
    EXPECT_EQ(EventLog{}, log);

    const float before = panel->GetGoalBar()->GetScaleY();
    user.lives = 2;
    panel->RefreshCounters();
    EXPECT_EQ((EventLog{"run:selectLifes(2)"}), log);
    EXPECT_EQ(before, panel->GetGoalBar()->GetScaleY());

    log.clear();
    user.bestCombo = 6;
    panel->UpdateTimeBar(0.5f);
    panel->UpdateTimeBar(0.6f);
    EXPECT_EQ((EventLog{"text:txtBestCombo=6"}), log);

    // Five of twenty cleared: the goal bar a quarter up.
    log.clear();
    user.quota = 15;
    panel->RefreshCounters();
    panel->RefreshCounters();
    EXPECT_EQ((EventLog{"text:lblGoal=15"}), log);
    EXPECT_FLOAT_EQ(0.25f, panel->GetGoalBar()->GetScaleY());
    EXPECT_FLOAT_EQ(127.0f, panel->GetGoalBar()->GetX());
    EXPECT_FLOAT_EQ(523.0f - 36.0f * 0.25f * 0.5f, panel->GetGoalBar()->GetY());
}

TEST_F(PanelTest, TheNewRowButton) {
    MakePanel();
    EXPECT_TRUE(panel->IsNewRowEnabled());
    // The same flag twice: the button is touched once.
    panel->UpdateNewRowEnabled(false);
    panel->UpdateNewRowEnabled(false);
    EXPECT_EQ(1u, Count("hide:btnNewRow"));
    EXPECT_FALSE(Shown("btnNewRow"));
    EXPECT_FALSE(panel->IsNewRowEnabled());

    // Showing the button leaves the flag: the next update with the same
    // flag does nothing.
    panel->ShowNewRowButton(true);
    EXPECT_TRUE(Shown("btnNewRow"));
    EXPECT_FALSE(panel->IsNewRowEnabled());
    panel->UpdateNewRowEnabled(false);
    EXPECT_TRUE(Shown("btnNewRow"));
    panel->UpdateNewRowEnabled(true);
    EXPECT_TRUE(Shown("btnNewRow"));
    EXPECT_TRUE(panel->IsNewRowEnabled());
    panel->SetNewRowEnabled(false);
    EXPECT_FALSE(Shown("btnNewRow"));

    // The clock and the new-row controls take turns.
    panel->ShowClock(true);
    for (const char* name : {"gpxClock", "txtClock"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"btnNewRow", "gpxNewRow", "txtNewRow"})
        EXPECT_FALSE(Shown(name)) << name;
    panel->ShowClock(false);
    for (const char* name : {"gpxClock", "txtClock"})
        EXPECT_FALSE(Shown(name)) << name;
    for (const char* name : {"btnNewRow", "gpxNewRow", "txtNewRow"})
        EXPECT_TRUE(Shown(name)) << name;
}

TEST_F(PanelTest, ModeIconsShowOneAtATime) {
    MakePanel();
    const char* icons[] = {"gpxClassic", "gpxStrategy", "gpxBlitz", "gpxJoker", "gpxRome"};
    for (int mode = 1; mode <= 5; ++mode) {
        panel->ShowModeIcon(mode);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(i + 1 == mode, Shown(icons[i])) << mode << " " << icons[i];
    }
    log.clear();
    for (int mode : {0, 6, -1})
        panel->ShowModeIcon(mode);
    EXPECT_TRUE(Shown("gpxRome"));
    EXPECT_EQ(EventLog{}, log);
}

TEST_F(PanelTest, QuestTasks) {
    struct Case {
        int task;
        bool icon;
    };
    for (const Case& c : {Case{3, true}, Case{4, true}, Case{1, false}, Case{2, false}}) {
        MakePanel();
        scripts.globals["gGameStyle"] = "quest";
        ASSERT_NE(nullptr, panel->GetLayoutBar2());
        panel->SetPlayInfo(kModeBlitz, 0, c.task, TString("quest"));
        ASSERT_TRUE(user.StartBlitzLevel(1, 0));
        panel->SetupBlitz(&user);
        EXPECT_EQ("Goal GUI " + std::to_string(c.task), TextOf("lblGoalOriented")) << c.task;
        EXPECT_TRUE(Shown("lblGoalOriented")) << c.task;
        EXPECT_TRUE(Shown("gpxGoalOriented")) << c.task;
        EXPECT_FALSE(Shown("lblGoalBar")) << c.task;
        EXPECT_EQ(nullptr, panel->GetLayoutBar2()) << c.task;
        // An icon takes the goal count's place; tasks 1 and 2 show the text.
        EXPECT_EQ(c.icon, panel->GetTaskIcon() != nullptr) << c.task;
        EXPECT_EQ(!c.icon, Shown("lblGoal")) << c.task;
        if (c.icon) {
            EXPECT_EQ(127.0f, panel->GetTaskIcon()->GetX());
            EXPECT_EQ(140.0f, panel->GetTaskIcon()->GetY());
        }
        // Past the task the goal bar stays where it was.
        user.quota = 10;
        panel->RefreshCounters();
        EXPECT_EQ("10", TextOf("lblGoal"));
        EXPECT_EQ(0.0f, panel->GetGoalBar()->GetScaleY()) << c.task;
    }
    // Quick play and Rome show the goal bar whatever the task.
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 3, TString("quick"));
    panel->SetupClassic(&user);
    EXPECT_TRUE(Shown("lblGoalBar"));
    EXPECT_FALSE(Shown("lblGoalOriented"));
    EXPECT_FALSE(Shown("gpxGoalOriented"));
    EXPECT_NE(nullptr, panel->GetLayoutBar2());
    EXPECT_EQ(nullptr, panel->GetTaskIcon());
    ASSERT_TRUE(user.StartRomeLevel(1, 0));
    panel->SetPlayInfo(kModeRome, 0, 3, TString("quest"));
    panel->SetupRome(&user);
    EXPECT_TRUE(Shown("lblGoalBar"));
    EXPECT_FALSE(Shown("gpxGoalOriented"));
    EXPECT_EQ(nullptr, panel->GetTaskIcon());
    // Other tasks have no icon.
    EXPECT_FALSE(panel->SetTaskIcon(5));
    EXPECT_TRUE(panel->SetTaskIcon(4));
}

TEST_F(PanelTest, EachSetupInItsOrder) {
    scripts.globals["gGameStyle"] = "quest";
    fakes.questMap.nodeLevel = 4;
    const std::string task = "text:lblGoalOriented=Goal GUI 2";
    const std::string lives = "run:selectLifes(3)";
    const std::string icon = "hide:gpxClassic"; // another mode's icon hidden
    const std::string background = "run:selectBackground(1, 0)";

    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 2, TString("quest"));
    panel->SetupClassic(&user);
    EXPECT_LT(IndexOf(background), IndexOf(lives));
    EXPECT_LT(IndexOf(lives), IndexOf(task));
    EXPECT_LT(IndexOf("hide:gpxBlitz"), IndexOf(background));

    ASSERT_TRUE(user.StartStrategyLevel(1, 0));
    MakePanel();
    panel->SetPlayInfo(kModeStrategy, 0, 2, TString("quest"));
    panel->SetupStrategy(&user);
    EXPECT_LT(IndexOf(background), IndexOf(task));
    EXPECT_LT(IndexOf(task), IndexOf(icon));
    EXPECT_LT(IndexOf(icon), log.size());
    EXPECT_LT(IndexOf(task), IndexOf(lives));

    ASSERT_TRUE(user.StartBlitzLevel(1, 0));
    MakePanel();
    panel->SetPlayInfo(kModeBlitz, 0, 2, TString("quest"));
    panel->SetupBlitz(&user);
    EXPECT_LT(IndexOf(icon), IndexOf(task));
    EXPECT_LT(IndexOf(task), IndexOf(lives));
    EXPECT_LT(IndexOf(lives), log.size());
}

TEST_F(PanelTest, SetupShowsTheLevelAndTheTotals) {
    MakePanel();
    user.level = 7;
    user.levelScore = 55;
    user.totalScore = 4000;
    user.score[kModeClassic][1] = 900;
    panel->SetPlayInfo(kModeClassic, 1, 0, TString("quick"));
    panel->SetupClassic(&user);
    EXPECT_EQ("lblLevel", TextOf("lblLevelText"));
    EXPECT_EQ("7", TextOf("lblLevel"));
    EXPECT_EQ("0", TextOf("lblScore"));
    EXPECT_EQ(0, user.levelScore);
    EXPECT_EQ("900", TextOf("lblTotalScore"));
    EXPECT_EQ("20", TextOf("lblGoal"));
    EXPECT_EQ(1u, scripts.Count("selectSize(1)"));
    EXPECT_EQ(1u, scripts.Count("selectBackground(0, 0)"));
    EXPECT_EQ(0.0f, panel->GetTimeBar()->GetScaleX());
    EXPECT_EQ(283.0f, panel->GetSpark()->GetX());
    EXPECT_EQ(739.0f, panel->GetSpark()->GetY());

    // Entered from the world map: the node's level; the quest total.
    GameStyleCode = 1;
    fakes.questMap.nodeLevel = 11;
    panel->SetPlayInfo(kModeClassic, 1, 0, TString("quest"));
    panel->SetupClassic(&user);
    EXPECT_EQ("12", TextOf("lblLevel"));
    EXPECT_EQ("4000", TextOf("lblTotalScore"));
    EXPECT_EQ(4000, panel->GetScore());
}

TEST_F(PanelTest, JokerShowsItsRoundsAndKeepsTheScoreOfTheQuestLevel) {
    scripts.globals["gGameStyle"] = "quest";
    ASSERT_TRUE(user.StartJokerLevel(2));
    user.level = 2;
    user.roundCounter = 3;
    user.levelScore = 250;
    user.totalScore = 1000;
    GameStyleCode = 1;
    MakePanel();
    panel->SetPlayInfo(kModeJoker, 0, 0, TString("quest"));
    panel->SetupJoker(&user, 2);
    EXPECT_EQ(250, user.levelScore);
    EXPECT_EQ("1250", TextOf("lblTotalScore"));
    EXPECT_EQ("250", TextOf("lblScore"));
    EXPECT_EQ("lblRound", TextOf("lblBestCombo"));
    EXPECT_EQ("3 / 4", TextOf("txtBestCombo"));
    EXPECT_EQ(1u, scripts.Count("selectSize(3)"));
    EXPECT_EQ(1u, scripts.Count("selectBackground(1, 3)"));
    for (const char* name : {"btnNewRow", "gpxNewRow", "txtNewRow", "bmpLayoutBarTime",
                             "lblGoalOriented", "gpxGoalOriented", "gpxClock", "txtClock"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_TRUE(Shown("gpxJoker"));
    EXPECT_FALSE(panel->GetSpark()->IsVisible());

    // The goal bar grows from its foot.
    panel->UpdateGoalBar(0.5f);
    EXPECT_FLOAT_EQ(0.5f, panel->GetGoalBar()->GetScaleY());
    EXPECT_FLOAT_EQ(523.0f - 9.0f, panel->GetGoalBar()->GetY());

    // A level past the Joker table: the round alone, logged.
    user.level = 9;
    panel->SetupJoker(&user, 2);
    EXPECT_EQ("3", TextOf("txtBestCombo"));
    EXPECT_TRUE(Logged("no Joker level 9"));

    // Entered another way, the level score starts again; quick play shows
    // the player's level of the difficulty against the table's.
    GameStyleCode = 2;
    scripts.globals["gGameStyle"] = "quick";
    user.modeLevel[kModeJoker][1] = 5;
    panel->SetPlayInfo(kModeJoker, 1, 0, TString("quick"));
    panel->SetupJoker(&user, 1);
    EXPECT_EQ(0, user.levelScore);
    EXPECT_EQ("5 / 2", TextOf("txtBestCombo"));
    EXPECT_EQ(1u, scripts.Count("selectSize(2)"));

    // Without the round display nothing fails.
    Remove("txtBestCombo");
    Remove("lblBestCombo");
    panel->SetupJoker(&user, 1);
}

TEST_F(PanelTest, TheTimeBarKeepsItsLeftEndAndTheSparkRidesItsRightEnd) {
    MakePanel();
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    panel->SetupClassic(&user);
    // The bar picture is 144 wide: 124 of it fill.
    const struct {
        float fraction;
        float x, scale, sparkX;
    } cases[] = {
        {0.0f, 290.5f, 0.0f, 290.5f},
        {0.5f, 290.5f + 31.0f, (1.0f - 20.0f / 144.0f) * 0.5f, 290.5f + 62.0f},
        {1.0f, 290.5f + 62.0f, 1.0f - 20.0f / 144.0f, 290.5f + 124.0f},
    };
    for (const auto& c : cases) {
        panel->UpdateTimeBar(c.fraction);
        EXPECT_FLOAT_EQ(c.x, panel->GetTimeBar()->GetX()) << c.fraction;
        EXPECT_FLOAT_EQ(739.0f, panel->GetTimeBar()->GetY()) << c.fraction;
        EXPECT_FLOAT_EQ(c.scale, panel->GetTimeBar()->GetScaleX()) << c.fraction;
        EXPECT_FLOAT_EQ(c.sparkX, panel->GetSpark()->GetX()) << c.fraction;
        EXPECT_FLOAT_EQ(740.0f, panel->GetSpark()->GetY()) << c.fraction;
        // Its left end.
        EXPECT_NEAR(290.5f, panel->GetTimeBar()->GetX() - 72.0f * panel->GetTimeBar()->GetScaleX(),
                    1e-3f);
    }
}

TEST_F(PanelTest, WithoutTheBarPicturesNothingIsPlacedAndAGoalOfNoneIsNoFraction) {
    InstallAssets(false);
    MakePanel();
    EXPECT_TRUE(Logged("no picture \"Time Bar\""));
    EXPECT_TRUE(Logged("no picture \"Goal Bar\""));
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    panel->SetupClassic(&user);
    panel->UpdateTimeBar(0.5f);
    panel->UpdateGoalBar(0.5f);
    EXPECT_EQ(0.0f, panel->GetTimeBar()->GetX());
    EXPECT_EQ(0.0f, panel->GetTimeBar()->GetScaleX());
    EXPECT_EQ(0.0f, panel->GetGoalBar()->GetScaleY());
    EXPECT_EQ(283.0f, panel->GetSpark()->GetX());

    // A goal of none.
    InstallAssets(true);
    MakePanel();
    user.quota = 0;
    panel->SetPlayInfo(kModeClassic, 0, 0, TString("quick"));
    panel->SetupClassic(&user);
    user.quota = -2;
    panel->RefreshCounters();
    EXPECT_EQ(0.0f, panel->GetGoalBar()->GetScaleY());
    EXPECT_EQ(523.0f, panel->GetGoalBar()->GetY());
}

TEST_F(PanelTest, MissingChildrenAndAMissingPlayerAreSkipped) {
    MakePanel();
    for (const char* name : {"lblLevel", "lblScore", "lblTotalScore", "lblGoal", "txtClock",
                             "btnNewRow", "gpxClassic", "gpxGoalOriented"})
        Remove(name);
    panel->SetPlayInfo(kModeClassic, 0, 2, TString("quest"));
    panel->SetupClassic(&user);
    panel->SetupClassic(nullptr);
    EXPECT_TRUE(Logged("a set-up without player progress"));
    user.quota = 3;
    user.levelScore = 40;
    panel->UpdateClock(1000);
    panel->UpdateClock(2000);
    panel->ShowClock(true);
    panel->SetNewRowEnabled(true);
    panel->ShowModeIcon(1);
    panel->Animate(5000);
    EXPECT_EQ("lblLevel", TextOf("lblLevelText"));
    EXPECT_TRUE(Logged("no text \"lblGoal\""));
    EXPECT_EQ(1u, CountLogged("no text \"txtClock\""));

    // Before its PostInit and set-up the panel answers too.
    auto* bare = dynamic_cast<btmCorvalo*>(btmCorvalo::Create());
    ASSERT_NE(nullptr, bare);
    bare->UpdateTimeBar(0.5f);
    bare->UpdateClock(100);
    bare->SetAvatarMood(5);
    bare->SetAvatarVisible(false);
    bare->AddScore(10);
    bare->Animate(900);
    EXPECT_EQ(0, bare->StoreScore());
    EXPECT_EQ(4, bare->GetMood());
    bare->DeleteThis();
}

} // namespace
