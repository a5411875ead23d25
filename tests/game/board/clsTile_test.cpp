#include "game/board/clsTile.h"

#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "game/timers/IntervalTimer.h"
#include "velk/assets/TAssetLists.h"
#include "velk/display/vlkClip.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkBoardFxServices.h"

#include "BoardFixture.h"
#include "framework/graphics/draw/NullDrawFixture.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <fstream>
#include <map>

using namespace boardtest;

namespace {

// Four 32 x 32 frames; every picture and clip of the fixture uses them.
const char kSpin[] = CORVALO_TEST_DATA "/animation/spin";
// Four red dots that live 100 ms once: every tile effect.
const char kDots[] = "::" CORVALO_TEST_DATA "/particles/dot.xml";

class TileServices : public vlkBoardFxServices {
public:
    TString GetFxPath(const TString& name) override {
        ++lookups[name.ToStd()];
        return name.ToStd() == "Points" ? TString() : TString(kDots);
    }
    std::map<std::string, int> lookups;
};

// Tiles on the null graphics back end: the pictures and clips from a
// small asset list, the effects from one small particle file, a hand game
// clock, a seeded random source and the sounds recorded.
class TileTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
        InstallLayouts();
        InstallTileKinds();
        InstallTimes();
        gGameTuning.game.velocity = 6.0f;
        mSavedClock = gGameClock;
        gGameClock = &mClock;
        vlkBoardFxServices::Install(&mServices);
        clsTile::SetSoundPlayer(
            [this](const TString& name, bool) { mSounds.push_back(name.ToStd()); });
        clsTile::ResetSharedCounters();

        // The list names every picture and clip the tile asks for.
        std::string list = "<assets><fixedAssets>";
        for (const char* face : {"star", "diamond", "bomb", "sidewinder", "showtime", "wild",
                                 "freeze", "golden", "joker", "Card", "BonusCard"})
            list += std::string("<image name=\"") + face + "\" path=\"::" + kSpin + ".png\"/>";
        for (const char* clip : clsTile::kClipNames)
            list += std::string("<image name=\"") + clip + "\" path=\"::" + kSpin + ".xml\"/>";
        list += "</fixedAssets></assets>";
        const auto file = mFolder.Path() / "tileassets.xml";
        std::ofstream(file) << list;
        mSavedLists = gAssetLists;
        gAssetLists = new TAssetLists(TString(("::" + file.string()).c_str()));
        gAssetLists->LoadFixedAssets();
    }
    void TearDown() override {
        mTiles.clear();
        clsTile::ReleaseEffectTemplates();
        delete gAssetLists;
        gAssetLists = mSavedLists;
        clsTile::SetSoundPlayer({});
        vlkBoardFxServices::Install(nullptr);
        gGameClock = mSavedClock;
        ResetTileKindTable();
        MutableGameTables().geometry.clear();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        NullDrawFixture::TearDown();
    }

    clsTile& Make(int kind, uint32_t slot = 5, uint32_t layout = 0) {
        mTiles.push_back(std::make_unique<clsTile>(layout, GetTileKind(kind), slot));
        return *mTiles.back();
    }
    void At(uint32_t t) {
        mClock.SetTime(t);
        mTasks.RunAll(0);
    }
    std::vector<platform::RecordedDraw> DrawOne(clsTile& tile) {
        Device().ClearDraws();
        EXPECT_TRUE(graphics->BeginDraw(false));
        EXPECT_TRUE(graphics->Begin2d());
        tile.Draw();
        graphics->End2d();
        graphics->EndDraw(false);
        return Device().Draws();
    }
    size_t CountSounds(const std::string& name) const {
        return static_cast<size_t>(std::count(mSounds.begin(), mSounds.end(), name));
    }

    TAssetManager mAssets;
    TTaskList mTasks;
    TClock mClock;
    TClock* mSavedClock = nullptr;
    TAssetLists* mSavedLists = nullptr;
    TileServices mServices;
    ScopedGameRandom mRandom{7};
    std::vector<std::string> mSounds;
    std::vector<std::unique_ptr<clsTile>> mTiles;
    support::TempFolder mFolder;
};

constexpr int kNone = -1, kSame = -2, kFace = 100, kBack = 101, kBonus = 102;

struct StateRow {
    uint32_t state;
    int clip;  // clip index, kNone or kSame
    int under; // kFace, kBack, kBonus, kNone or kSame
    uint32_t period;
    float alpha; // of the layers at the next frame
};

