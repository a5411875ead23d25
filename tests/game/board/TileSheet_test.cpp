// The tiles as a player sees them: every face, both backs and a tile
// half-way through each display state, drawn through clsTile::Draw with the
// built pictures and clips on the GL display. With CORVALO_PROBE_DIR set
// the sheet is written there as "tile_sheet.png".

#include "game/board/clsTile.h"

#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "velk/assets/TAssetLists.h"

#include "BoardFixture.h"
#include "framework/graphics/GlDrawFixture.h"
#include "support/DriverLeaks.h"

#include <filesystem>
#include <fstream>

using namespace boardtest;

namespace {

const std::string kAssets = std::string(CORVALO_BINARY_DIR) + "/assets/";

constexpr int kSheetCols = 14;
constexpr int kSheetRows = 5;

TVec2 Cell(int slot) {
    return TVec2(40.0f + 56.0f * static_cast<float>(slot % kSheetCols),
                 60.0f + 90.0f * static_cast<float>(slot / kSheetCols));
}

class TileSheetTest : public GlDrawFixture {
protected:
    void SetUp() override {
        GlDrawFixture::SetUp();
        if (IsSkipped())
            return;
        if (!std::filesystem::exists(kAssets + "gpx/tiles/star.png"))
            GTEST_SKIP() << "the tile pictures are not built";
        TAnimatedSprite::SetTaskList(&mTasks);
        InstallTileKinds();
        InstallTimes();
        TGameModeRecord sheet;
        sheet.row = kSheetRows - 1;
        sheet.col = kSheetCols;
        sheet.positionCount = kSheetRows * kSheetCols;
        for (int slot = 0; slot < sheet.positionCount; ++slot)
            sheet.positions.push_back(Cell(slot));
        MutableGameTables().geometry = {sheet};
        mSavedClock = gGameClock;
        gGameClock = &mClock;
        clsTile::SetSoundPlayer([](const TString&, bool) {});

        // The shipped names and files of the tiles.
        std::string list = "<assets><fixedAssets>";
        for (int kind = 1; kind <= 15; ++kind)
            list += std::string("<image name=\"") + TileKindName(kind) + "\" path=\"::" + kAssets +
                    "gpx/tiles/" + TileKindName(kind) + ".png\"/>";
        list += "<image name=\"Card\" path=\"::" + kAssets + "gpx/tiles/card.png\"/>";
        list += "<image name=\"BonusCard\" path=\"::" + kAssets + "gpx/tiles/bonuscard.png\"/>";
        const char* const files[clsTile::kClipCount] = {
            "match",          "matchred",      "stand",       "vanish",         "flip_show",
            "flip_hide",      "bombfx",        "flipappear2", "flipdisappear2", "glow",
            "icongoldappear", "icongoldstand", "wildfx"};
        for (uint32_t i = 0; i < clsTile::kClipCount; ++i)
            list += std::string("<image name=\"") + clsTile::kClipNames[i] +
                    "\" path=\"::" + kAssets + "gpx/tiles/anim/" + files[i] + ".xml\"/>";
        list += "</fixedAssets></assets>";
        const auto file = mFolder.Path() / "sheetassets.xml";
        std::ofstream(file) << list;
        mSavedLists = gAssetLists;
        gAssetLists = new TAssetLists(TString(("::" + file.string()).c_str()));
        gAssetLists->LoadFixedAssets();
    }
    void TearDown() override {
        if (!IsSkipped()) {
            mTiles.clear();
            clsTile::ReleaseEffectTemplates();
            delete gAssetLists;
            gAssetLists = mSavedLists;
            clsTile::SetSoundPlayer({});
            gGameClock = mSavedClock;
            ResetTileKindTable();
            MutableGameTables().geometry.clear();
            mTasks.DeleteAll();
            TAnimatedSprite::SetTaskList(nullptr);
        }
        GlDrawFixture::TearDown();
    }

    clsTile& Make(int kind, int slot) {
        mTiles.push_back(std::make_unique<clsTile>(0, GetTileKind(kind), slot));
        return *mTiles.back();
    }
    uint32_t PixelAt(const std::vector<uint32_t>& pixels, const TVec2& at, int dx = 0, int dy = 0) {
        const int x = static_cast<int>(at.x) + dx, y = static_cast<int>(at.y) + dy;
        return pixels[static_cast<size_t>(y) * kWidth + x];
    }

