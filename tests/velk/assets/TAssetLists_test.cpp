#include "velk/assets/TAssetLists.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/source/TOggDataSource.h"
#include "platform/graphics/PngWriter.h"
#include "velk/assets/MenuMusic.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/globals/GameGlobals.h"

#include "framework/script/ScriptFixture.h"
#include "framework/sound/SoundTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char kList[] = R"(<?xml version="1.0"?>
<assets>
  <fixedAssets>
    <image name="Ball" path="tex/ball.png"/>
    <sound name="beep" path="sfx/beep.ogg"/>
    <music name="main_menu" path="sfx/tune.ogg"/>
    <image name="bare" path="tex/bare"/>
    <sound name="lost" path="sfx/none.ogg"/>
    <image name="" path="tex/ball.png"/>
    <image name="nopath"/>
    <video name="clip" path="tex/ball.png"/>
  </fixedAssets>
  <levelAssets>
    <level id="1">
      <image name="Ball" path="tex/other.png"/>
      <image name="board" path="tex/other.png"/>
    </level>
    <level id="2"><sound name="beep" path="sfx/beep.ogg"/></level>
    <level id="1"><image name="late" path="tex/other.png"/></level>
  </levelAssets>
</assets>
)";

// An assets folder with two pictures, a sound and a music file.
class AssetListsTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        RegisterOggDataSourceBuilder();
        namespace fs = std::filesystem;
        fs::create_directories("assets/tex");
        fs::create_directories("assets/sfx");
        std::vector<uint32_t> green(4 * 4, 0xFF00FF00u);
        std::vector<uint32_t> red(2 * 2, 0xFFFF0000u);
        ASSERT_TRUE(platform::WritePngFile("assets/tex/ball.png", green.data(), 4, 4, 4));
        ASSERT_TRUE(platform::WritePngFile("assets/tex/bare.png", green.data(), 4, 4, 4));
        ASSERT_TRUE(platform::WritePngFile("assets/tex/other.png", red.data(), 2, 2, 2));
        fs::copy_file(CORVALO_SOUND_FIXTURES "/tone660_mono22k_short.ogg", "assets/sfx/beep.ogg");
        fs::copy_file(CORVALO_SOUND_FIXTURES "/tone440_mono_1s.ogg", "assets/sfx/tune.ogg");
        Write("assets/assets.xml", kList);
        ClearNameRegistry();
        InitFileSystem();
    }

    // Writes a list of these fixed assets as "late.xml", beside a file by
    // that name that holds no picture or sound, and finds the files again.
    void WriteLateList(const char* brokenFile, const std::string& entries) {
        Write(std::string("assets/") + brokenFile, "neither picture nor sound");
        Write("assets/late.xml", "<assets><fixedAssets>" + entries + "</fixedAssets></assets>");
        ClearNameRegistry();
        InitFileSystem();
    }

    soundtest::NullRig mSound;
};

TEST_F(AssetListsTest, ReadsTheEntriesInFileOrder) {
    TAssetLists lists("assets.xml");
    const auto& fixed = lists.GetFixedEntries();
    ASSERT_EQ(fixed.size(), 5u) << "entries without name or path and other tags are skipped";
    const char* names[] = {"Ball", "beep", "main_menu", "bare", "lost"};
    const int kinds[] = {0, 1, 2, 0, 1};
    for (size_t i = 0; i < fixed.size(); ++i) {
        EXPECT_EQ(fixed[i].name.ToStd(), names[i]);
        EXPECT_EQ(fixed[i].kind, kinds[i]) << names[i];
        EXPECT_EQ(fixed[i].group, 0) << names[i];
    }
    EXPECT_EQ(fixed[3].path.ToStd(), "tex/bare");
    const auto& levels = lists.GetLevelLists();
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].id, 1);
    ASSERT_EQ(levels[0].entries.size(), 2u);
    EXPECT_EQ(levels[0].entries[1].name.ToStd(), "board");
    EXPECT_EQ(levels[0].entries[1].group, 1);
    EXPECT_EQ(levels[1].id, 2);
    // The last list of an id is the one found.
    ASSERT_NE(lists.FindLevelList(1), nullptr);
    EXPECT_EQ(lists.FindLevelList(1)->entries[0].name.ToStd(), "late");
    EXPECT_EQ(lists.FindLevelList(9), nullptr);
    ASSERT_NE(lists.FindFixedEntry("beep"), nullptr);
    EXPECT_EQ(lists.FindFixedEntry("beep")->path.ToStd(), "sfx/beep.ogg");
    // Nothing is loaded before it is asked for.
    EXPECT_FALSE(lists.GetTexture("Ball"));
}