// The display states as a table: clip on top, layer under it, the timed
// run's period (0 for none) and the opacity set for the next frame.
const StateRow kStates[] = {
    {0, kSame, kSame, 0, 1.0f},
    {1, kNone, kBack, 0, 1.0f},
    {2, kNone, kFace, 0, 1.0f},
    {3, kNone, kBonus, 0, 1.0f},
    {4, clsTile::kClipMatch, kFace, 0, 1.0f},
    {5, clsTile::kClipMatchRed, kFace, 0, 1.0f},
    {6, clsTile::kClipStand, kFace, 0, 1.0f},
    {7, clsTile::kClipVanish, kNone, 400, 1.0f},
    {8, clsTile::kClipFlipShow, kNone, 250, 1.0f},
    {9, clsTile::kClipFlipHide, kNone, 200, 1.0f},
    {10, kNone, kFace, 0, 0.5f},
    {11, clsTile::kClipFlipShow, kNone, 250, 0.5f},
    {12, clsTile::kClipFlipHide, kNone, 200, 1.0f},
    {13, clsTile::kClipBombfx, kFace, 0, 1.0f},
    {14, kSame, kSame, 0, 1.0f},
    {15, clsTile::kClipFlipAppear2, kNone, 250, 1.0f},
    {16, clsTile::kClipFlipDisappear2, kNone, 200, 1.0f},
    {17, clsTile::kClipGlow, kNone, 0, 1.0f},
    {18, clsTile::kClipIconGoldAppear, kNone, 0, 1.0f},
    {19, clsTile::kClipVanish, kNone, 0, 1.0f},
    {20, clsTile::kClipWildfx, kFace, 0, 1.0f},
};

TEST_F(TileTest, SetState_EveryStateShowsItsClipOverItsLayer) {
    for (const StateRow& row : kStates) {
        SCOPED_TRACE(row.state);
        clsTile& tile = Make(kTileStar);
        // A known start: face down under the stand clip.
        tile.SetState(1);
        tile.SetState(6);
        vlkSprite* const underBefore = tile.GetUnderLayer();
        vlkClip* const clipBefore = tile.GetCurrentClip();
        tile.SetState(row.state);
        EXPECT_EQ(tile.GetState(), row.state);
        vlkClip* expectedClip = clipBefore;
        if (row.clip == kNone)
            expectedClip = nullptr;
        else if (row.clip != kSame)
            expectedClip = tile.GetClipAt(static_cast<uint32_t>(row.clip));
        EXPECT_EQ(tile.GetCurrentClip(), expectedClip);
        const std::map<int, vlkSprite*> layers = {{kFace, tile.GetFace()},
                                                  {kBack, tile.GetCardBack()},
                                                  {kBonus, tile.GetBonusBack()},
                                                  {kNone, nullptr},
                                                  {kSame, underBefore}};
        EXPECT_EQ(tile.GetUnderLayer(), layers.at(row.under));
        EXPECT_EQ(tile.IsAnimating(), row.period != 0);
        if (row.period != 0) {
            EXPECT_EQ(tile.GetAnimationTimer()->GetPeriod(), row.period);
        }
        // The layers drawn: the layer, then the clip.
        const size_t expected =
            (tile.GetUnderLayer() ? 1u : 0u) + (tile.GetCurrentClip() ? 1u : 0u);
        EXPECT_GE(DrawOne(tile).size(), expected) << Log();
        if (tile.GetUnderLayer()) {
            EXPECT_EQ(tile.GetUnderLayer()->GetAlpha(), row.alpha);
        }
        if (tile.GetCurrentClip()) {
            EXPECT_EQ(tile.GetCurrentClip()->GetAlpha(), row.alpha);
        }
    }
}

TEST_F(TileTest, SetState_OutsideTheTableChangesNothingAndIsLogged) {
    clsTile& tile = Make(kTileStar);
    tile.SetState(6);
    tile.SetState(14);
    EXPECT_EQ(tile.GetState(), 14u);
    EXPECT_EQ(tile.GetCurrentClip(), tile.GetClipAt(clsTile::kClipStand));
    tile.SetState(25);
    EXPECT_EQ(tile.GetState(), 14u);
    EXPECT_TRUE(Logged("no display state 25")) << Log();
    EXPECT_TRUE(mSounds.empty());
}

