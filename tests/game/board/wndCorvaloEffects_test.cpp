#include "game/board/wndCorvalo.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TFlatFileMap.h"
#include "framework/graphics/TTexture.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "game/gmCorvalo.h"
#include "game/random/GameRandom.h"
#include "game/state/dtUserState.h"
#include "platform/graphics/PngWriter.h"
#include "velk/assets/TAssetLists.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/display/vlkClip.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkParticleFx.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "framework/sound/SoundTestSupport.h"
#include "game/support/BoardScreenMaker.h"
#include "game/support/FakeLevelServices.h"
#include "velk/cutscene/CutsceneTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using cutscenetest::Action;
using cutscenetest::Keyframe;

namespace {

const char kSpin[] = CORVALO_TEST_DATA "/animation/spin";

std::string Scene(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<Cutscene name=\"test\" fps=\"30\">" + body + "</Cutscene>\n";
}

std::string Spline(const std::vector<std::pair<int, int>>& points) {
    std::string xml = "<spline>";
    for (const auto& [x, y] : points)
        xml += "<point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" z=\"0\"/>";
    return xml + "</spline>";
}

// A label without a font: it keeps the text it is given.
class RecordingText : public TText {
public:
    void SetText(const TString& value) override { text = value.ToStd(); }
    std::string text;
};

// The board screen under a root window with the recording services, its
// effects made from small files written for the test: a 300 ms text
// template, a 400 ms achievement panel whose "panel" sprite slides from
// (100, -200) to (100, 250), 200 ms scenes for freeze, logo and curtains,
// four red dots for every particle effect, a score trail of two 100 ms
// segments ending at (700, 20), the five theme textures of sizes 2 to 6,
// and the spinning four-frame clip for "Circle", "Frame" and "HeartL".
// The frame step is driven by hand, 16 ms at a time.
class BoardEffectsTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        mSavedTuning = gGameTuning;
        gGameTuning.animation.spritetext = 0;
        WriteFiles();
        mPreviousFolder = fs::current_path();
        fs::current_path(mFiles.Path());
        mSavedAssetsFolder = GetAssetsFolder();
        SetAssetsFolder(TString("assets"));
        ClearNameRegistry();
        ClearPackList();
        InitFileSystem();
        LoadFxMap(TString("fx.xml"));
        mSavedLists = gAssetLists;
        gAssetLists = new TAssetLists(
            TString(("::" + (mFiles.Path() / "assets" / "assets.xml").string()).c_str()));
        gAssetLists->LoadFixedAssets();

