#pragma once

#include "framework/core/tasks/TClock.h"
#include "framework/core/xml/TStringTable.h"
#include "game/board/BoardScreen.h"
#include "game/board/TileCommands.h"
#include "game/data/GameTables.h"
#include "game/data/TileKinds.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/FakeBoardTile.h"
#include "game/support/NullBoardScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Three small board layouts (3 x 4, 4 x 5 and 5 x 6 play slots, each with
// its entry row), the fifteen tile kinds, known tuning times and a hand
// clock: what the board's tests share.
namespace boardtest {

constexpr int kLayouts = 3;
constexpr int kRows[kLayouts] = {3, 4, 5};
constexpr int kCols[kLayouts] = {4, 5, 6};

inline TVec2 PositionOf(int layout, int slot) {
    const int col = kCols[layout];
    return TVec2(100.0f + 60.0f * static_cast<float>(slot % col),
                 500.0f - 60.0f * static_cast<float>(slot / col));
}

inline void InstallLayouts() {
    std::vector<TGameModeRecord>& layouts = MutableGameTables().geometry;
    layouts.clear();
    for (int i = 0; i < kLayouts; ++i) {
        TGameModeRecord record;
        record.row = kRows[i];
        record.col = kCols[i];
        record.cells = kRows[i] * kCols[i];
        record.positionCount = (kRows[i] + 1) * kCols[i];
        for (int slot = 0; slot < record.positionCount; ++slot)
            record.positions.push_back(PositionOf(i, slot));
        layouts.push_back(record);
    }
}

inline void InstallTileKinds() {
    vlkXmlData kinds(TString("::" CORVALO_TEST_DATA "/game/board/tilekinds.xml"));
    BuildTileKindTable(kinds);
}

inline void InstallTimes() {
    TGameTuning::Time& time = gGameTuning.time;
    time.preLevel = 100;
    time.initLevel = 200;
    time.intervalHideCards = 10;
    time.intervalShowCards = 20;
    time.showCards = 300;
    time.intervalShowGolden = 50;
    time.vanishAnim = 400;
    time.showAnim = 250;
    time.hideAnim = 200;
}

// A board screen that keeps the countdown texts it was given.
class RecordingBoardScreen : public NullBoardScreen {
public:
    void StartCountdown(const TString& text) override { countdowns.push_back(text.ToStd()); }
    std::vector<std::string> countdowns;
};

// A string table with the labels of the level openings.
inline std::unique_ptr<TStringTable> OpeningLabels() {
    static const char kRows[] =
        "<?xml version=\"1.0\"?><Workbook><Worksheet><Table>"
        "<Row><Cell><Data>Anim_Go</Data></Cell><Cell><Data>3_2_1_GO!</Data></Cell></Row>"
        "<Row><Cell><Data>Anim_Round</Data></Cell><Cell><Data>ROUND </Data></Cell></Row>"
        "<Row><Cell><Data>Mode</Data></Cell><Cell><Data>MODE</Data></Cell></Row>"
        "<Row><Cell><Data>Classic Upcase</Data></Cell><Cell><Data>CLASSIC</Data></Cell></Row>"
        "<Row><Cell><Data>Strategy Upcase</Data></Cell><Cell><Data>STRATEGY</Data></Cell></Row>"
        "<Row><Cell><Data>Blitz Upcase</Data></Cell><Cell><Data>BLITZ</Data></Cell></Row>"
        "<Row><Cell><Data>Joker Upcase</Data></Cell><Cell><Data>JOKER</Data></Cell></Row>"
        "<Row><Cell><Data>Rome Upcase</Data></Cell><Cell><Data>ROME</Data></Cell></Row>"
        "</Table></Worksheet></Workbook>";
    auto table = std::make_unique<TStringTable>();
    table->LoadBuffer(kRows, sizeof(kRows) - 1, "opening labels");
    return table;
}

} // namespace boardtest