TEST_F(AssetListsTest, LoadFixedAssets_SuffixesAndPathsWithoutExtension) {
    TAssetLists lists("assets.xml");
    size_t mark = Mark();
    lists.LoadFixedAssets();
    struct Case {
        const char* name;
        const char* path; // "" when it did not load
    } cases[] = {
        {"Ball", "tex/ball.png"},
        {"beep", "sfx/beep.ogg?group=1001"},
        {"main_menu", "sfx/tune.ogg?group=1000"},
        {"bare", "tex/bare.png"},
        {"lost", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lists.IsLoaded(c.name, 0), *c.path != 0) << c.name;
        EXPECT_EQ(lists.GetLoadedPath(c.name, 0).ToStd(), c.path) << c.name;
    }
    EXPECT_EQ(lists.GetTexture("Ball"), TTexture::Get("tex/ball.png"));
    ASSERT_TRUE(lists.GetTexture("bare")) << "a path without extension works by its short name";
    EXPECT_EQ(lists.GetTexture("bare")->GetWidth(), 4u);
    ASSERT_TRUE(lists.GetSound("beep"));
    EXPECT_EQ(lists.GetSound("beep")->GetData()->mGroup, 1001);
    ASSERT_TRUE(lists.GetSound("main_menu"));
    EXPECT_EQ(lists.GetSound("main_menu")->GetData()->mGroup, 1000);
    EXPECT_FALSE(lists.GetSound("lost"));
    EXPECT_FALSE(lists.GetTexture("nothing"));
    EXPECT_NE(LogSince(mark).find("TAssetLists: could not load \"lost\" from sfx/none.ogg"),
              std::string::npos)
        << LogSince(mark);
}

// A fixed picture is found at start-up and decoded by its first lookup; one
// whose file does not decode is then logged and found no more, as if it
// had failed at start-up.
TEST_F(AssetListsTest, LoadFixedAssets_DecodesAPictureAtItsFirstLookup) {
    WriteLateList("tex/broken.png", R"(
      <image name="Ball" path="tex/ball.png"/>
      <image name="broken" path="tex/broken.png"/>
      <image name="gone" path="tex/gone.png"/>)");
    TAssetLists lists("late.xml");
    const size_t mark = Mark();
    lists.LoadFixedAssets();
    const auto decoded = [](const char* file) {
        return GetAssetManager()->GetAsset(MakeTextureKey(file, false, false, false)) != nullptr;
    };
    EXPECT_FALSE(decoded("tex/ball.png")) << "nothing is decoded before it is asked for";
    EXPECT_FALSE(decoded("tex/broken.png"));
    EXPECT_TRUE(lists.IsLoaded("Ball", 0));
    EXPECT_TRUE(lists.IsLoaded("broken", 0));
    EXPECT_FALSE(lists.IsLoaded("gone", 0)) << "a missing file is left out at once";
    EXPECT_NE(LogSince(mark).find("could not load \"gone\""), std::string::npos);
    EXPECT_EQ(LogSince(mark).find("could not load \"broken\""), std::string::npos);

    const auto ball = lists.GetTexture("Ball");
    ASSERT_TRUE(ball);
    EXPECT_EQ(ball->GetWidth(), 4u);
    EXPECT_TRUE(decoded("tex/ball.png"));
    EXPECT_EQ(lists.GetTexture("Ball"), ball) << "decoded once and kept";

    EXPECT_FALSE(lists.GetTexture("broken"));
    EXPECT_NE(LogSince(mark).find("could not load \"broken\" from tex/broken.png"),
              std::string::npos)
        << LogSince(mark);
    EXPECT_FALSE(lists.IsLoaded("broken", 0));
    EXPECT_FALSE(lists.GetTexture("broken"));
}