        fakes.progress.user = &user;
        fakes.scripts.SetGame("Classic", "quick", "easy");
        fakes.states.values["pause"] = "0";
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());
        mMaker = gmCorvalo::SetLevelMaker([](int, gmCorvalo&) { return nullptr; });
        root = new TWindow(TString("root"));
        root->SetSize(1024, 768);
        board = support::MakeBoardScreenByTypeName();
        ASSERT_NE(nullptr, board);
        board->SetSize(1024, 768);
        root->AddChild(board, false);
        BuildChildren();
    }
    void TearDown() override {
        // The board's log lines say which effect did not load.
        if (HasFailure())
            std::cout << Log();
        if (root)
            root->DeleteThis();
        gmCorvalo::SetLevelMaker(std::move(mMaker));
        mServices.reset();
        delete gAssetLists;
        gAssetLists = mSavedLists;
        ClearFxMap();
        fs::current_path(mPreviousFolder);
        SetAssetsFolder(mSavedAssetsFolder);
        ClearNameRegistry();
        ClearPackList();
        gGameTuning = mSavedTuning;
        NullDrawFixture::TearDown();
    }

    // Under the assets folder, where the game's names are looked for.
    void Write(const std::string& name, const std::string& bytes) {
        mFiles.Write(fs::path("assets") / name, bytes);
    }
    void WriteFiles() {
        fs::create_directories(mFiles.Path() / "assets");
        const std::string text =
            Scene(R"(<object name="sprite" type="text" resource="none"/>)" +
                  Keyframe(0, Action("sprite", "visible", "set")) + Keyframe(300));
        Write("text.xml", text);
        Write("anim/anim_gridcleartext.xml", text);
        Write("panel.xml",
              Scene(R"(<object name="panel" type="sprite"/>)" +
                    Keyframe(0, Action("panel", "position", "set", {{"x", "100"}, {"y", "-200"}}) +
                                    Action("panel", "position", "to",
                                           {{"x", "100"}, {"y", "250"}, {"time", "200"}})) +
                    Keyframe(400)));
        Write("scene.xml", Scene(Keyframe(0) + Keyframe(200)));
        Write("anim/curtainsclose.xml", Scene(Keyframe(0) + Keyframe(200)));
        fs::copy_file(fs::path(CORVALO_TEST_DATA) / "particles" / "dot.xml",
                      mFiles.Path() / "assets" / "dot.xml");
        Write("score.xml", "<?xml version=\"1.0\"?>\n<path name=\"score\" time=\"100\"><parsys "
                           "file=\"dot.xml\"/>" +
                               Spline({{0, 700}, {100, 600}, {300, 500}, {500, 400}}) +
                               Spline({{500, 400}, {600, 300}, {650, 100}, {700, 20}}) + "</path>");
        Write("trail.xml", "<?xml version=\"1.0\"?>\n<path name=\"trail\" time=\"100\"><parsys "
                           "file=\"dot.xml\"/>" +
                               Spline({{0, 0}, {0, 0}, {0, 0}, {0, 0}}) + "</path>");
        Write("anim/p_snow.xml", "<?xml version=\"1.0\"?>\n<path name=\"snow\" "
                                 "time=\"500\"><parsys file=\"../dot.xml\"/>" +
                                     Spline({{0, 0}, {0, -50}, {0, -100}, {0, -150}}) + "</path>");
        const char* themes[] = {"mountain", "forest", "city", "beach", "space"};
        for (int i = 0; i < 5; ++i) {
            const int side = i + 2;
            const std::vector<uint32_t> pixels(static_cast<size_t>(side * side), 0xFF80C040u);
            fs::create_directories(mFiles.Path() / "assets" / "tex");
            const std::string path =
                (mFiles.Path() / "assets" / "tex" / themes[i]).string() + ".png";
            ASSERT_TRUE(platform::WritePngFile(path, pixels.data(), side, side, side));
        }
        std::string fx = "<?xml version=\"1.0\"?>\n<FXFiles>";
        for (const char* name :
             {"Go", "GoText", "Combo", "ComboText", "AlmostThere", "AlmostThereText"})
            fx += std::string("<fx name=\"") + name + "\" path=\"text.xml\"/>";
        for (int i = 0; i < 5; ++i)
            fx += "<fx name=\"AchievePa" + std::to_string(i) + "\" path=\"panel.xml\"/>";
        for (const char* name : {"Freeze", "Unfreeze", "HUDLogo"})
            fx += std::string("<fx name=\"") + name + "\" path=\"scene.xml\"/>";
        for (const char* name :
             {"Tilescompleted", "Flower", "ScoreXplot", "RayOfLight", "LogoCorvalo"})
            fx += std::string("<fx name=\"") + name + "\" path=\"dot.xml\"/>";
        fx += "<fx name=\"Score\" path=\"score.xml\"/><fx name=\"Trail\" path=\"trail.xml\"/>";
        for (int i = 0; i < 5; ++i) {
            std::string name = themes[i];
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
            fx += "<fx name=\"" + name + "\" path=\"tex/" + themes[i] + "\"/>";
        }
        Write("fx.xml", fx + "</FXFiles>");

        std::string list = "<?xml version=\"1.0\"?>\n<assets><fixedAssets>";
        for (const char* clip : mClips)
            list += std::string("<image name=\"") + clip + "\" path=\"::" + kSpin + ".xml\"/>";
        list += std::string("<image name=\"Achieve Game 1\" path=\"::") + kSpin + ".png\"/>";
        Write("assets.xml", list + "</fixedAssets></assets>");
    }

    TWindow* AddChild(TWindow* parent, TWindow* child, const char* name, int x, int y, int w,
                      int h) {
        child->SetName(TString(name));
        child->SetPosition(x, y);
        child->SetSize(w, h);
        parent->AddChild(child, false);
        return child;
    }
    TWindow* AddChild(TWindow* parent, const char* name, int x, int y, int w, int h) {
        return AddChild(parent, new TWindow(TString(name)), name, x, y, w, h);
    }
    void BuildChildren() {
        frames[0] = AddChild(board, "bmpFrame7x8", 100, 50, 400, 320);
        frames[1] = AddChild(board, "bmpFrame9x10", 80, 40, 440, 360);
        frames[2] = AddChild(board, "bmpFrame11x12", 60, 20, 500, 400);
        ShowFrames(false, false, false);
        for (int i = 0; i < 3; ++i)
            hearts[i] = AddChild(board, ("bmpHeart" + std::to_string(i + 1)).c_str(), 700 + 40 * i,
                                 10, 32, 32);
        for (int i = 0; i < 5; ++i) {
            panels[i] =
                AddChild(board, ("bmpAchievePanel" + std::to_string(i)).c_str(), 0, 0, 300, 100);
            icons[i] =
                static_cast<TImage*>(AddChild(panels[i], new TImage(), "bmpIcon", 10, 10, 64, 64));
            labels[i] = static_cast<RecordingText*>(
                AddChild(panels[i], new RecordingText(), "lblText", 80, 10, 200, 40));
            SetVisible(panels[i], false);
        }
        bottom = AddChild(board, "btmCorvalo", 10, 600, 1004, 168);
    }
    static void SetVisible(TWindow* window, bool visible) {
        window->SetFlags(visible ? window->GetFlags() | kWindowVisible
                                 : window->GetFlags() & ~kWindowVisible);
    }
    void ShowFrames(bool a, bool b, bool c) {
        SetVisible(frames[0], a);
        SetVisible(frames[1], b);
        SetVisible(frames[2], c);
    }

    // A board made anew, as the files now stand.
    void RemakeBoard() {
        root->DeleteThis();
        root = new TWindow(TString("root"));
        board = dynamic_cast<wndCorvalo*>(wndCorvalo::Create());
        root->AddChild(board, false);
        BuildChildren();
    }

    // One step and one picture, as the window manager makes them (the
    // particles find out that they have ended while drawing).
    void Frame() {
        mNow += 16;
        board->Step(mNow);
        ASSERT_TRUE(graphics->BeginDraw(false));
        board->Draw();
        board->DrawOverlay();
        graphics->EndDraw(false);
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    // Frames until the condition holds; false when it does not within
    // the limit.
    bool FramesUntil(const std::function<bool()>& done, int limit = 400) {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            Frame();
        }
        return done();
    }

    std::vector<std::string> Played() const { return fakes.sounds.played; }

    const char* mClips[3] = {"Circle", "Frame", "HeartL"};
    FakeLevelServices fakes;
    dtUserState user;
    TWindow* root = nullptr;
    wndCorvalo* board = nullptr;
    TWindow* frames[3] = {};
    TWindow* hearts[3] = {};
    TWindow* panels[5] = {};
    TImage* icons[5] = {};
    RecordingText* labels[5] = {};
    TWindow* bottom = nullptr;
    uint32_t mNow = 0;
    ScopedGameRandom mRandom{11};
    support::TempFolder mFiles;

