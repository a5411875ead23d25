#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSoundCS.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/source/TOggDataSource.h"
#include "velk/assets/TAssetLists.h"
#include "velk/globals/GameGlobals.h"

#include "CutsceneTestSupport.h"
#include "framework/script/ScriptFixture.h"
#include "framework/sound/SoundTestSupport.h"

#include <filesystem>

using namespace cutscenetest;

namespace {

// An asset list naming one sound, on the null audio device.
class SoundCSTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        RegisterOggDataSourceBuilder();
        std::filesystem::create_directories("assets/sfx");
        std::filesystem::copy_file(CORVALO_SOUND_FIXTURES "/tone440_mono_1s.ogg",
                                   "assets/sfx/chime.ogg");
        Write("assets/assets.xml", "<assets><fixedAssets><sound name=\"chime\" "
                                   "path=\"sfx/chime.ogg\"/></fixedAssets></assets>");
        ClearNameRegistry();
        InitFileSystem();
        mLists = std::make_unique<TAssetLists>("assets.xml");
        mLists->LoadFixedAssets();
        gAssetLists = mLists.get();
        ASSERT_TRUE(mSound.initialised);
        ASSERT_TRUE(gAssetLists->GetSound("chime"));
    }
    void TearDown() override {
        gAssetLists = nullptr;
        mLists.reset();
        ScriptFixture::TearDown();
    }
    size_t Playing() { return gAssetLists->GetSound("chime")->GetInstanceCount(); }

    soundtest::NullRig mSound;
    std::unique_ptr<TAssetLists> mLists;
};

TEST_F(SoundCSTest, PlayTwiceStopsBoth) {
    vlkSoundCS sound(nullptr);
    vlkObjectDef def{"bell", "sound", "chime", ""};
    ASSERT_TRUE(sound.Init(&def));
    vlkAction play;
    play.property = "sound";
    play.function = "play";
    EXPECT_TRUE(sound.SetAction(&play));
    EXPECT_TRUE(sound.SetAction(&play));
    EXPECT_EQ(Playing(), 2u);
    EXPECT_TRUE(sound.IsPlaying());
    vlkAction stop = play;
    stop.function = "stop";
    EXPECT_TRUE(sound.SetAction(&stop));
    EXPECT_EQ(Playing(), 0u);
    EXPECT_FALSE(sound.IsPlaying());
    vlkAction other = play;
    other.function = "pause";
    EXPECT_FALSE(sound.SetAction(&other));
    other.property = "volume";
    other.function = "play";
    EXPECT_FALSE(sound.SetAction(&other));
    EXPECT_FALSE(sound.HitTest(0, 0));
}

TEST_F(SoundCSTest, DeletingTheCutsceneStopsALoopingSound) {
    {
        vlkCutscene scene;
        ASSERT_TRUE(scene.Load(
            WriteScene(mFolder, "loop.xml",
                       R"(<object name="bell" type="sound" resource="chime"/>)" +
                           Keyframe(0, Action("bell", "sound", "play", {{"loop", "true"}})) +
                           Keyframe(100000))));
        scene.Play();
        scene.Update(10);
        EXPECT_EQ(Playing(), 1u);
    }
    EXPECT_EQ(Playing(), 0u);
}

TEST_F(SoundCSTest, UnlistedSoundIsLoggedAndNoListsPlayNothing) {
    vlkSoundCS sound(nullptr);
    vlkObjectDef def{"bell", "sound", "gong", ""};
    sound.Init(&def);
    vlkAction play;
    play.property = "sound";
    play.function = "play";
    const size_t mark = Mark();
    EXPECT_TRUE(sound.SetAction(&play));
    EXPECT_NE(LogSince(mark).find("no sound \"gong\""), std::string::npos);

    gAssetLists = nullptr;
    vlkSoundCS silent(nullptr);
    vlkObjectDef chime{"bell", "sound", "chime", ""};
    silent.Init(&chime);
    EXPECT_TRUE(silent.SetAction(&play));
    EXPECT_TRUE(silent.IsPlaying());
    EXPECT_EQ(mLists->GetSound("chime")->GetInstanceCount(), 0u);
}

} // namespace
