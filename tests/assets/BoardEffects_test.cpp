// The board screen's effect data as the built assets hold it: every scene,
// particle system, path, clip, medal and label that the board asks for is
// listed, loads, ends where the board waits for it, and has the objects,
// placement and looping that the board relies on.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "velk/assets/TAssetLists.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/cutscene/vlkTextCS.h"
#include "velk/game/FxMap.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkParticleFx.h"

#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/draw/NullDrawFixture.h"

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kAssets = fs::path(CORVALO_BINARY_DIR) / "assets";

class BoardEffectsTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        if (!fs::exists(kAssets / "gpx/board/ice.png"))
            GTEST_SKIP() << "the board's pictures are not built";
        ClearNameRegistry();
        SetAssetsFolder(TString(kAssets.string().c_str()));
        InitFileSystem();
        TAnimatedSprite::SetTaskList(&mTasks);
        ClearFxMap();
        LoadFxMap("fx.xml");
        mLists = std::make_unique<TAssetLists>("assets.xml");
        ASSERT_TRUE(mStrings.LoadFile("loc/en/strings.xml"));
    }
    void TearDown() override {
        mLists.reset();
        ClearFxMap();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        ClearNameRegistry();
        SetAssetsFolder(TString("assets"));
        NullDrawFixture::TearDown();
    }

    // The scene of an effect name, or of a fixed path; loaded and played.
    std::unique_ptr<vlkCutscene> Scene(const std::string& name) {
        const TString path = name.find('/') == std::string::npos ? GetFxPath(TString(name.c_str()))
                                                                 : TString(name.c_str());
        EXPECT_FALSE(path.IsEmpty()) << name << " is not in the effect list";
        auto scene = std::make_unique<vlkCutscene>();
        EXPECT_TRUE(scene->Load(path)) << name << " (" << path.CStr() << ") does not load";
        scene->Play();
        return scene;
    }
    // Plays on in 16 ms frames until the scene ends; its length, or -1.
    static int PlayToEnd(vlkCutscene& scene) {
        for (int ms = 0; ms <= 20000; ms += 16) {
            if (scene.IsFinished())
                return ms;
            scene.Update(16);
        }
        return -1;
    }
    bool Exists(const TString& path) const { return FileExists(path.CStr()); }

    TAssetManager mAssetManager;
    TTaskList mTasks;
    std::unique_ptr<TAssetLists> mLists;
    TStringTable mStrings;
};

TEST_F(BoardEffectsTest, PopUpTemplatesHaveTheirSpriteObjectAndEnd) {
    const struct {
        const char* name;
        bool letters; // a sprite "sprite" for letter pictures, else a text "sprite"
    } kTemplates[] = {
        {"Go", true},
        {"Combo", true},
        {"AlmostThere", true},
        {"anim/anim_gridclear.xml", true},
        {"GoText", false},
        {"ComboText", false},
        {"AlmostThereText", false},
        {"anim/anim_gridcleartext.xml", false},
    };
    for (const auto& templ : kTemplates) {
        SCOPED_TRACE(templ.name);
        auto scene = Scene(templ.name);
        if (templ.letters) {
            EXPECT_NE(scene->FindSpriteObject("sprite"), nullptr);
        } else {
            EXPECT_NE(scene->FindTextObject("sprite"), nullptr);
        }
        // A sequence plays its next part only when this one ends; the
        // almost-there and board-clear pop-ups hold the others while they
        // play, so they must end soon.
        const int length = PlayToEnd(*scene);
        EXPECT_GT(length, 300);
        EXPECT_LT(length, 2500);
    }
}

TEST_F(BoardEffectsTest, HudScenesEnd) {
    for (const char* name : {"Freeze", "Unfreeze", "HUDLogo"}) {
        SCOPED_TRACE(name);
        auto scene = Scene(name);
        EXPECT_FALSE(scene->GetObjects().empty());
        const int length = PlayToEnd(*scene);
        EXPECT_GT(length, 0);
        EXPECT_LT(length, 3000);
    }
}

TEST_F(BoardEffectsTest, AchievementPanelsComeOnScreenOneBelowTheOtherAndLeave) {
    constexpr float kPanelWidth = 320.0f, kPanelHeight = 80.0f;
    float lastTop = -1000.0f;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        auto scene = Scene("AchievePa" + std::to_string(i));
        vlkSpriteCS* panel = scene->FindSpriteObject("panel");
        ASSERT_NE(panel, nullptr);
        scene->Update(0);
        EXPECT_GE(panel->GetPosition().x, 1024.0f) << "starts off the screen";
        bool shown = false;
        float top = 0.0f;
        while (!scene->IsFinished()) {
            scene->Update(16);
            const TVec3 at = panel->GetPosition();
            if (at.x >= 0.0f && at.x + kPanelWidth <= 1024.0f) {
                shown = true;
                top = at.y;
                EXPECT_GE(at.y, 0.0f);
                EXPECT_LE(at.y + kPanelHeight, 768.0f);
            }
        }
        EXPECT_TRUE(shown) << "never wholly on the screen";
        EXPECT_GE(top, lastTop + kPanelHeight) << "overlaps the panel above";
        lastTop = top;
        EXPECT_GE(panel->GetPosition().x, 1024.0f) << "ends off the screen";
    }
}