private:
    TGameTuning mSavedTuning;
    fs::path mPreviousFolder;
    TString mSavedAssetsFolder;
    TAssetLists* mSavedLists = nullptr;
    std::unique_ptr<ScopedLevelServices> mServices;
    gmCorvalo::LevelMaker mMaker;
};

TEST_F(BoardEffectsTest, CountdownSoundsFollowItsParts) {
    board->StartCountdown(TString("3_2_1_GO"));
    EXPECT_TRUE(board->IsAwaitingStart());
    ASSERT_TRUE(FramesUntil([&] { return !board->IsAwaitingStart(); }));
    const std::vector<std::string> expected = {"gameplay_song loop", "popup_countdown", // the start
                                               "popup_countdown",    "popup_countdown",
                                               "popup_countdown", // parts 2, 3 and 4
                                               "gameplay_intro",  // past the third
                                               "popup_start"};
    EXPECT_EQ(expected, Played());
    Frames(20);
    EXPECT_EQ(expected, Played()) << "nothing more once it has finished";
}

TEST_F(BoardEffectsTest, CountdownWithoutItsTemplateIsLoggedAndTheStartSoundStillPlays) {
    ClearFxMap();
    board->StartCountdown(TString("3_2_1_GO"));
    EXPECT_EQ(nullptr, board->GetCountdown());
    EXPECT_TRUE(Logged("the effect list has no \"GoText\""));
    Frames(5);
    EXPECT_EQ(1, fakes.sounds.Count("popup_countdown"));
}

TEST_F(BoardEffectsTest, ComboWaitsForTheGridClearToFinish) {
    // Alone, the combo plays its 300 ms in about twenty frames.
    board->ShowCombo(4);
    ASSERT_NE(nullptr, board->GetComboText());
    EXPECT_EQ(TString("Anim_Combo4"), board->GetComboText()->GetText());
    int alone = 0;
    while (!board->GetComboText()->IsDone() && alone < 100) {
        Frame();
        ++alone;
    }
    ASSERT_LT(alone, 100);

    board->ShowGridClear();
    board->ShowCombo(5);
    board->ShowChainedCombo(6);
    ASSERT_NE(nullptr, board->GetGridClear(0));
    ASSERT_NE(nullptr, board->GetGridClear(1));
    int held = 0;
    while (board->IsGridClearPlaying() && held < 400) {
        EXPECT_FALSE(board->GetComboText()->IsDone());
        EXPECT_EQ(0u, board->GetChainedComboText()->GetCurrentIndex());
        Frame();
        ++held;
    }
    ASSERT_LT(held, 400);
    EXPECT_GT(held, alone) << "the grid clear's two parts take longer than the combo";
    EXPECT_TRUE(board->GetGridClear(0)->IsFinished());
    EXPECT_TRUE(board->GetGridClear(1)->IsFinished());
    EXPECT_FALSE(board->GetComboText()->IsDone()) << "not advanced while the grid clear played";
    Frames(alone + 1);
    EXPECT_TRUE(board->GetComboText()->IsDone());
}