// A level's list that names a fixed picture decodes it ahead of the board,
// once, where every lookup finds it.
TEST_F(AssetListsTest, ALevelListDecodesTheFixedPicturesItNames) {
    TAssetLists lists("assets.xml");
    lists.LoadFixedAssets();
    const auto decoded = [](const char* file) {
        return GetAssetManager()->GetAsset(MakeTextureKey(file, false, false, false)) != nullptr;
    };
    ASSERT_FALSE(decoded("tex/ball.png"));
    for (const TAssetListEntry& entry : lists.GetLevelLists()[0].entries)
        lists.LoadAsset(entry);
    EXPECT_TRUE(decoded("tex/ball.png")) << "decoded by the level's list";
    const auto ball = lists.GetTexture("Ball");
    ASSERT_TRUE(ball);
    EXPECT_EQ(ball->GetWidth(), 4u) << "the fixed picture, not the level entry's file";
    // Loaded again (the board after the loading screen): the same picture.
    for (const TAssetListEntry& entry : lists.GetLevelLists()[0].entries)
        lists.LoadAsset(entry);
    EXPECT_EQ(lists.GetTexture("Ball"), ball);
    EXPECT_TRUE(lists.IsLoaded("board", 1)) << "a name of the level's own loads into its group";
}

// Fixed sounds wait for their first lookup too: a file that does not
// decode says so only when the sound is asked for.
TEST_F(AssetListsTest, LoadFixedAssets_OpensASoundAtItsFirstLookup) {
    WriteLateList("sfx/broken.ogg", R"(
      <sound name="beep" path="sfx/beep.ogg"/>
      <music name="tune" path="sfx/tune"/>
      <sound name="broken" path="sfx/broken.ogg"/>
      <sound name="gone" path="sfx/gone.ogg"/>)");
    TAssetLists lists("late.xml");
    const size_t mark = Mark();
    lists.LoadFixedAssets();
    EXPECT_TRUE(lists.IsLoaded("broken", 0));
    EXPECT_FALSE(lists.IsLoaded("gone", 0)) << "a missing file is left out at once";
    EXPECT_NE(LogSince(mark).find("could not load \"gone\""), std::string::npos);
    EXPECT_EQ(LogSince(mark).find("broken"), std::string::npos) << "nothing decoded yet";

    const auto beep = lists.GetSound("beep");
    ASSERT_TRUE(beep);
    EXPECT_EQ(beep->GetData()->mGroup, 1001);
    EXPECT_EQ(lists.GetSound("beep"), beep) << "opened once and kept";
    ASSERT_TRUE(lists.GetSound("tune"));
    EXPECT_EQ(lists.GetSound("tune")->GetData()->mGroup, 1000);
    EXPECT_EQ(lists.GetLoadedPath("tune", 0).ToStd(), "sfx/tune.ogg?group=1000");

    EXPECT_FALSE(lists.GetSound("broken"));
    EXPECT_NE(LogSince(mark).find("could not load \"broken\" from sfx/broken.ogg"),
              std::string::npos)
        << LogSince(mark);
    EXPECT_FALSE(lists.IsLoaded("broken", 0));
}

TEST_F(AssetListsTest, LoadsANameOnceAndLooksUpFixedBeforeLevel) {
    TAssetLists lists("assets.xml");
    lists.LoadFixedAssets();
    const auto fixedBall = lists.GetTexture("Ball");
    // The same short name again, with another path: the first stays.
    lists.LoadAsset({0, 0, "Ball", "tex/other.png"});
    EXPECT_EQ(lists.GetLoadedPath("Ball", 0).ToStd(), "tex/ball.png");
    EXPECT_EQ(lists.GetTexture("Ball"), fixedBall);

    for (const TAssetListEntry& entry : lists.GetLevelLists()[0].entries)
        lists.LoadAsset(entry);
    EXPECT_FALSE(lists.IsLoaded("Ball", 1)) << "a fixed name is not loaded again for a level";
    EXPECT_EQ(lists.GetTexture("Ball"), fixedBall) << "the fixed group comes first";
    ASSERT_TRUE(lists.GetTexture("board"));
    EXPECT_EQ(lists.GetTexture("board")->GetWidth(), 2u);
    lists.ClearLevelAssets();
    EXPECT_FALSE(lists.IsLoaded("board", 1));
    EXPECT_FALSE(lists.GetTexture("board"));
    EXPECT_EQ(lists.GetTexture("Ball"), fixedBall);
}

