#include "game/screens/wndLoading.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "game/board/clsTile.h"
#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

using screentest::SceneOf;

class LoadingTest : public screentest::ScreenTest {
protected:
    // A level group of n entries for level 3 (files that do not exist: the
    // screen counts them loaded all the same), and a shorter one before it.
    void Group(int n) {
        std::string entries;
        for (int i = 0; i < n; ++i)
            entries += "<image name=\"pic" + std::to_string(i) + "\" path=\"gpx/none" +
                       std::to_string(i) + ".png\"/>";
        Assets("<fixedAssets/><levelAssets><level id=\"3\"><image name=\"early\" "
               "path=\"gpx/early.png\"/></level><level id=\"3\">" +
               entries + "</level></levelAssets>");
    }
    wndLoading* Open(const std::string& table) {
        auto* loading = new wndLoading();
        screen->AddChild(loading);
        loading->GetAnimator()->SetClock(&clock);
        auto style = Table(table);
        TWindowStyle windowStyle(style.get());
        loading->PostInit(windowStyle);
        return loading;
    }
    // Ticks of 16 ms until the screen is done (or the limit); how many.
    int RunToEnd(wndLoading* loading, int limit = 1000) {
        int ticks = 0;
        while (loading->GetPhase() != wndLoading::kDone && ticks < limit) {
            now += 16;
            loading->Step(now);
            ++ticks;
        }
        return ticks;
    }
    uint32_t now = 0;
};

TEST_F(LoadingTest, GroupOfNEntries_TakesNTicksAndTheBarIsFullOnTheLast) {
    Effects({{"loadingstart", SceneOf(32)}, {"loadingfinish", SceneOf(48)}});
    for (int n : {1, 4, 9}) {
        SCOPED_TRACE(n);
        Group(n);
        fakes.scripts.statements.clear();
        wndLoading* loading = Open("{ x = 0, y = 0, w = 1024, h = 768, levelId = 3 }");
        ASSERT_NE(loading->GetLevelGroup(), nullptr);
        EXPECT_EQ(loading->GetLevelGroup()->entries.size(), size_t(n)) << "the last group of 3";
        EXPECT_EQ(loading->GetPhase(), wndLoading::kStarting);
        int startTicks = 0;
        while (loading->GetPhase() == wndLoading::kStarting && startTicks < 100) {
            now += 16;
            loading->Step(now);
            ++startTicks;
        }
        EXPECT_GE(startTicks, 3) << "the start animation plays first";
        EXPECT_LT(startTicks, 100);
        int loadingTicks = 0;
        float last = 0.0f;
        while (loading->GetPhase() == wndLoading::kLoading && loadingTicks < 100) {
            EXPECT_GE(loading->GetProgress(), last) << "the bar only grows";
            last = loading->GetProgress();
            now += 16;
            loading->Step(now);
            ++loadingTicks;
        }
        // n ticks load, the next starts the finish.
        EXPECT_EQ(loadingTicks, n + 1);
        EXPECT_EQ(loading->GetLoadedCount(), n);
        EXPECT_FLOAT_EQ(loading->GetProgress(), 1.0f);
        EXPECT_EQ(Count("gfn_OnLoaderComplete()"), 0u) << "not before the finish animation";
        RunToEnd(loading);
        EXPECT_EQ(Count("gfn_OnLoaderComplete()"), 1u);
        // Ticks after the end do nothing more.
        loading->Step(now + 16);
        loading->Step(now + 32);
        EXPECT_EQ(Count("gfn_OnLoaderComplete()"), 1u);
        screen->RemoveChild(loading);
        loading->DeleteThis();
    }
}

TEST_F(LoadingTest, NoGroupOrNegativeLevel_FinishesWithoutLoadingAndTheBarStaysEmpty) {
    Effects({{"loadingstart", SceneOf(32)}, {"loadingfinish", SceneOf(32)}});
    Group(2);
    for (const char* table : {"{ w = 1024, h = 768, levelId = 8 }", "{ w = 1024, h = 768 }",
                              "{ w = 1024, h = 768, levelId = -3 }"}) {
        SCOPED_TRACE(table);
        fakes.scripts.statements.clear();
        wndLoading* loading = Open(table);
        EXPECT_EQ(loading->GetLevelGroup(), nullptr);
        float most = 0.0f;
        int ticks = 0;
        while (loading->GetPhase() != wndLoading::kDone && ticks++ < 100) {
            now += 16;
            loading->Step(now);
            most = std::max(most, loading->GetProgress());
        }
        EXPECT_EQ(most, 0.0f);
        EXPECT_EQ(loading->GetLoadedCount(), 0);
        EXPECT_EQ(Count("gfn_OnLoaderComplete()"), 1u);
        screen->RemoveChild(loading);
        loading->DeleteThis();
    }
}

// Without its animations (a missing effect list entry or file) the screen
// still loads and hands over.
TEST_F(LoadingTest, MissingAnimations_StillLoadAndHandOver) {
    Group(3);
    wndLoading* loading = Open("{ w = 1024, h = 768, levelId = 3 }");
    EXPECT_LT(RunToEnd(loading), 10);
    EXPECT_EQ(loading->GetLoadedCount(), 3);
    EXPECT_EQ(Count("gfn_OnLoaderComplete()"), 1u);
}