TEST_F(BoardEffectsTest, AlmostThereHoldsTheOtherPopUpsUntilItEnds) {
    board->ShowAlmostThere();
    board->ShowGridClear();
    board->ShowSuperCombo(3);
    ASSERT_NE(nullptr, board->GetAlmostThereText());
    ASSERT_NE(nullptr, board->GetSuperComboText());
    // "Anim_AlmostThere" has two parts: well over 20 frames.
    Frames(25);
    EXPECT_TRUE(board->IsAlmostTherePlaying());
    EXPECT_EQ(0u, board->GetGridClear(0)->GetCurrentIndex());
    EXPECT_EQ(0u, board->GetSuperComboText()->GetCurrentIndex());
    EXPECT_TRUE(board->IsGridClearPlaying());

    board->StopAlmostThere();
    EXPECT_FALSE(board->IsAlmostTherePlaying()) << "stopped, it holds nothing";
    ASSERT_TRUE(FramesUntil([&] { return !board->IsGridClearPlaying(); }));
    ASSERT_TRUE(FramesUntil([&] { return board->GetSuperComboText()->IsFinished(); }));
}

TEST_F(BoardEffectsTest, FiveAchievementPanelsAtMostEachWithItsIconAndText) {
    for (int i = 1; i <= 6; ++i)
        board->ShowAchievement(TString(("Achieve Game " + std::to_string(i)).c_str()));
    EXPECT_EQ(5, board->GetPanelCount());
    for (int i = 0; i < 5; ++i) {
        // Without a string table the label is its own text.
        EXPECT_EQ("Achieve Game " + std::to_string(i + 1), labels[i]->text);
        ASSERT_NE(nullptr, board->GetPanelCutscene(i));
        EXPECT_FALSE(board->GetPanelCutscene(i)->IsEnabled()) << "waits for the celebration";
        EXPECT_FALSE(panels[i]->IsVisible());
    }
    ASSERT_NE(nullptr, icons[0]->GetBitmap());
    EXPECT_EQ(36u, icons[0]->GetBitmap()->GetHeight()) << "the picture of that label";
    EXPECT_EQ(nullptr, icons[1]->GetBitmap()) << "no picture for that label";
    EXPECT_TRUE(Logged("no picture \"Achieve Game 2\""));

    // A new level frees the slots; the first is taken again.
    board->ResetAchievementPanels();
    board->ShowAchievement(TString("Achieve Game 1"));
    EXPECT_EQ(1, board->GetPanelCount());
}

TEST_F(BoardEffectsTest, PanelsFollowTheirSpriteAndHideWhenTheirSceneEnds) {
    board->ShowAchievement(TString("Achieve Game 1"));
    board->ShowAchievement(TString("Achieve Game 2"));
    fakes.scripts.SetGame("Blitz", "quick", "easy");
    board->StartCelebration();
    EXPECT_TRUE(panels[0]->IsVisible());
    EXPECT_TRUE(panels[1]->IsVisible());
    EXPECT_FALSE(panels[2]->IsVisible()) << "only taken slots";
    Frames(3);
    EXPECT_EQ(100, panels[0]->GetRect().left);
    EXPECT_LT(panels[0]->GetRect().top, 0) << "still sliding in";
    // At half speed the 200 ms slide takes 25 frames.
    Frames(27);
    EXPECT_EQ(250, panels[0]->GetRect().top);
    ASSERT_TRUE(FramesUntil([&] { return !panels[0]->IsVisible(); }));
    EXPECT_FALSE(panels[1]->IsVisible());
    EXPECT_FALSE(board->GetPanelCutscene(0)->IsEnabled());
    EXPECT_FALSE(board->GetPanelCutscene(0)->IsVisible());
}

TEST_F(BoardEffectsTest, ANewLevelPutsAwayThePanelsStillShowing) {
    board->ShowAchievement(TString("Achieve Game 1"));
    fakes.scripts.SetGame("Blitz", "quick", "easy");
    board->StartCelebration();
    Frames(3);
    ASSERT_TRUE(panels[0]->IsVisible());
    board->ResetAchievementPanels();
    EXPECT_FALSE(panels[0]->IsVisible());
    EXPECT_FALSE(board->GetPanelCutscene(0)->IsEnabled());
    // Nothing is left to wait for.
    board->CloseBoard();
    EXPECT_TRUE(board->IsClosing());
    EXPECT_FALSE(board->IsClosePending());
}