TEST_F(TileTest, FlipClicks_AtMostFourUntilAFlipDown) {
    clsTile& tile = Make(kTileStar);
    for (int i = 0; i < 7; ++i)
        tile.SetState(8);
    EXPECT_EQ(CountSounds("gameplay_click1"), 4u);
    tile.SetState(9);
    EXPECT_EQ(CountSounds("gameplay_click3"), 1u);
    tile.SetState(8);
    EXPECT_EQ(CountSounds("gameplay_click1"), 5u);
    // The silent flips play nothing.
    mSounds.clear();
    tile.SetState(11);
    tile.SetState(12);
    EXPECT_TRUE(mSounds.empty());
}

TEST_F(TileTest, MatchSounds_RiseOneToTwelveAndStartAgainWithANewTile) {
    std::vector<clsTile*> tiles;
    for (int i = 0; i < 14; ++i)
        tiles.push_back(&Make(kTileStar));
    mSounds.clear();
    for (int i = 0; i < 8; ++i)
        tiles[static_cast<size_t>(i)]->SetState(i % 2 ? 5 : 4);
    EXPECT_EQ(mSounds,
              (std::vector<std::string>{"gameplay_combo1", "gameplay_combo2", "gameplay_combo3",
                                        "gameplay_combo4", "gameplay_combo5", "gameplay_combo6",
                                        "gameplay_combo7", "gameplay_combo8"}));
    for (int i = 8; i < 14; ++i)
        tiles[static_cast<size_t>(i)]->SetState(4);
    EXPECT_EQ(mSounds[11], "gameplay_combo12");
    EXPECT_EQ(mSounds[12], "gameplay_combo1") << "after twelve the numbers come round";
    Make(kTileDiamond);
    mSounds.clear();
    tiles[0]->SetState(4);
    EXPECT_EQ(mSounds, std::vector<std::string>{"gameplay_combo1"});
    // A power-up matches silently.
    mSounds.clear();
    Make(kTileBomb).SetState(4);
    EXPECT_TRUE(mSounds.empty());
}

TEST_F(TileTest, BlockSound_OncePerBatchUntilAFaceUpASlideOrANewTile) {
    clsTile& a = Make(kTileStar, 5);
    clsTile& b = Make(kTileStar, 6);
    clsTile& c = Make(kTileStar, 7);
    mSounds.clear();
    a.SetState(7);
    b.SetState(7);
    EXPECT_EQ(CountSounds("gameplay_block"), 1u);
    c.SetState(2);
    c.SetState(7);
    EXPECT_EQ(CountSounds("gameplay_block"), 2u);
    a.SetState(7);
    EXPECT_EQ(CountSounds("gameplay_block"), 2u);
    b.MoveToSlot(9);
    a.SetState(7);
    EXPECT_EQ(CountSounds("gameplay_block"), 3u);
    Make(kTileDiamond);
    a.SetState(7);
    EXPECT_EQ(CountSounds("gameplay_block"), 4u);
}

TEST_F(TileTest, Vanish_PowerUpSoundsAndTheExplosionWhateverTheDraws) {
    const struct {
        int kind;
        const char* sound;
    } kinds[] = {{kTileStar, nullptr},
                 {kTileWild, "power_wild"},
                 {kTileBomb, "power_bomb"},
                 {kTileSidewinder, "power_winder"},
                 {kTileShowtime, "power_showtime"},
                 {kTileFreeze, "power_freeze1"}};
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        for (const auto& k : kinds) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " kind " << k.kind);
            ScopedGameRandom random(seed);
            clsTile& tile = Make(k.kind);
            mSounds.clear();
            tile.SetState(7);
            if (k.sound) {
                EXPECT_EQ(CountSounds(k.sound), 1u);
            }
            if (k.kind == kTileStar || k.kind == kTileWild || k.kind == kTileFreeze) {
                ASSERT_NE(tile.GetExplosion(), nullptr);
                EXPECT_TRUE(tile.GetExplosion()->IsActive());
                EXPECT_TRUE(tile.GetExplosion()->IsVisible());
            }
        }
    }
}

