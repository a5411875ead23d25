#include "game/data/ModeFiles.h"

#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/data/TileKinds.h"
#include "game/support/GameDataFixture.h"
#include "velk/data/DataRange.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameTuning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ModeFilesTest : public support::GameDataTest {
protected:
    // Writes a game-data file into the test's own folder.
    void Write(const std::string& name, const std::string& tables) {
        mData.Write(name, "<?xml version=\"1.0\"?>\n<xmlData>\n" + tables + "\n</xmlData>\n");
    }
    TString Folder() const { return TString(("::" + mData.Path().string()).c_str()); }
    TString File(const std::string& name) const { return Folder() + TString(("/" + name).c_str()); }

    // One level of classic.xml with the given fields.
    const TClassicLevelRecord* ClassicLevel(const std::string& fields) {
        ResetGameData();
        Write("classic.xml", "<levels type=\"multiple\"><level name=\"7\"><mode>2</mode>" + fields +
                                 "</level></levels>");
        LoadClassicLevels(Folder());
        return GetClassicLevel(0);
    }

    support::TempFolder mData;
};

TEST_F(ModeFilesTest, DataSet_LoadsEveryTable) {
    support::LoadGameDataSet();
    EXPECT_EQ(GetGameModeCount(), 3);
    EXPECT_EQ(GetGameModeNameCount(), 5);
    EXPECT_EQ(GetClassicLevelCount(), 2);
    EXPECT_EQ(GetBlitzLevelCount(), 2);
    EXPECT_EQ(GetStrategyLevelCount(), 2);
    EXPECT_EQ(GetRomeLevelCount(), 2);
    EXPECT_EQ(GetJokerLevelCount(), 2);
    EXPECT_EQ(GetRomeGraphicsCount(), 2);
    EXPECT_EQ(GetNodeCount(), 5);

    const TClassicLevelRecord* classic = GetClassicLevel(1);
    ASSERT_NE(classic, nullptr);
    EXPECT_EQ(classic->id, 2);
    EXPECT_EQ(classic->mode, 3);
    EXPECT_EQ(classic->kinds, (std::vector<int>{1, 4, 5, 3, 10}));
    EXPECT_EQ(classic->chances, (std::vector<int>{25, 25, 25, 15, 10}));
    EXPECT_EQ(classic->maxCounts, (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(classic->goalTask, 4);
    EXPECT_EQ(classic->tile1, TString("star"));
    EXPECT_EQ(classic->timeBar, 6000);
    EXPECT_EQ(classic->background, TString("evening"));
    EXPECT_EQ(GetClassicLevel(0)->goalTask, 0);

    EXPECT_EQ(GetStrategyLevel(0)->errorRow, 3);
    EXPECT_EQ(GetRomeLevel(1)->gpx, 2);
    EXPECT_EQ(GetJokerLevel(1)->initTiles, 3);
    EXPECT_EQ(GetJokerLevel(1)->roundsToWin, 3);
    EXPECT_EQ(GetGameModeName(4)->name, TString("cradle"));

    EXPECT_EQ(gGameTuning.blitz.timer, (std::array<int, 3>{60, 50, 40}));
    EXPECT_EQ(gGameTuning.blitz.combos, (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(gGameTuning.rome.index, (std::array<int, 3>{1, 2, 2}));
    EXPECT_EQ(gGameTuning.rome.timer[2], 70);
    EXPECT_EQ(gGameTuning.joker.index, (std::array<int, 3>{1, 2, 2}));
    EXPECT_EQ(gGameTuning.time.timerPeriods[1], 1200);

    // The 3 x 4 board's marks: its three entry slots, then the twelve
    // values from last to first.
    EXPECT_EQ(*GetRomeGraphics(1), (std::vector<int>{0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
}

TEST_F(ModeFilesTest, Accessors_AnswerNullOutsideTheirTables) {
    support::LoadGameDataSet();
    EXPECT_EQ(GetGameModeRecord(-1), nullptr);
    EXPECT_EQ(GetGameModeRecord(3), nullptr);
    EXPECT_EQ(GetClassicLevel(2), nullptr);
    EXPECT_EQ(GetBlitzLevel(-1), nullptr);
    EXPECT_EQ(GetStrategyLevel(2), nullptr);
    EXPECT_EQ(GetRomeLevel(2), nullptr);
    EXPECT_EQ(GetJokerLevel(2), nullptr);
    EXPECT_EQ(GetRomeGraphics(2), nullptr);
    EXPECT_EQ(GetGameModeName(5), nullptr);
    EXPECT_EQ(GetNodeDefinition(5), nullptr);
    EXPECT_EQ(GetTileKind(16), nullptr);
    EXPECT_EQ(GetTileKind(-1), nullptr);

    ResetGameData();
    EXPECT_EQ(GetClassicLevelCount(), 0);
    EXPECT_EQ(GetClassicLevel(0), nullptr);
    EXPECT_EQ(GetNodeCount(), 0);
    EXPECT_EQ(GetTileKind(1)->kind, 0);
    EXPECT_TRUE(gGameTuning.blitz.combos.empty());
}

TEST_F(ModeFilesTest, TileLists_AlignedOverTilesAndBonus) {
    const struct {
        const char* fields;
        std::vector<int> kinds, chances, caps;
        const char* logged; // null when nothing is logged
    } cases[] = {
        {"<tiles>star,heart</tiles><bonus>wild</bonus><chanceTiles>30,70</chanceTiles>"
         "<chanceBonus>5</chanceBonus><maxBonus>2</maxBonus>",
         {1, 4, 9},
         {30, 70, 5},
         {0, 0, 2},
         nullptr},
        {"<tiles>star,heart</tiles><bonus></bonus><chanceTiles>30,70</chanceTiles><maxBonus/>",
         {1, 4},
         {30, 70},
         {0, 0},
         nullptr},
        // An unknown name goes with its chance and cap.
        {"<tiles>star,moon,heart</tiles><chanceTiles>10,20,30</chanceTiles>",
         {1, 4},
         {10, 30},
         {0, 0},
         "tile 2 has no known kind name"},
        // More caps than bonus kinds: cut to the shortest list.
        {"<tiles>star,heart</tiles><bonus>wild</bonus><chanceTiles>30,70</chanceTiles>"
         "<chanceBonus>5</chanceBonus><maxBonus>1,2</maxBonus>",
         {1, 4, 9},
         {30, 70, 5},
         {0, 0, 1},
         "3 kinds, 3 chances and 4 caps; cut to 3"},
        {"<tiles>star,heart,sun</tiles><chanceTiles>50,50</chanceTiles>",
         {1, 4},
         {50, 50},
         {0, 0},
         "3 kinds, 2 chances and 2 caps; cut to 2"},
        {"<tiles>Star, Heart</tiles><chanceTiles>1, 2</chanceTiles>",
         {1, 4},
         {1, 2},
         {0, 0},
         nullptr},
    };
    for (const auto& c : cases) {
        const TClassicLevelRecord* level = ClassicLevel(c.fields);
        ASSERT_NE(level, nullptr) << c.fields;
        EXPECT_EQ(level->id, 7);
        EXPECT_EQ(level->kinds, c.kinds) << c.fields;
        EXPECT_EQ(level->chances, c.chances) << c.fields;
        EXPECT_EQ(level->maxCounts, c.caps) << c.fields;
        if (c.logged) {
            EXPECT_TRUE(LogHas(std::string("classic.xml: level 7: ") + c.logged)) << c.fields;
        }
    }
}

TEST_F(ModeFilesTest, BoardGeometry_PositionsStepUpRowByRow) {
    Write("config.xml", R"(<gameMode type="multiple">
      <mode name="a"><row>2</row><col>3</col><window>1,2,3,4</window>
        <position>10,20,5,4</position><minTimeBar>700</minTimeBar></mode>
      <mode name="b"><row>1</row><col>2</col><window>5,6</window><position>10, 20</position>
        <factorDecreaseTime>0.9</factorDecreaseTime></mode>
    </gameMode>)");
    vlkXmlData config(File("config.xml"));
    BuildBoardGeometry(config);
    ASSERT_EQ(GetGameModeCount(), 2);

    const TGameModeRecord& a = *GetGameModeRecord(0);
    EXPECT_EQ(a.cells, 6);
    EXPECT_EQ(a.positionCount, 9);
    const float expected[9][2] = {{10, 20}, {15, 20}, {20, 20}, {10, 16}, {15, 16},
                                  {20, 16}, {10, 12}, {15, 12}, {20, 12}};
    ASSERT_EQ(a.positions.size(), 9u);
    for (int k = 0; k < 9; ++k) {
        EXPECT_FLOAT_EQ(a.positions[k].x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(a.positions[k].y, expected[k][1]) << k;
    }
    EXPECT_FLOAT_EQ(a.factorDecreaseTime, 1.0f);
    EXPECT_EQ(a.minTimeBar, 700);
    EXPECT_EQ(a.window[3], 4);

    // Short lists: the missing values are 0, and said so.
    const TGameModeRecord& b = *GetGameModeRecord(1);
    EXPECT_FLOAT_EQ(b.factorDecreaseTime, 0.9f);
    EXPECT_EQ(b.window[0], 5);
    EXPECT_EQ(b.window[1], 6);
    EXPECT_EQ(b.window[2], 0);
    EXPECT_EQ(b.window[3], 0);
    ASSERT_EQ(b.positions.size(), 4u);
    EXPECT_FLOAT_EQ(b.positions[3].x, 10.0f);
    EXPECT_FLOAT_EQ(b.positions[3].y, 20.0f);
    EXPECT_TRUE(LogHas("gameMode row 1: \"window\" has 2 of its four values"));
    EXPECT_TRUE(LogHas("gameMode row 1: \"position\" has 2 of its four values"));
}

// Numbers a damaged file gives as sizes, counts, times and indices are held
// to their ranges where they are read, each with one line naming the file,
// the element and the value; the board or level is still made.
TEST_F(ModeFilesTest, DamagedNumbers_AreHeldToTheirRangesWithALineEach) {
    struct Case {
        const char* what;
        const char* row;  // the board layout's fields
        int rows, cols;   // what the layout holds then
        const char* line; // the line that says so
    } boards[] = {
        {"a 20000 x 20000 board", "<row>20000</row><col>20000</col>", 32, 32,
         "config.xml: gameMode row 0 \"row\" is 20000, outside 0 to 32; 32 is used"},
        {"row x col past 2^31", "<row>65536</row><col>65536</col>", 32, 32,
         "\"col\" is 65536, outside 0 to 32"},
        {"a negative side", "<row>-1</row><col>3</col>", 0, 3, "\"row\" is -1, outside 0 to 32"},
        {"past the int range", "<row>99999999999</row><col>2</col>", 32, 2,
         "\"row\" is 2147483647, outside"},
    };
    for (const Case& c : boards) {
        SCOPED_TRACE(c.what);
        ResetGameData();
        Write("config.xml", std::string("<gameMode type=\"multiple\"><mode name=\"a\">") + c.row +
                                "<window>1,2,3,4</window><position>0,0,1,1</position>"
                                "<minTimeBar>nan</minTimeBar>"
                                "<factorDecreaseTime>nan</factorDecreaseTime></mode></gameMode>");
        vlkXmlData config(File("config.xml"));
        BuildBoardGeometry(config);
        ASSERT_EQ(GetGameModeCount(), 1);
        const TGameModeRecord& layout = *GetGameModeRecord(0);
        EXPECT_EQ(layout.row, c.rows);
        EXPECT_EQ(layout.col, c.cols);
        EXPECT_EQ(layout.cells, c.rows * c.cols);
        EXPECT_EQ(layout.positions.size(), static_cast<size_t>(layout.positionCount));
        EXPECT_FLOAT_EQ(layout.factorDecreaseTime, 1.0f);
        EXPECT_TRUE(LogHas(c.line)) << support::ReadLogText();
        EXPECT_TRUE(LogHas("\"factorDecreaseTime\" is nan, outside 0 to 10; 1 is used"));
    }

    struct LevelCase {
        const char* what;
        const char* fields;
        int TClassicLevelRecord::*field;
        int value;
        const char* line;
    } levels[] = {
        {"a time of 2^31", "<timeMatch>2147483648</timeMatch>", &TClassicLevelRecord::timeMatch,
         kMaxDataTimeMs, "level 7 \"timeMatch\" is 2147483647, outside 0 to 3600000"},
        {"a negative time", "<timeTile>-5</timeTile>", &TClassicLevelRecord::timeTile, 0,
         "level 7 \"timeTile\" is -5"},
        {"a quota of -2^31", "<quota>-2147483648</quota>", &TClassicLevelRecord::quota, 0,
         "level 7 \"quota\" is -2147483648"},
        {"rows past the board", "<initRows>100000</initRows>", &TClassicLevelRecord::initRows, 32,
         "level 7 \"initRows\" is 100000"},
        {"a negative mode", "<mode>-1</mode>", &TClassicLevelRecord::mode, 0,
         "level 7 \"mode\" is -1"},
    };
    for (const LevelCase& c : levels) {
        SCOPED_TRACE(c.what);
        ResetGameData();
        Write("classic.xml", std::string("<levels type=\"multiple\"><level name=\"7\">") +
                                 c.fields + "</level></levels>");
        LoadClassicLevels(Folder());
        ASSERT_EQ(GetClassicLevelCount(), 1);
        EXPECT_EQ(GetClassicLevel(0)->*c.field, c.value);
        EXPECT_TRUE(LogHas(std::string("classic.xml: ") + c.line)) << support::ReadLogText();
    }

    // A chance and a cap out of range, in a deal that stays aligned.
    const TClassicLevelRecord* deal =
        ClassicLevel("<tiles>star,heart</tiles><chanceTiles>-3,2147483647</chanceTiles>"
                     "<bonus>wild</bonus><chanceBonus>5</chanceBonus><maxBonus>-1</maxBonus>");
    ASSERT_NE(deal, nullptr);
    EXPECT_EQ(deal->chances, (std::vector<int>{0, kMaxDataCount, 5}));
    EXPECT_EQ(deal->maxCounts, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(LogHas("level 7 chance 1 is -3"));
    EXPECT_TRUE(LogHas("level 7 cap 3 is -1"));
}

TEST_F(ModeFilesTest, RomeGraphics_EntryRowThenValuesReversed) {
    std::string values56;
    for (int v = 1; v <= 56; ++v)
        values56 += (v > 1 ? "," : "") + std::to_string(v);
    Write("romegpx.xml", "<graphics type=\"multiple\"><g name=\"x\"><gpx>" + values56 +
                             "</gpx></g><g><gpx>4,5,6</gpx></g></graphics>");
    LoadRomeGraphics(Folder());
    ASSERT_EQ(GetRomeGraphicsCount(), 2);
    const std::vector<int>& marks = *GetRomeGraphics(0);
    ASSERT_EQ(marks.size(), 63u);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(marks[k], 0);
    EXPECT_EQ(marks[7], 56);
    EXPECT_EQ(marks[62], 1);
    // No board has three cells: the largest board's entry row.
    EXPECT_EQ(GetRomeGraphics(1)->size(), 14u);
    EXPECT_EQ(GetRomeGraphics(1)->back(), 4);
}

TEST_F(ModeFilesTest, JokerLevels_KeepModesOfExistingBoards) {
    support::LoadGameDataSet(); // three board layouts
    ResetGameData();
    Write("config.xml", R"(<gameMode type="multiple"><m/><m/><m/></gameMode>)");
    BuildBoardGeometry(vlkXmlData(File("config.xml")));
    Write("joker.xml", R"(<levels type="multiple">
      <l name="1"><mode>1</mode><rounds>2</rounds></l>
      <l name="2"><mode>0</mode></l>
      <l name="3"><mode>3</mode><rounds>4</rounds><init_tiles>5</init_tiles></l>
      <l name="4"><mode>4</mode></l>
      <l name="5"><mode>-1</mode></l>
      <l name="6"><mode>2</mode><background>dusk</background></l>
    </levels><index><mode1>1</mode1><mode2>3</mode2><mode3>6</mode3></index>)");
    LoadJokerLevels(Folder());
    ASSERT_EQ(GetJokerLevelCount(), 3);
    EXPECT_EQ(GetJokerLevel(0)->id, 1);
    // The hard board is kept; the level after a dropped one takes its index.
    EXPECT_EQ(GetJokerLevel(1)->id, 3);
    EXPECT_EQ(GetJokerLevel(1)->mode, 3);
    EXPECT_EQ(GetJokerLevel(1)->initTiles, 5);
    EXPECT_EQ(GetJokerLevel(2)->id, 6);
    EXPECT_EQ(GetJokerLevel(2)->background, TString("dusk"));
    EXPECT_EQ(gGameTuning.joker.index, (std::array<int, 3>{1, 3, 6}));
    EXPECT_TRUE(LogHas("joker.xml: level 2: mode 0 is no board layout (1 to 3)"));
    EXPECT_TRUE(LogHas("joker.xml: level 4: mode 4 is no board layout"));
}

TEST_F(ModeFilesTest, TileKinds_ValuesAndATableOfSixteen) {
    Write("config.xml", R"(<tiles type="multiple">
      <t name="wild"><type>bonus</type></t>
      <t name="bomb"><type>special</type></t>
      <t name="Heart"><type>game</type></t>
      <t name="freeze"><type>special</type></t>
      <t name="moon"><type>game</type></t>
    </tiles>)");
    BuildTileKindTable(vlkXmlData(File("config.xml")));
    const struct {
        int kind, type, value;
        const char* name;
    } cases[] = {{9, 101, 2000, "wild"},
                 {10, 102, 3000, "bomb"},
                 {4, 100, 1000, "Heart"},
                 {13, 102, 0, "freeze"}};
    for (const auto& c : cases) {
        const TTileKindRecord* record = GetTileKind(c.kind);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->kind, c.kind);
        EXPECT_EQ(record->type, c.type);
        EXPECT_EQ(record->value, c.value);
        EXPECT_EQ(record->name, TString(c.name));
    }
    // Five records, yet the golden and joker kinds have (empty) entries.
    ASSERT_NE(GetTileKind(14), nullptr);
    EXPECT_EQ(GetTileKind(14)->kind, 0);
    ASSERT_NE(GetTileKind(15), nullptr);
    EXPECT_EQ(GetTileKind(15)->kind, 0);
    EXPECT_TRUE(LogHas("tile record 5 names no tile kind (\"moon\")"));
}

TEST_F(ModeFilesTest, MetamapNodes_StopAtTheFirstBadNode) {
    Write("nodes.xml", R"(<nodesmap type="multiple">
      <n name="1"><mode>classic</mode><level>3</level><neighbors>2,3</neighbors>
        <reward>side</reward><goal>2</goal></n>
      <n name="2"><mode>cradle</mode><reward>dog</reward></n>
      <n name="4"><mode>blitz</mode></n>
      <n name="5"><mode>blitz</mode></n>
    </nodesmap>)");
    LoadMetamapNodes(File("nodes.xml"));
    ASSERT_EQ(GetNodeCount(), 2);
    const TNodeDefinition& first = *GetNodeDefinition(0);
    EXPECT_EQ(first.mode, 1);
    EXPECT_EQ(first.level, 3);
    EXPECT_EQ(first.reward, 3);
    EXPECT_EQ(first.goal, 2);
    EXPECT_EQ(first.neighbours, (std::vector<int>{1, 2}));
    EXPECT_EQ(GetNodeDefinition(1)->mode, 5);
    EXPECT_EQ(GetNodeDefinition(1)->reward, 7);
    EXPECT_EQ(GetNodeDefinition(1)->level, 0);
    EXPECT_TRUE(GetNodeDefinition(1)->neighbours.empty());
    EXPECT_TRUE(LogHas("node record 2 is named \"4\""));

    ResetMetamapNodes();
    Write("nodes.xml", R"(<nodesmap type="multiple">
      <n name="1"><mode>joker</mode><reward>nothing</reward></n>
      <n name="2"><mode>Classic</mode></n></nodesmap>)");
    LoadMetamapNodes(File("nodes.xml"));
    ASSERT_EQ(GetNodeCount(), 1);
    EXPECT_EQ(GetNodeDefinition(0)->reward, 0);
    EXPECT_TRUE(LogHas("node 2 has the unknown mode \"Classic\""));
}

TEST_F(ModeFilesTest, MissingFiles_LeaveEmptyTables) {
    LoadModeFiles(Folder());
    EXPECT_EQ(GetClassicLevelCount(), 0);
    EXPECT_EQ(GetJokerLevelCount(), 0);
    EXPECT_EQ(GetRomeGraphicsCount(), 0);
    EXPECT_EQ(gGameTuning.blitz.combos, (std::vector<int>{0, 0, 0}));
}

} // namespace