TEST_F(BoardEffectsTest, ScoreBurstsAtOnceOrWhenTheTrailArrives) {
    struct Case {
        const char* mode;
        bool trail;
    };
    for (const Case c : {Case{"Blitz", false}, Case{"Classic", true}, Case{"Strategy", true},
                         Case{"Joker", false}, Case{"Rome", false}}) {
        SCOPED_TRACE(c.mode);
        fakes.scripts.SetGame(c.mode, "quick", "easy");
        board->StartCelebration();
        ASSERT_NE(nullptr, board->GetScoreTrail());
        if (!c.trail) {
            EXPECT_TRUE(board->TakeScoreBurst());
            EXPECT_FALSE(board->TakeScoreBurst()) << "taken once";
            EXPECT_FALSE(board->AreFireworksStopped());
            EXPECT_TRUE(board->GetFirework(0)->IsActive()) << "the first firework goes up";
        } else {
            EXPECT_FALSE(board->TakeScoreBurst());
            EXPECT_TRUE(board->GetScoreTrail()->IsActive());
            EXPECT_TRUE(board->IsCelebrating());
            int frames = 0;
            bool burst = false;
            while (!burst && frames < 100) {
                Frame();
                ++frames;
                burst = board->TakeScoreBurst();
            }
            EXPECT_TRUE(burst);
            // Two segments of 100 ms.
            EXPECT_GE(frames, 12);
            EXPECT_FALSE(board->TakeScoreBurst());
            Frames(3);
            EXPECT_FALSE(board->TakeScoreBurst()) << "one burst per trail";
            ASSERT_NE(nullptr, board->GetScoreExplosion());
            EXPECT_TRUE(board->GetScoreExplosion()->IsVisible());
            EXPECT_FALSE(board->AreFireworksStopped());
        }
        ASSERT_TRUE(FramesUntil([&] { return !board->IsCelebrating(); }, 2000));
        board->SkipCelebration();
    }
}

TEST_F(BoardEffectsTest, ClassicWithoutATrailBurstsAtOnce) {
    ClearFxMap();
    RemakeBoard();
    fakes.scripts.SetGame("Classic", "quick", "easy");
    board->StartCelebration();
    EXPECT_TRUE(board->TakeScoreBurst());
    EXPECT_TRUE(Logged("the effect list has no \"Score\""));
}

TEST_F(BoardEffectsTest, AClickStopsTheFireworksOnlyOnceThePanelsAreGone) {
    board->ShowAchievement(TString("Achieve Game 1"));
    fakes.scripts.SetGame("Blitz", "quick", "easy");
    board->StartCelebration();
    Frames(2);
    board->SkipCelebration();
    EXPECT_FALSE(board->AreFireworksStopped()) << "a panel still plays";
    EXPECT_TRUE(board->GetFirework(0)->IsActive());
    ASSERT_TRUE(FramesUntil([&] { return !panels[0]->IsVisible(); }));
    board->SkipCelebration();
    EXPECT_TRUE(board->AreFireworksStopped());
    for (int i = 0; i < wndCorvalo::kFireworks; ++i) {
        const vlkTrailBurstFx* firework = board->GetFirework(i);
        EXPECT_TRUE(!firework->IsActive() || firework->IsDone()) << i;
    }
}

TEST_F(BoardEffectsTest, WhilePausedOnlyPanelsAndClosingCurtainsMove) {
    board->ShowAchievement(TString("Achieve Game 1"));
    fakes.scripts.SetGame("Blitz", "quick", "easy");
    board->StartCelebration();
    board->ShowCombo(3);
    board->StartCountdown(TString("3_2_1"));
    fakes.states.values["pause"] = "1";
    ASSERT_TRUE(FramesUntil([&] { return !panels[0]->IsVisible(); }));
    EXPECT_FALSE(board->GetComboText()->IsDone());
    EXPECT_EQ(0u, board->GetCountdown()->GetCurrentIndex());

    board->CloseBoard();
    EXPECT_TRUE(board->IsClosing());
    ASSERT_TRUE(FramesUntil([&] { return fakes.scripts.Count("closeCorvalo()") == 1; }));
    EXPECT_FALSE(board->GetComboText()->IsDone());

    fakes.states.values["pause"] = "0";
    ASSERT_TRUE(FramesUntil([&] { return board->GetComboText()->IsDone(); }));
}

TEST_F(BoardEffectsTest, ClosingWhileAPanelPlaysWaitsForTheLastPanel) {
    board->ShowAchievement(TString("Achieve Game 1"));
    board->ShowAchievement(TString("Achieve Game 2"));
    fakes.scripts.SetGame("Blitz", "quick", "easy");
    board->StartCelebration();
    Frames(2);
    board->CloseBoard();
    EXPECT_TRUE(board->IsClosePending());
    EXPECT_FALSE(board->IsClosing());
    board->CloseBoard();
    EXPECT_FALSE(board->IsClosing());
    ASSERT_TRUE(FramesUntil([&] { return board->IsClosing(); }));
    EXPECT_FALSE(board->IsClosePending());
    EXPECT_FALSE(panels[0]->IsVisible());
    EXPECT_FALSE(panels[1]->IsVisible());
    EXPECT_EQ(0, fakes.scripts.Count("closeCorvalo()"));
    ASSERT_TRUE(FramesUntil([&] { return fakes.scripts.Count("closeCorvalo()") == 1; }));
}