TEST_F(TileTest, Effects_OfThePowerUpsFromConstructionToVanish) {
    clsTile& bomb = Make(kTileBomb);
    ASSERT_NE(bomb.GetBombGlow(), nullptr);
    EXPECT_TRUE(bomb.GetBombGlow()->IsActive());
    ASSERT_NE(bomb.GetBombExplosion(), nullptr);
    EXPECT_FALSE(bomb.GetBombExplosion()->IsActive());
    bomb.SetState(7);
    EXPECT_FALSE(bomb.GetBombGlow()->IsActive());
    EXPECT_TRUE(bomb.GetBombExplosion()->IsActive());
    EXPECT_TRUE(bomb.GetBombExplosion()->IsVisible());

    clsTile& winder = Make(kTileSidewinder);
    EXPECT_TRUE(winder.HasWind());
    ASSERT_NE(winder.GetWindStand(), nullptr);
    EXPECT_TRUE(winder.GetWindStand()->IsActive());
    EXPECT_EQ(winder.GetWindFx(), nullptr) << "made on first use";
    winder.SetState(7);
    ASSERT_NE(winder.GetWindFx(), nullptr);
    EXPECT_TRUE(winder.GetWindFx()->IsActive());
    EXPECT_FALSE(winder.GetWindStand()->IsActive());
    EXPECT_FALSE(winder.GetWindStand()->IsVisible());
    winder.SetWindEffect(false);
    EXPECT_FALSE(winder.GetWindFx()->IsVisible());

    clsTile& eye = Make(kTileShowtime);
    ASSERT_NE(eye.GetEye(), nullptr);
    EXPECT_FALSE(eye.GetEye()->IsActive());
    EXPECT_FALSE(eye.GetEye()->IsVisible());
    EXPECT_TRUE(eye.GetEyeStand()->IsActive());
    eye.SetState(7);
    EXPECT_TRUE(eye.GetEye()->IsVisible());
    EXPECT_FALSE(eye.GetEyeStand()->IsVisible());

    clsTile& wild = Make(kTileWild);
    ASSERT_NE(wild.GetWild(), nullptr);
    EXPECT_FALSE(wild.GetWild()->IsActive());
    wild.SetState(20);
    EXPECT_TRUE(wild.GetWild()->IsActive());
    EXPECT_TRUE(wild.GetWild()->IsVisible());
    wild.SetState(2);
    EXPECT_FALSE(wild.GetWild()->IsActive());

    // A bombed tile goes with the bomb's explosion, a blown one with wind.
    clsTile& bombed = Make(kTileStar);
    bombed.SetBombed(true);
    bombed.SetState(7);
    ASSERT_NE(bombed.GetBombExplosion(), nullptr);
    EXPECT_TRUE(bombed.GetBombExplosion()->IsActive());
    clsTile& blown = Make(kTileDiamond);
    blown.SetWind(true);
    blown.SetState(11);
    ASSERT_NE(blown.GetWindFx(), nullptr);
    EXPECT_TRUE(blown.GetWindFx()->IsActive());

    // A plain tile shows no effect before it vanishes.
    clsTile& plain = Make(kTileStar);
    EXPECT_EQ(plain.GetBombGlow(), nullptr);
    EXPECT_EQ(plain.GetWindStand(), nullptr);
    EXPECT_TRUE(plain.GetExplosion() == nullptr || !plain.GetExplosion()->IsActive());
    // The joker never explodes.
    clsTile& joker = Make(kTileJoker);
    EXPECT_FALSE(joker.IsExplosionPending());
    EXPECT_EQ(joker.GetExplosion(), nullptr);
}

TEST_F(TileTest, Update_MakesAPendingExplosionLazilyOnlyFaceDown) {
    // Seeds where construction left the explosion pending.
    int pendingTiles = 0;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        ScopedGameRandom random(seed);
        clsTile& tile = Make(kTileStar);
        if (!tile.IsExplosionPending())
            continue;
        ++pendingTiles;
        tile.SetState(2);
        for (int i = 0; i < 400; ++i)
            tile.Update(16);
        EXPECT_TRUE(tile.IsExplosionPending()) << "face up never";
        tile.SetState(1);
        // Drawing takes no numbers from the game's generator and makes
        // nothing: how many frames a machine draws does not change a game.
        uint32_t first = 0;
        {
            ScopedGameRandom fresh(1000 + seed);
            first = GameRandomNext();
        }
        {
            ScopedGameRandom drawn(1000 + seed);
            for (int i = 0; i < 400; ++i)
                DrawOne(tile);
            EXPECT_EQ(GameRandomNext(), first) << "drawing took random numbers";
        }
        EXPECT_TRUE(tile.IsExplosionPending()) << "not made while drawing";
        int steps = 0;
        while (tile.IsExplosionPending() && steps < 5000) {
            tile.Update(16);
            ++steps;
        }
        EXPECT_FALSE(tile.IsExplosionPending());
        EXPECT_NE(tile.GetExplosion(), nullptr);
        EXPECT_GT(steps, 1) << "about one step in a hundred";
    }
    EXPECT_GT(pendingTiles, 2);
}