TEST_F(BoardEffectsTest, ParticlesLoadAndTheBurstsEnd) {
    const struct {
        const char* name;
        bool ends;
    } kSystems[] = {
        {"Flower", false}, {"RayOfLight", true}, {"LogoCorvalo", true}, {"ScoreXplot", true}};
    for (const auto& system : kSystems) {
        SCOPED_TRACE(system.name);
        TParticleSystem particles;
        ASSERT_TRUE(particles.LoadParticleSystem(GetFxPath(TString(system.name))));
        ASSERT_GE(particles.GetEmitterCount(), 1);
        particles.Restart();
        particles.Update(16);
        EXPECT_TRUE(particles.IsAlive());
        for (int ms = 0; ms < 10000 && particles.IsAlive(); ms += 16)
            particles.Update(16);
        EXPECT_EQ(!particles.IsAlive(), system.ends);
    }
    // The first emitter of "Flower" takes the theme's sprite.
    for (const char* theme : {"Mountain", "Forest", "City", "Beach", "Space"}) {
        const TString path = GetFxPath(TString(theme));
        EXPECT_TRUE(Exists(path + TString(".png"))) << theme;
    }
}

TEST_F(BoardEffectsTest, ScoreTrailEndsOnTheBoard) {
    vlkParticleFx trail;
    ASSERT_TRUE(trail.LoadParticlePath(GetFxPath(TString("Score"))));
    trail.Start();
    for (int ms = 0; ms < 5000 && trail.GetState() != vlkParticleFx::kStatePathEnded; ms += 16)
        trail.Update(16);
    ASSERT_EQ(trail.GetState(), vlkParticleFx::kStatePathEnded);
    // Where the trail ends the score explosion bursts.
    const float x = trail.GetLastPosition().x, y = trail.GetLastPosition().y;
    // The board lies right of the HUD column and above the bottom bar.
    EXPECT_GT(x, 250.0f);
    EXPECT_LT(x, 1010.0f);
    EXPECT_GT(y, 100.0f);
    EXPECT_LT(y, 700.0f);
}

TEST_F(BoardEffectsTest, HudClipsLoopOrEndAndArePlacedAsTheBoardPlacesThem) {
    const struct {
        const char* name;
        bool loops;
        bool topLeft;
    } kClips[] = {{"Circle", true, false}, {"Frame", true, true}, {"HeartL", false, true}};
    for (const auto& clip : kClips) {
        SCOPED_TRACE(clip.name);
        const TAssetListEntry* entry = mLists->FindFixedEntry(TString(clip.name));
        ASSERT_NE(entry, nullptr);
        auto texture = std::make_shared<TAnimatedTexture>(entry->path);
        ASSERT_TRUE(texture->LoadAnimation(TString(), TString()));
        const TAnimationData& data = texture->GetAnimation();
        ASSERT_GT(data.GetFrameCount(), 1);
        const std::string script = data.mScript.ToStd();
        EXPECT_NE(script.find("function DoAnim"), std::string::npos);
        EXPECT_EQ(script.find("while true") != std::string::npos, clip.loops);
        for (const TAnimationFrame& frame : data.mFrames) {
            EXPECT_EQ(frame.mRegX, clip.topLeft ? 0 : frame.mW / 2);
            EXPECT_EQ(frame.mRegY, clip.topLeft ? 0 : frame.mH / 2);
        }
    }
}

TEST_F(BoardEffectsTest, EveryAchievementHasItsMedalAndText) {
    for (int i = 1; i <= 20; ++i) {
        const TString label = TString::Format("Achieve Game %d", i);
        SCOPED_TRACE(label.CStr());
        const TAssetListEntry* entry = mLists->FindFixedEntry(label);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(Exists(entry->path));
        ASSERT_TRUE(mStrings.FindStored(label));
        const std::string text = mStrings.GetString(label).ToStd();
        // Two short lines beside the medal.
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 40u);
    }
}

TEST_F(BoardEffectsTest, EveryCharacterOfThePopUpsHasALetter) {
    std::string shown = "0123456789x ";
    for (const char* label :
         {"Anim_GridClearBonus1", "Anim_GridClearBonus2", "Anim_Combo", "Anim_ChainedCombo",
          "Anim_SuperCombo", "Anim_Good", "Anim_AlmostThere", "Anim_Go", "Mode", "Classic Upcase",
          "Strategy Upcase", "Blitz Upcase", "Joker Upcase", "Rome Upcase", "Anim_Round"})
        shown += mStrings.GetString(TString(label)).ToStd();
    for (size_t at = 0; at < shown.size();) {
        size_t length = 1;
        const TString file = vlkCutsceneText::LetterFile(
            TString("gpx/letters/"), shown.c_str() + at, shown.size() - at, length);
        if (shown[at] != '_') {
            EXPECT_TRUE(Exists(file)) << "no picture for \"" << shown.substr(at, length) << "\"";
        }
        at += length;
    }
}

} // namespace