TEST_F(BoardEffectsTest, TheWarningFrameSitsOnTheVisibleBoardFrame) {
    struct Case {
        bool shown[3];
        float x, y, scale;
    };
    // Bottom panel at (10, 600); the clip is 32 pixels high.
    const Case cases[] = {
        {{false, false, false}, 100 + 10 + 6, 50 + 600 + 3, 320.0f / 32 * 0.97f},
        {{true, false, false}, 100 + 10 - 4, 50 + 600 - 2, 320.0f / 32 * 0.97f},
        {{true, true, false}, 80 + 10 - 2, 40 + 600 - 3, 360.0f / 32 * 0.98f},
        {{false, true, true}, 60 + 10 - 12, 20 + 600 - 15, 400.0f / 32 * 1.01f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shown[0]) + std::to_string(c.shown[1]) +
                     std::to_string(c.shown[2]));
        ShowFrames(c.shown[0], c.shown[1], c.shown[2]);
        board->SetBoardWarning(true);
        const vlkClip* clip = board->GetWarningClip();
        ASSERT_NE(nullptr, clip);
        EXPECT_TRUE(clip->IsVisible());
        EXPECT_FLOAT_EQ(c.x, clip->GetX());
        EXPECT_FLOAT_EQ(c.y, clip->GetY());
        EXPECT_FLOAT_EQ(c.scale, clip->GetScaleY());
        board->SetBoardWarning(false);
        EXPECT_FALSE(clip->IsVisible());
    }
    EXPECT_EQ(4, fakes.sounds.Count("warning loop"));
}

TEST_F(BoardEffectsTest, ABoardClosedDuringAScareStopsItsMusicAndItsWarning) {
    board->StartCountdown(TString("3_2_1_GO"));
    board->SetBoardWarning(true);
    ASSERT_EQ(1, fakes.sounds.Count("warning loop"));
    const auto stopsOf = [&](const char* name) {
        return std::count(fakes.sounds.stopped.begin(), fakes.sounds.stopped.end(), name);
    };
    const auto warningStops = stopsOf("warning");
    const auto musicStops = stopsOf("gameplay_song");
    root->DeleteThis();
    root = nullptr;
    EXPECT_EQ(warningStops + 1, stopsOf("warning"));
    EXPECT_EQ(musicStops + 1, stopsOf("gameplay_song"));
}

TEST_F(BoardEffectsTest, TheWarningFrameIsNotPlacedWithoutItsPictureOrPanel) {
    board->RemoveChild(bottom);
    bottom->DeleteThis();
    board->SetBoardWarning(true);
    ASSERT_NE(nullptr, board->GetWarningClip());
    EXPECT_FALSE(board->GetWarningClip()->IsVisible());
    EXPECT_TRUE(Logged("it is not shown"));
    EXPECT_EQ(1, fakes.sounds.Count("warning loop"));

    // No "Frame" animation in the lists: no clip at all.
    delete gAssetLists;
    gAssetLists = new TAssetLists(TString("::/nonexistent/assets.xml"));
    RemakeBoard();
    board->SetBoardWarning(true);
    EXPECT_EQ(nullptr, board->GetWarningClip());
    EXPECT_TRUE(Logged("no animation \"Frame\""));
    board->ShowCircle(true);
    board->ShowLives(1);
    EXPECT_EQ(nullptr, board->GetCircleClip());
    EXPECT_EQ(nullptr, board->GetHeartLossClip());
    EXPECT_FALSE(hearts[1]->IsVisible());
}

TEST_F(BoardEffectsTest, ALostLifeHidesTheHeartsAboveAndPlaysOnTheLostOne) {
    struct Case {
        int lives;
        bool shown[3];
        int clipAt; // heart index, -1 none
    };
    const Case cases[] = {
        {3, {true, true, true}, -1},
        {2, {true, true, false}, 2},
        {0, {false, false, false}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lives);
        for (TWindow* heart : hearts)
            SetVisible(heart, true);
        board->ShowLives(c.lives);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.shown[i], hearts[i]->IsVisible()) << "heart " << i + 1;
        const vlkClip* clip = board->GetHeartLossClip();
        if (c.clipAt < 0) {
            EXPECT_EQ(nullptr, clip);
            continue;
        }
        ASSERT_NE(nullptr, clip);
        EXPECT_FLOAT_EQ(static_cast<float>(700 + 40 * c.clipAt), clip->GetX());
        EXPECT_FLOAT_EQ(10.0f, clip->GetY());
        EXPECT_TRUE(clip->IsVisible());
    }
}

TEST_F(BoardEffectsTest, TheAmbientThemeFollowsTheLevelOrTheQuestNode) {
    struct Case {
        const char* style;
        int level;
        bool node;
        int side; // the texture's side: Mountain 2 .. Space 6
    };
    const Case cases[] = {
        {"quick", 1, true, 2},   {"quick", 21, true, 3}, {"quick", 41, true, 4},
        {"quick", 101, true, 2}, {"quest", 10, true, 3}, {"quest", 9, true, 2},
        {"quest", 56, true, 2},  // past the map: as it was
        {"quest", 43, false, 2}, // no node: as it was
        {"quest", 43, true, 6},  {"quest", 32, true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.style) + " " + std::to_string(c.level));
        fakes.scripts.globals["gGameStyle"] = c.style;
        fakes.questMap.hasCurrentNode = c.node;
        // In quest play the node's level counts, not the player's.
        fakes.questMap.nodeLevel = c.level;
        user.level = std::string(c.style) == "quest" ? 1 : c.level;
        board->ResetBackground();
        const TParticleSystem* ambient = board->GetAmbient();
        ASSERT_NE(nullptr, ambient);
        EXPECT_TRUE(ambient->IsActive());
        ASSERT_NE(nullptr, ambient->GetEmitter(0)->GetTexture());
        EXPECT_EQ(static_cast<uint32_t>(c.side), ambient->GetEmitter(0)->GetTexture()->GetWidth());
    }
}