TEST_F(TileTest, Update_TimedStatesShowTheFrameOfTheRunAndThenStopAnimating) {
    clsTile& tile = Make(kTileStar);
    At(1000);
    tile.SetState(8); // 250 ms over four frames
    TAnimatedSprite& sprite = *tile.GetCurrentClip()->GetAnimatedSprite();
    ASSERT_EQ(sprite.GetFrameCount(), 4);
    const struct {
        uint32_t t;
        int frame;
        bool animating;
    } steps[] = {{1000, 0, true}, {1070, 1, true},  {1130, 2, true},
                 {1200, 3, true}, {1250, 3, false}, {1400, 3, false}};
    for (const auto& step : steps) {
        At(step.t);
        tile.Update(16);
        EXPECT_EQ(sprite.GetCurrentFrame(), step.frame) << step.t;
        EXPECT_EQ(tile.IsAnimating(), step.animating) << step.t;
    }
    EXPECT_TRUE(tile.IsLastFrame(0.8f));
    EXPECT_FALSE(tile.IsLastFrame(0.5f));
    tile.SetClipFraction(0.5f);
    EXPECT_EQ(sprite.GetCurrentFrame(), 2);
    tile.HideClip();
    EXPECT_FALSE(tile.GetCurrentClip()->IsVisible());
}

TEST_F(TileTest, Slide_MovesVelocityPixelsPerUpdateWhateverTheTime) {
    // Layout 0 positions step 60 px per row: slot 9 lies one row above 5.
    clsTile& tile = Make(kTileStar, 9);
    const float start = tile.GetPosition().y;
    tile.MoveToSlot(5);
    EXPECT_TRUE(tile.IsMoving());
    tile.Update(16);
    EXPECT_FLOAT_EQ(tile.GetPosition().y, start + 6.0f);
    tile.Update(500);
    EXPECT_FLOAT_EQ(tile.GetPosition().y, start + 12.0f);
    int updates = 2;
    while (tile.IsMoving() && updates < 100) {
        tile.Update(16);
        ++updates;
    }
    EXPECT_EQ(updates, 10);
    EXPECT_FLOAT_EQ(tile.GetPosition().y, PositionOf(0, 5).y);
    EXPECT_FLOAT_EQ(tile.GetFace()->GetY(), PositionOf(0, 5).y);
    EXPECT_FLOAT_EQ(tile.GetClipAt(clsTile::kClipVanish)->GetY(), PositionOf(0, 5).y);
    EXPECT_EQ(tile.GetSlot(), 5u);

    // Upward, and to its own y: that ends on the next update unmoved.
    tile.MoveToSlot(13);
    while (tile.IsMoving())
        tile.Update(16);
    EXPECT_FLOAT_EQ(tile.GetPosition().y, PositionOf(0, 13).y);
    tile.MoveToSlot(13);
    tile.Update(16);
    EXPECT_FALSE(tile.IsMoving());
    EXPECT_FLOAT_EQ(tile.GetPosition().y, PositionOf(0, 13).y);

    // A step of 0 arrives at once rather than never.
    gGameTuning.game.velocity = 0.0f;
    tile.MoveToSlot(5);
    tile.Update(16);
    EXPECT_FALSE(tile.IsMoving());
    EXPECT_FLOAT_EQ(tile.GetPosition().y, PositionOf(0, 5).y);
}

TEST_F(TileTest, Fall_ShakesSidewaysWithinHalfACardAndDisappears) {
    clsTile& tile = Make(kTileStar, 13);
    const TVec2 start = tile.GetPosition();
    mSounds.clear();
    tile.FallTo(1);
    EXPECT_TRUE(tile.IsFalling());
    EXPECT_EQ(CountSounds("gameplay_block"), 1u);
    // Each shake goes at most half a card from where it starts, over at
    // least 50 ms, so no 20 ms step moves further than that.
    const float half = tile.GetCardBack()->GetWidth() / 2.0f;
    ASSERT_GT(half, 0.0f);
    int updates = 0;
    float x = start.x;
    bool shook = false;
    while (tile.IsFalling() && updates < 200) {
        tile.Update(20);
        ++updates;
        EXPECT_LE(std::abs(tile.GetPosition().x - x), half);
        shook = shook || tile.GetPosition().x != start.x;
        x = tile.GetPosition().x;
    }
    EXPECT_TRUE(shook);
    EXPECT_EQ(updates, 35) << "700 ms";
    EXPECT_FALSE(tile.GetFace()->IsVisible());
    EXPECT_FALSE(tile.GetCardBack()->IsVisible());
    EXPECT_FLOAT_EQ(tile.GetPosition().y, PositionOf(0, 1).y);

    // A fall to its own height still ends.
    clsTile& level = Make(kTileStar, 5);
    level.FallTo(5);
    for (int i = 0; i < 40 && level.IsFalling(); ++i)
        level.Update(20);
    EXPECT_FALSE(level.IsFalling());
}