    TAssetManager mAssets;
    TTaskList mTasks;
    TClock mClock;
    TClock* mSavedClock = nullptr;
    TAssetLists* mSavedLists = nullptr;
    ScopedGameRandom mRandom{3};
    std::vector<std::unique_ptr<clsTile>> mTiles;
};

int Red(uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
int Green(uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
int Blue(uint32_t p) {
    return static_cast<int>(p & 0xFF);
}

TEST_F(TileSheetTest, FacesBacksAndEveryStateHalfWay) {
    // Row 0: the fifteen faces (the fifteenth wraps to the next row's end).
    for (int kind = 1; kind <= 15; ++kind)
        Make(kind, kind - 1).SetState(kTileStateFaceUp);
    // Then both backs.
    Make(kTileStar, 15).SetState(kTileStateFaceDown);
    Make(kTileStar, 16).SetState(kTileStateBonusBack);
    // Then a star half-way through each state, from 0 on.
    mClock.SetTime(1000);
    std::vector<clsTile*> states;
    for (uint32_t state = 0; state < clsTile::kStateCount; ++state) {
        clsTile& tile = Make(state == 20 ? kTileWild : kTileStar, 28 + static_cast<int>(state));
        tile.SetState(kTileStateFaceUp);
        tile.SetState(state);
        states.push_back(&tile);
    }
    mClock.SetTime(1000 + 125); // half of the flips' 250 ms
    for (clsTile* tile : states) {
        tile->Update(16);
        if (!tile->IsAnimating())
            tile->SetClipFraction(0.5f);
    }

    // Two frames: a tile sets its opacity for the frame after.
    std::vector<uint32_t> pixels;
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_TRUE(BeginFrame(TColor(0.16f, 0.2f, 0.28f, 1.0f)));
        for (auto& tile : mTiles)
            tile->Draw();
        pixels = EndFrame();
    }
    SaveProbe("tile_sheet", pixels);
    ASSERT_FALSE(pixels.empty());

    // The light faces are light near their corners, the power-ups dark.
    for (int kind = 1; kind <= 8; ++kind)
        EXPECT_GT(Red(PixelAt(pixels, Cell(kind - 1), -18, 20)), 180) << kind;
    for (int kind = 9; kind <= 13; ++kind)
        EXPECT_LT(Red(PixelAt(pixels, Cell(kind - 1), -16, 20)), 110) << kind;
    // The star's middle is gold, the heart's red, the diamond's blue.
    const uint32_t star = PixelAt(pixels, Cell(0));
    EXPECT_GT(Red(star), 180);
    EXPECT_GT(Green(star), 140);
    EXPECT_LT(Blue(star), 120);
    const uint32_t heart = PixelAt(pixels, Cell(3), 0, 4);
    EXPECT_GT(Red(heart), 150);
    EXPECT_LT(Green(heart), 90);
    const uint32_t diamond = PixelAt(pixels, Cell(1), 0, 2);
    EXPECT_GT(Blue(diamond), 150);
    // The card back is deep blue, the bonus back warm gold.
    const uint32_t back = PixelAt(pixels, Cell(15), -12, 16);
    EXPECT_GT(Blue(back), Red(back) + 40);
    const uint32_t bonus = PixelAt(pixels, Cell(16), -14, 18);
    EXPECT_GT(Red(bonus), Blue(bonus) + 60);
    // Half-way through a flip the card is an edge: its sides show the
    // background, its middle the card.
    const uint32_t background = PixelAt(pixels, TVec2(5, 5));
    EXPECT_EQ(PixelAt(pixels, Cell(28 + 8), -20, 0), background);
    EXPECT_NE(PixelAt(pixels, Cell(28 + 8), 0, 0), background);
    // Faint (10) shows the face at half opacity: darker than the plain face.
    EXPECT_LT(Red(PixelAt(pixels, Cell(28 + 10), -18, 20)),
              Red(PixelAt(pixels, Cell(28 + 2), -18, 20)));
}

} // namespace