TEST_F(BoardEffectsTest, FreezeBringsSnowAndTheIceAndANewLevelPutsThemAway) {
    board->StartFreeze();
    for (int i = 0; i < wndCorvalo::kSnow; ++i) {
        ASSERT_NE(nullptr, board->GetSnow(i));
        EXPECT_TRUE(board->GetSnow(i)->IsActive()) << i;
        EXPECT_TRUE(board->GetSnow(i)->IsVisible()) << i;
    }
    ASSERT_NE(nullptr, board->GetFreeze());
    EXPECT_TRUE(board->GetFreeze()->IsEnabled());
    EXPECT_TRUE(board->GetFreeze()->IsVisible());
    EXPECT_FLOAT_EQ(137.0f, board->GetFreeze()->GetOffsetX());
    EXPECT_FLOAT_EQ(707.0f, board->GetFreeze()->GetOffsetY());
    ASSERT_NE(nullptr, board->GetUnfreeze());
    EXPECT_FALSE(board->GetUnfreeze()->IsVisible());

    board->EndFreeze();
    EXPECT_FALSE(board->GetFreeze()->IsVisible());
    EXPECT_TRUE(board->GetUnfreeze()->IsVisible());
    EXPECT_TRUE(board->GetUnfreeze()->IsEnabled());

    board->ResetBackground();
    for (int i = 0; i < wndCorvalo::kSnow; ++i)
        EXPECT_FALSE(board->GetSnow(i)->IsVisible()) << i;
    EXPECT_FALSE(board->GetFreeze()->IsEnabled());
    EXPECT_FALSE(board->GetUnfreeze()->IsEnabled());
    EXPECT_FALSE(board->GetUnfreeze()->IsVisible());
}

TEST_F(BoardEffectsTest, ACombosLogoFlashEndsWithItsScene) {
    board->ShowCombo(2);
    ASSERT_NE(nullptr, board->GetLogoFlash());
    ASSERT_NE(nullptr, board->GetRayOfLight());
    EXPECT_TRUE(board->GetRayOfLight()->IsVisible());
    EXPECT_TRUE(board->GetLogoParticles()->IsVisible());
    ASSERT_TRUE(FramesUntil([&] { return !board->GetRayOfLight()->IsVisible(); }));
    EXPECT_FALSE(board->GetLogoParticles()->IsVisible());
    EXPECT_FALSE(board->GetRayOfLight()->IsActive());
}

TEST_F(BoardEffectsTest, TheCircleAndTheTilesCompletedBurst) {
    board->ShowCircle(true);
    ASSERT_NE(nullptr, board->GetCircleClip());
    EXPECT_TRUE(board->GetCircleClip()->IsVisible());
    EXPECT_FLOAT_EQ(122.0f, board->GetCircleClip()->GetX());
    EXPECT_FLOAT_EQ(1.5f, board->GetCircleClip()->GetScaleX());
    board->ShowCircle(false);
    EXPECT_FALSE(board->GetCircleClip()->IsVisible());

    board->ShowTilesCompleted();
    ASSERT_NE(nullptr, board->GetTilesCompleted());
    EXPECT_TRUE(board->GetTilesCompleted()->IsActive());
}

TEST_F(BoardEffectsTest, EveryPopUpDrawsWithoutItsFilesAndLogsEachOnce) {
    ClearFxMap();
    fs::remove(mFiles.Path() / "assets" / "anim" / "anim_gridcleartext.xml");
    for (int round = 0; round < 2; ++round) {
        board->ShowGridClear();
        board->ShowCombo(2);
        board->ShowChainedCombo(2);
        board->ShowSuperCombo(2);
        board->ShowGood();
        board->ShowAlmostThere();
        board->StopAlmostThere();
        board->ShowAchievement(TString("Achieve Game 1"));
        board->StartFreeze();
        board->EndFreeze();
        board->ShowTilesCompleted();
        board->ResetBackground();
        fakes.scripts.SetGame("Blitz", "quick", "easy");
        board->StartCelebration();
        Frames(3);
    }
    EXPECT_EQ(nullptr, board->GetGridClear(0));
    EXPECT_EQ(nullptr, board->GetGoodText());
    EXPECT_EQ(nullptr, board->GetAmbient());
    EXPECT_EQ(1u, CountLogged("the effect list has no \"ComboText\""));
    EXPECT_EQ(1u, CountLogged("the effect list has no \"Flower\""));
    EXPECT_EQ(1u, CountLogged("anim_gridcleartext.xml\" does not load"));
}

} // namespace