// The whole board falling at once (a lost life) makes one sound, not one
// for each tile; a fall at a later moment makes its own.
TEST_F(TileTest, Fall_TilesFallingAtOneMomentMakeOneSound) {
    At(1000);
    std::vector<clsTile*> board;
    for (uint32_t slot = 8; slot < 20; ++slot)
        board.push_back(&Make(kTileStar, slot));
    mSounds.clear();
    for (clsTile* tile : board)
        tile->FallTo(1);
    EXPECT_EQ(CountSounds("gameplay_block"), 1u);
    At(1016);
    Make(kTileStar, 30).FallTo(2);
    EXPECT_EQ(CountSounds("gameplay_block"), 2u);
}

TEST_F(TileTest, HitTest_IsTheFacesBounds) {
    clsTile& tile = Make(kTileStar, 5);
    const TVec2 at = PositionOf(0, 5);
    // The fixture's face is a 144 x 36 picture centred on the slot.
    EXPECT_TRUE(tile.HitTest(at.x, at.y));
    EXPECT_TRUE(tile.HitTest(at.x + 70.0f, at.y - 17.0f));
    EXPECT_FALSE(tile.HitTest(at.x + 74.0f, at.y));
    EXPECT_FALSE(tile.HitTest(at.x, at.y + 19.0f));
}

TEST_F(TileTest, Templates_LoadedOnceSharedAndLoadedAgainAfterRelease) {
    Make(kTileBomb);
    Make(kTileBomb);
    EXPECT_EQ(mServices.lookups["Bomb"], 1);
    EXPECT_GE(clsTile::GetLoadedTemplateCount(), 2u);
    clsTile::ReleaseEffectTemplates();
    EXPECT_EQ(clsTile::GetLoadedTemplateCount(), 0u);
    // Tiles made before keep their copies.
    EXPECT_NE(mTiles[0]->GetBombGlow(), nullptr);
    Make(kTileBomb);
    EXPECT_EQ(mServices.lookups["Bomb"], 2);
    // A template that does not load is logged once and tiles go without.
    mServices.lookups.clear();
    clsTile::ReleaseEffectTemplates();
    vlkBoardFxServices::Install(nullptr);
    clsTile& plain = Make(kTileWild);
    Make(kTileWild);
    EXPECT_EQ(plain.GetWild(), nullptr);
    EXPECT_EQ(CountLogged("the effect \"Wild\""), 1u) << Log();
    vlkBoardFxServices::Install(&mServices);
}

TEST_F(TileTest, MissingPictures_AreEmptyAndLoggedOnce) {
    Make(kTileHeart); // no "heart" in the fixture's list
    Make(kTileHeart).SetState(2);
    EXPECT_EQ(CountLogged("no picture or animation \"heart\""), 1u) << Log();
    EXPECT_EQ(mTiles[1]->GetUnderLayer(), mTiles[1]->GetFace());
    EXPECT_TRUE(DrawOne(*mTiles[1]).empty());
    mTiles[1]->SetState(1);
    EXPECT_FALSE(DrawOne(*mTiles[1]).empty()) << "the back is there";
}

} // namespace

namespace {

TEST_F(TileTest, LevelState_MakesGameTilesOnceInstalled) {
    BoardTileMaker previous = SetBoardTileMaker({});
    clsTile::InstallAsBoardTileMaker();
    {
        dtLevelState state(1);
        state.SetDifficulty(2);
        state.ResizeSlotsToGeometry();
        BoardTile* tile = state.CreateTile(1, kTileStar, 7);
        auto* real = dynamic_cast<clsTile*>(tile);
        ASSERT_NE(real, nullptr);
        EXPECT_EQ(state.GetSlots().tile[7], tile);
        EXPECT_EQ(state.GetActors().Count(), 1);
        EXPECT_FLOAT_EQ(real->GetPosition().x, PositionOf(1, 7).x);
        EXPECT_FLOAT_EQ(real->GetPosition().y, PositionOf(1, 7).y);
    }
    SetBoardTileMaker(previous);
}

} // namespace