// The bar grows from the background's left edge: its centre moves right by
// half of what it gains.
TEST_F(LoadingTest, BarKeepsItsLeftEdgeOnTheBackgrounds) {
    Group(1);
    wndLoading* loading = Open("{ w = 1024, h = 768, levelId = 3 }");
    // Without pictures the background has no width: the bar stays centred.
    EXPECT_FLOAT_EQ(loading->BarCentreX(0.0f), 512.0f);
    EXPECT_FLOAT_EQ(loading->BarCentreX(1.0f), 512.0f);
}

TEST_F(LoadingTest, AvatarWithoutItsAnimation_IsLoggedAndTheScreenGoesOn) {
    Effects({{"loadingfinish", SceneOf(100)}});
    Group(1);
    // No settings object: the avatar code reads 0, the boy (whose animation
    // the empty asset list lacks: logged, nothing drawn, no crash).
    wndLoading* loading = Open("{ w = 1024, h = 768, levelId = 3 }");
    ASSERT_NE(loading->GetAvatar(), nullptr);
    EXPECT_TRUE(support::ReadLogText().find("mavatar_score_win") != std::string::npos);
    RunToEnd(loading);
    // 0.005 a millisecond over the finish's 100 ms (in 16 ms ticks).
    EXPECT_LE(loading->GetAvatar()->GetAlpha(), 1.0f - 0.005f * 96.0f + 0.01f)
        << "the avatar fades out in the finish";
}

// The shipped asset lists over the built assets: each mode's group holds
// what a board's tiles ask for, the screen loads it one entry a tick, and
// the fixed pictures it names are decoded once, where the board's lookups
// find them (a second pass, the board's, decodes nothing more).
TEST_F(LoadingTest, EachModesShippedGroup_FillsTheBarOverItsEntries) {
    namespace fs = std::filesystem;
    const fs::path assets = fs::path(CORVALO_BINARY_DIR) / "assets";
    ASSERT_TRUE(fs::exists(assets / "gpx/tiles/card.png")) << "the pictures are built first";
    ClearNameRegistry();
    SetAssetsFolder(TString(assets.string().c_str()));
    InitFileSystem();
    auto lists = std::make_unique<TAssetLists>(TString("assets.xml"));
    gAssetLists = lists.get();
    lists->LoadFixedAssets();
    const auto decoded = [](const TString& path) {
        return GetAssetManager()->GetAsset(MakeTextureKey(path, false, false, false)) != nullptr;
    };
    for (int mode = 1; mode <= 5; ++mode) {
        SCOPED_TRACE(mode);
        const TAssetLevelList* group = lists->FindLevelList(mode);
        ASSERT_NE(group, nullptr);
        std::set<std::string> names;
        for (const TAssetListEntry& entry : group->entries)
            names.insert(entry.name.ToStd());
        for (const char* name : clsTile::kClipNames)
            EXPECT_TRUE(names.count(name)) << name;
        EXPECT_TRUE(names.count("Card"));
        EXPECT_TRUE(names.count("star"));

        fakes.scripts.statements.clear();
        const size_t before = GetAssetManager()->GetCount();
        wndLoading* loading =
            Open("{ w = 1024, h = 768, levelId = " + std::to_string(mode) + " }");
        ASSERT_EQ(loading->GetLevelGroup(), group);
        // The bar grows from the background's left edge.
        const auto background = lists->GetTexture(TString("LoadingBarBackground"));
        ASSERT_TRUE(background);
        const float width = static_cast<float>(background->GetWidth());
        EXPECT_FLOAT_EQ(loading->BarCentreX(0.5f), 512.0f - width * 0.25f);
        EXPECT_FLOAT_EQ(loading->BarCentreX(1.0f), 512.0f);
        while (loading->GetPhase() == wndLoading::kStarting)
            loading->Step(now += 16);
        const int entries = static_cast<int>(group->entries.size());
        int ticks = 0;
        while (loading->GetPhase() == wndLoading::kLoading && ticks <= entries) {
            loading->Step(now += 16);
            if (++ticks == entries / 2) {
                EXPECT_NEAR(loading->GetProgress(), 0.5f, 1.0f / entries) << "half way";
            }
        }
        EXPECT_EQ(ticks, entries + 1) << "one entry a tick, then the finish";
        EXPECT_FLOAT_EQ(loading->GetProgress(), 1.0f);
        screen->RemoveChild(loading);
        loading->DeleteThis();

        const size_t held = GetAssetManager()->GetCount();
        if (mode == 1) {
            EXPECT_GT(held, before) << "the first board's pictures are decoded here";
        }
        for (const TAssetListEntry& entry : group->entries) {
            if (!entry.path.ToStd().ends_with(".png"))
                continue;
            EXPECT_TRUE(decoded(entry.path)) << entry.name.ToStd();
            EXPECT_TRUE(lists->IsLoaded(entry.name, 0)) << entry.name.ToStd();
            EXPECT_FALSE(lists->IsLoaded(entry.name, 1)) << "no second copy";
        }
        EXPECT_TRUE(lists->GetSound(TString("gameplay_song"))) << "the level's music";
        for (const TAssetListEntry& entry : group->entries)
            lists->LoadAsset(entry);
        EXPECT_EQ(GetAssetManager()->GetCount(), held) << "loaded again: nothing new";
        lists->ClearLevelAssets();
    }
    gAssetLists = nullptr;
    lists.reset();
    ClearNameRegistry();
    SetAssetsFolder(TString("assets"));
}

} // namespace