// The board's looping sounds on the real output (SDL's disk driver writes
// the mix to a file as it plays): three level starts, each with a scare and
// a lost life. The music and the warning are stopped by the names that
// played them (the asset lists' names, not file names), so each level
// starts one music loop at the same loudness, nothing clips, and nothing
// plays on after the last stop.
TEST_F(BoardEffectsTest, LoopingSoundsStopByTheirNamesAndNeverPileUp) {
    RegisterOggDataSourceBuilder();
    fs::create_directories(mFiles.Path() / "assets" / "music");
    fs::create_directories(mFiles.Path() / "assets" / "sfx");
    fs::copy_file(soundtest::Fixture("tone1000_stereo_3s.ogg"),
                  mFiles.Path() / "assets" / "music" / "loop_a.ogg");
    fs::copy_file(soundtest::Fixture("tone440_mono_1s.ogg"),
                  mFiles.Path() / "assets" / "sfx" / "alarm.ogg");
    Write("sounds.xml", "<?xml version=\"1.0\"?>\n<assets><fixedAssets>"
                        "<music name=\"gameplay_song\" path=\"music/loop_a.ogg\"/>"
                        "<sound name=\"warning\" path=\"sfx/alarm.ogg\"/>"
                        "</fixedAssets></assets>");
    // The new files are found once the assets folder is read again.
    ClearNameRegistry();
    InitFileSystem();
    support::TempFolder output("corvalo-board-disk-");
    const std::string file = (output.Path() / "out.raw").string();
    soundtest::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    soundtest::ScopedEnv path("SDL_DISKAUDIOFILE", file.c_str());
    TSoundManager manager;
    ASSERT_TRUE(manager.Init());
    delete gAssetLists;
    gAssetLists = new TAssetLists(
        TString(("::" + (mFiles.Path() / "assets" / "sounds.xml").string()).c_str()));
    gAssetLists->LoadFixedAssets();
    const std::shared_ptr<TSound> song = gAssetLists->GetSound(TString("gameplay_song"));
    const std::shared_ptr<TSound> warning = gAssetLists->GetSound(TString("warning"));
    ASSERT_TRUE(song && warning);
    LevelServices real;
    real.sounds = &GetDefaultGameSounds();
    ScopedLevelServices useRealSounds(real);

    // 44100 Hz stereo, 16 bits.
    constexpr uintmax_t kBytesPerSecond = 44100 * 4;
    auto written = [&] {
        std::error_code error;
        const uintmax_t size = fs::file_size(file, error);
        return error ? uintmax_t{0} : size;
    };
    // Waits until the output has grown by that many bytes (the device plays
    // in real time; the limit only stops a hung device) and gives them.
    auto next = [&](uintmax_t bytes) {
        const uintmax_t from = written();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (written() < from + bytes && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string all = soundtest::ReadBytes(file);
        std::vector<int16_t> samples;
        if (all.size() >= from + bytes) {
            samples.resize(static_cast<size_t>(bytes / 2));
            std::memcpy(samples.data(), all.data() + from, samples.size() * 2);
        }
        return samples;
    };
    auto rms = [](const std::vector<int16_t>& samples) {
        double sum = 0.0;
        for (int16_t s : samples)
            sum += static_cast<double>(s) * s;
        return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
    };
    int peak = 0;
    std::vector<double> levels;
    for (int level = 0; level < 3; ++level) {
        SCOPED_TRACE("level " + std::to_string(level + 1));
        board->StartCountdown(TString("3_2_1_GO"));
        EXPECT_EQ(song->GetInstanceCount(), 1u);
        next(kBytesPerSecond / 4); // what the device held before the start
        const std::vector<int16_t> music = next(kBytesPerSecond / 2);
        ASSERT_FALSE(music.empty()) << "the disk driver wrote too little";
        levels.push_back(rms(music));
        for (int16_t s : music)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        // A scare, told twice, plays one warning loop.
        board->SetBoardWarning(true);
        board->SetBoardWarning(true);
        EXPECT_EQ(warning->GetInstanceCount(), 1u);
        // The life is lost: the music and the warning stop.
        board->StopGameplayMusic();
        board->SetBoardWarning(false);
        EXPECT_EQ(song->GetInstanceCount(), 0u);
        EXPECT_EQ(warning->GetInstanceCount(), 0u);
    }
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_GT(levels[0], 1000.0) << "the music is heard";
    for (double later : {levels[1], levels[2]})
        EXPECT_NEAR(later, levels[0], levels[0] * 0.1) << "one music loop at a time";
    EXPECT_LT(peak, 32767) << "no sample at full scale";
    // Nothing plays on once everything was stopped.
    next(kBytesPerSecond / 4);
    const std::vector<int16_t> after = next(kBytesPerSecond / 4);
    ASSERT_FALSE(after.empty());
    EXPECT_LT(rms(after), 1.0);
    EXPECT_FALSE(Logged("No valid sound file"));
}
