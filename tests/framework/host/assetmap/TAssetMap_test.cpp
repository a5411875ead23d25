#include "framework/host/assetmap/TAssetMap.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/mesh/TModel.h"
#include "framework/script/host/TScriptCode.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/source/TOggDataSource.h"
#include "platform/graphics/PngWriter.h"

#include "framework/script/ScriptFixture.h"
#include "framework/sound/SoundTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// An assets folder holding one file of every kind (and one of none).
class AssetMapTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        RegisterOggDataSourceBuilder();
        namespace fs = std::filesystem;
        fs::create_directories("assets/tex");
        fs::create_directories("assets/sfx");
        std::vector<uint32_t> pixels(8 * 4, 0xFF00FF00u);
        ASSERT_TRUE(platform::WritePngFile("assets/tex/ball.png", pixels.data(), 8, 4, 8));
        fs::copy_file(CORVALO_SOUND_FIXTURES "/tone440_mono_1s.ogg", "assets/sfx/beep.ogg");
        fs::copy_file(CORVALO_TEST_DATA "/animation/spin.xml", "assets/spin.xml");
        fs::copy_file(CORVALO_TEST_DATA "/animation/spin.anm", "assets/roll.anm");
        fs::copy_file(CORVALO_TEST_DATA "/animation/spin.png", "assets/spin.png");
        std::string mesh = "TRIS";
        mesh += std::string("\x03\x00\x01\x00", 4) + std::string(48, '\0') +
                std::string("\x00\x00\x01\x00\x02\x00", 6);
        Write("assets/cube.mesh", mesh);
        Write("assets/run.lua", "x = 1");
        Write("assets/notes.txt", "not an asset");
        ClearNameRegistry();
        InitFileSystem();
    }

    soundtest::NullRig mSound;
};

TEST_F(AssetMapTest, AddAsset_FindsTheFileAndItsKindByExtension) {
    struct Case {
        const char* added;
        const char* stored;
        const char* className;
    } cases[] = {
        {"tex\\ball", "tex/ball.png", "TTexture"},
        {"tex/ball.png", "tex/ball.png", "TTexture"},
        {"spin", "spin.xml", "TAnimatedTexture"},
        {"roll", "roll.anm", "TAnimatedTexture"},
        {"sfx/beep?group=1001", "sfx/beep.ogg?group=1001", "TSound"},
        {"sfx\\beep.ogg", "sfx/beep.ogg", "TSound"},
        {"cube", "cube.mesh", "TModel"},
        {"run.lua", "run.lua", "TScriptCode"},
    };
    for (const Case& c : cases) {
        TAssetMap map;
        size_t mark = Mark();
        map.AddAsset(TString(c.added));
        EXPECT_EQ(map.GetCount(), 1u) << c.added << "\n" << LogSince(mark);
        std::shared_ptr<TAsset> asset = map.GetAsset(TString(c.stored));
        ASSERT_TRUE(asset) << c.added;
        EXPECT_STREQ(asset->GetClassName(), c.className) << c.added;
    }
}

TEST_F(AssetMapTest, AddAsset_SharesWhatTheAssetManagerHolds) {
    TAssetMap first;
    TAssetMap second;
    first.AddAsset(TString("tex/ball"));
    second.AddAsset(TString("tex/ball.png"));
    EXPECT_EQ(first.GetTexture(TString("tex/ball.png")),
              second.GetTexture(TString("tex/ball.png")));
    EXPECT_EQ(TTexture::Get(TString("tex/ball.png")), first.GetTexture(TString("tex/ball.png")));
    first.AddAsset(TString("spin.xml"));
    EXPECT_EQ(first.GetAnimatedTexture(TString("spin.xml")),
              TAnimatedTexture::Get(TString("spin.xml"), TString(), TString()));
    first.AddAsset(TString("cube.mesh"));
    EXPECT_EQ(first.GetAsset(TString("cube.mesh")), GetModel(TString("cube.mesh")));
}

TEST_F(AssetMapTest, AddAsset_FailuresAreLoggedUnlessQuiet) {
    TAssetMap map;
    size_t mark = Mark();
    map.AddAsset(TString("nothing"));
    EXPECT_NE(LogSince(mark).find("TAssetMap::AddAsset: Failed to find asset nothing with any "
                                  "standard extension (jpg/jp2/png/anm/xml/ogg/mesh)"),
              std::string::npos);
    mark = Mark();
    map.AddAsset(TString("notes.txt"));
    EXPECT_NE(LogSince(mark).find("TAssetMap::AddAsset: Error loading notes.txt"),
              std::string::npos);
    mark = Mark();
    map.AddAsset(TString("nothing"), nullptr, true);
    map.AddAsset(TString("notes.txt"), nullptr, true);
    EXPECT_EQ(LogSince(mark), "");
    EXPECT_EQ(map.GetCount(), 0u);
}

TEST_F(AssetMapTest, AddAsset_GivenAssetReplacesTheEntryAndTheListAddsEach) {
    TAssetMap map;
    map.AddAsset(TString("tex/ball.png"));
    auto model = GetModel(TString("cube.mesh"));
    map.AddAsset(TString("tex\\ball.png"), model);
    EXPECT_EQ(map.GetAsset(TString("tex/ball.png")), model);
    EXPECT_FALSE(map.GetTexture(TString("tex/ball.png")));

    const char* const names[] = {"spin", "sfx/beep", "run.lua", nullptr};
    TAssetMap listed;
    listed.AddAssetList(names);
    EXPECT_EQ(listed.GetCount(), 3u);
    EXPECT_TRUE(listed.GetSound(TString("sfx/beep.ogg")));
}

TEST_F(AssetMapTest, Lookups_LogMissingEntriesAndLoadThemWithAutoLoad) {
    TAssetMap map;
    size_t mark = Mark();
    EXPECT_FALSE(map.GetTexture(TString("tex/ball.png")));
    EXPECT_NE(LogSince(mark).find("Texture asset not found: tex/ball.png (auto load set to false)"),
              std::string::npos);
    mark = Mark();
    EXPECT_FALSE(map.GetAnimatedTexture(TString("spin.xml")));
    EXPECT_NE(
        LogSince(mark).find("Animated texture asset not found: spin.xml (auto load set to false)"),
        std::string::npos);
    mark = Mark();
    EXPECT_FALSE(map.GetSound(TString("sfx/beep.ogg")));
    EXPECT_NE(LogSince(mark).find("Sound asset not found: sfx/beep.ogg"), std::string::npos);

    map.SetAutoLoad(true);
    std::shared_ptr<TTexture> texture = map.GetTexture(TString("tex\\ball.png"));
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetWidth(), 8u);
    EXPECT_EQ(map.GetTexture(TString("tex/ball.png")), texture);
    EXPECT_EQ(map.GetCount(), 1u);
    mark = Mark();
    EXPECT_FALSE(map.GetTexture(TString("missing.png")));
    EXPECT_NE(LogSince(mark).find("Texture asset not found: missing.png (auto load set to true)"),
              std::string::npos);

    // Another kind under the name gives nothing and says nothing.
    mark = Mark();
    EXPECT_FALSE(map.GetSound(TString("tex/ball.png")));
    EXPECT_FALSE(map.GetAnimatedTexture(TString("tex/ball.png")));
    EXPECT_EQ(LogSince(mark), "");
    ASSERT_TRUE(map.GetAnimatedTexture(TString("spin.xml")));
    EXPECT_TRUE(map.GetTexture(TString("spin.xml"))) << "an animated texture is a texture";
}

} // namespace