TEST_F(AssetListsTest, MissingFileOrRootLeavesTheListsEmpty) {
    Write("assets/other.xml", "<things><fixedAssets/></things>");
    for (const char* file : {"none.xml", "other.xml"}) {
        size_t mark = Mark();
        TAssetLists lists(file);
        lists.LoadFixedAssets();
        EXPECT_TRUE(lists.GetFixedEntries().empty()) << file;
        EXPECT_TRUE(lists.GetLevelLists().empty()) << file;
        EXPECT_FALSE(lists.GetSound("beep")) << file;
        EXPECT_NE(LogSince(mark).find("TAssetLists:"), std::string::npos) << file;
    }
}

TEST_F(AssetListsTest, PlaySoundAsset) {
    TAssetLists lists("assets.xml");
    lists.LoadFixedAssets();
    EXPECT_FALSE(PlaySoundAsset(nullptr, false));
    auto beep = lists.GetSound("beep");
    EXPECT_TRUE(PlaySoundAsset(beep, false));
    EXPECT_EQ(beep->GetInstanceCount(), 1u) << "the instance plays on after it is let go";
    beep->StopAll();
}

TEST_F(AssetListsTest, MenuMusic_NeverHoldsTwoInstances) {
    gAssetLists = new TAssetLists("assets.xml");
    gAssetLists->LoadFixedAssets();
    std::shared_ptr<TSound> music;
    {
        MainMenuMusicHolder holder;
        music = GetMainMenuMusic();
        ASSERT_TRUE(music);
        EXPECT_EQ(music, gAssetLists->GetSound("main_menu"));
        EXPECT_EQ(music->GetInstanceCount(), 0u) << "nothing plays yet";
        PlayMainMenuMusic();
        PlayMainMenuMusic();
        EXPECT_EQ(music->GetInstanceCount(), 1u);
        EXPECT_TRUE(IsMainMenuMusicPlaying());
        for (int round = 0; round < 2; ++round) {
            StopMainMenuMusic();
            EXPECT_FALSE(IsMainMenuMusicPlaying());
            EXPECT_EQ(music->GetInstanceCount(), 1u) << "stopping pauses";
            PlayMainMenuMusic();
            EXPECT_EQ(music->GetInstanceCount(), 1u) << "round " << round;
        }
    }
    EXPECT_EQ(music->GetInstanceCount(), 0u) << "the holder stops every instance";
    EXPECT_FALSE(GetMainMenuMusic());
    // Without music nothing happens.
    PlayMainMenuMusic();
    StopMainMenuMusic();
    EXPECT_FALSE(IsMainMenuMusicPlaying());
    DestroyGameGlobals();
    EXPECT_EQ(gAssetLists, nullptr);
}

TEST_F(AssetListsTest, GameAssetMap_VolumeKindsReachTheirGroups) {
    TGameAssetMap map;
    struct Case {
        int kind;
        std::vector<int> groups;
    } cases[] = {
        {0, {0}}, {1, {0, 1001}}, {2, {1000}}, {3, {1003}}, {5, {1005}}, {-1, {999}},
    };
    float volume = 0.05f;
    for (const Case& c : cases) {
        volume += 0.1f;
        map.SetGroupVolume(c.kind, volume);
        for (int group : c.groups)
            EXPECT_FLOAT_EQ(mSound.manager.GetVolume(group), volume) << c.kind << " " << group;
    }
    EXPECT_FLOAT_EQ(mSound.manager.GetVolume(1002), 1.0f) << "no kind reaches group 1002";
    map.SetMasterVolume(0.5f);
    EXPECT_FLOAT_EQ(mSound.manager.GetMasterVolume(), 0.5f);
    map.SetMusicVolume(0.25f);
    EXPECT_FLOAT_EQ(map.GetMusicVolume(), 0.25f);
    EXPECT_FALSE(map.IsSoundSuppressed("beep"));
    gGameAssetMap = new TGameAssetMap;
    DestroyGameAssetMap();
    EXPECT_EQ(gGameAssetMap, nullptr);
    DestroyGameAssetMap();
}

} // namespace
