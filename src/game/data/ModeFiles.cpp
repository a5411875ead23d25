#include "game/data/ModeFiles.h"

#include "game/data/DataProblems.h"
#include "game/data/GameIds.h"
#include "game/data/GameTables.h"
#include "game/data/MetamapNodes.h"
#include "game/data/TileKinds.h"
#include "velk/data/StringSplit.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"
#include "velk/game/GameTuning.h"

#include <algorithm>

namespace {

const char kLevels[] = "levels";

TString InFolder(const TString& folder, const char* name) {
    if (folder.IsEmpty())
        return TString(name);
    TString path = folder;
    if (path.CharAt(path.Length() - 1) != '/')
        path += '/';
    return path + TString(name);
}

// The four values of a list field; missing ones are 0, logged.
template <typename T>
void TakeFour(std::vector<T>& values, T (&out)[4], const char* field, int row) {
    if (values.size() < 4)
        ReportDataProblem(
            "BuildBoardGeometry: gameMode row %d: \"%s\" has %d of its four values; the "
            "missing ones are 0",
            row, field, static_cast<int>(values.size()));
    for (size_t k = 0; k < 4; ++k)
        out[k] = k < values.size() ? values[k] : T(0);
}

// Kind names of a list field, converted.
void AppendKinds(std::vector<int>& kinds, const TString& text) {
    std::vector<TString> names;
    SplitStrings(names, text, ',');
    for (const TString& name : names)
        kinds.push_back(TileKindFromName(name));
}

void AppendInts(std::vector<int>& values, const TString& text) {
    std::vector<int> read;
    SplitInts(read, text, ',');
    values.insert(values.end(), read.begin(), read.end());
}

// The three aligned tile lists of a level: kinds, chances and caps. A kind
// name that is not known is dropped with its chance and cap; lists of
// unequal length are cut to the shortest, so that the dealer never reads
// past one. Both are logged.
void ReadDeal(const vlkXmlData& data, int i, TTileDeal& deal, const char* file, int id) {
    AppendKinds(deal.kinds, data.GetRecordString(kLevels, i, "tiles"));
    AppendKinds(deal.kinds, data.GetRecordString(kLevels, i, "bonus"));
    SplitInts(deal.chances, data.GetRecordString(kLevels, i, "chanceTiles"), ',');
    deal.maxCounts.assign(deal.chances.size(), 0);
    AppendInts(deal.chances, data.GetRecordString(kLevels, i, "chanceBonus"));
    AppendInts(deal.maxCounts, data.GetRecordString(kLevels, i, "maxBonus"));

    for (size_t k = deal.kinds.size(); k-- > 0;) {
        if (deal.kinds[k] >= 0)
            continue;
        ReportDataProblem(
            "%s: level %d: tile %d has no known kind name; dropped with its chance and cap", file,
            id, static_cast<int>(k) + 1);
        deal.kinds.erase(deal.kinds.begin() + static_cast<long>(k));
        if (k < deal.chances.size())
            deal.chances.erase(deal.chances.begin() + static_cast<long>(k));
        if (k < deal.maxCounts.size())
            deal.maxCounts.erase(deal.maxCounts.begin() + static_cast<long>(k));
    }
    const size_t shortest =
        std::min({deal.kinds.size(), deal.chances.size(), deal.maxCounts.size()});
    if (deal.kinds.size() != shortest || deal.chances.size() != shortest ||
        deal.maxCounts.size() != shortest) {
        ReportDataProblem("%s: level %d: %d kinds, %d chances and %d caps; cut to %d", file, id,
                          static_cast<int>(deal.kinds.size()),
                          static_cast<int>(deal.chances.size()),
                          static_cast<int>(deal.maxCounts.size()), static_cast<int>(shortest));
        deal.kinds.resize(shortest);
        deal.chances.resize(shortest);
        deal.maxCounts.resize(shortest);
    }
}

// The fields every board mode's record has.
void ReadBoardLevel(const vlkXmlData& data, int i, TBoardLevel& record, const char* file) {
    record.id = data.GetRecordName(kLevels, i).ToInt();
    record.mode = data.GetRecordInt(kLevels, i, "mode");
    ReadDeal(data, i, record, file, record.id);
    record.timeTile = data.GetRecordInt(kLevels, i, "timeTile");
    record.timeMatch = data.GetRecordInt(kLevels, i, "timeMatch");
    record.timeMatchDec = data.GetRecordInt(kLevels, i, "timeMatchDec");
    record.background = data.GetRecordString(kLevels, i, "background");
}

void ReadGoal(const vlkXmlData& data, int i, TLevelGoal& goal) {
    goal.task = data.GetRecordInt(kLevels, i, "task");
    goal.goalTask = data.GetRecordIntOr(kLevels, i, "goalTask", 0);
    goal.tile1 = data.GetRecordString(kLevels, i, "tile1");
    goal.tile2 = data.GetRecordString(kLevels, i, "tile2");
    goal.quota = data.GetRecordInt(kLevels, i, "quota");
}

// Reads every "levels" record of a file with `read` and appends it.
template <typename Record, typename Read>
void LoadLevels(const TString& folder, const char* file, std::vector<Record>& table, Read read) {
    vlkXmlData data(InFolder(folder, file));
    const int count = data.GetRecordCount(kLevels);
    for (int i = 0; i < count; ++i) {
        Record record;
        ReadBoardLevel(data, i, record, file);
        read(data, i, record);
        table.push_back(std::move(record));
    }
}

void ReadThree(vlkXmlData& data, const char* table, std::array<int, 3>& values) {
    values[0] = data.GetValue(table, "mode1").ToInt();
    values[1] = data.GetValue(table, "mode2").ToInt();
    values[2] = data.GetValue(table, "mode3").ToInt();
}

void ReadCombos(vlkXmlData& data, std::vector<int>& combos) {
    for (const char* key : {"combo1", "combo2", "combo3"})
        combos.push_back(data.GetValue("combos", key).ToInt());
}

// The entry row's length of a board of n play slots: the columns of the
// board layout with that many cells, else 7, 9 or 11 by the three standard
// boards (56, 90 and anything else).
size_t EntryRowLength(int n) {
    for (const TGameModeRecord& layout : MutableGameTables().geometry)
        if (layout.cells == n && layout.col > 0)
            return static_cast<size_t>(layout.col);
    return n == 56 ? 7 : n == 90 ? 9 : 11;
}

void LoadConfigTablesForGame(const vlkXmlData& config) {
    LoadConfigTables(config);
}

void (*gAfterModeFiles)() = nullptr;

void LoadModeFilesForGame() {
    LoadModeFiles();
    if (gAfterModeFiles)
        gAfterModeFiles();
}

} // namespace

void BuildBoardGeometry(const vlkXmlData& config) {
    const char* table = "gameMode";
    const int count = config.GetRecordCount(table);
    std::vector<TGameModeRecord>& rows = MutableGameTables().geometry;
    rows.assign(static_cast<size_t>(count), TGameModeRecord());
    for (int i = 0; i < count; ++i) {
        TGameModeRecord& row = rows[static_cast<size_t>(i)];
        row.row = config.GetRecordInt(table, i, "row");
        row.col = config.GetRecordInt(table, i, "col");
        row.cells = row.row * row.col;
        row.positionCount = row.cells + row.col;
        row.factorDecreaseTime = config.GetRecordFloatOr(table, i, "factorDecreaseTime", 1.0f);
        row.minTimeBar = config.GetRecordIntOr(table, i, "minTimeBar", 0);
        std::vector<int> window;
        SplitInts(window, config.GetRecordString(table, i, "window"), ',');
        TakeFour(window, row.window, "window", i);

        std::vector<float> read;
        SplitFloats(read, config.GetRecordString(table, i, "position"));
        float position[4];
        TakeFour(read, position, "position", i);
        const float x0 = position[0], dx = position[2], dy = position[3];
        float x = x0, y = position[1];
        for (int k = 1; k <= row.positionCount; ++k) {
            row.positions.push_back(TVec2{x, y});
            if (row.col > 0 && k % row.col == 0) {
                x = x0;
                y -= dy;
            } else {
                x += dx;
            }
        }
    }
}

void LoadGameModeNames(const TString& folder) {
    vlkXmlData data(InFolder(folder, "game.xml"));
    const int count = data.GetRecordCount("modes");
    for (int i = 0; i < count; ++i) {
        TGameModeName name;
        name.id = data.GetRecordName("modes", i).ToInt();
        name.name = data.GetRecordString("modes", i, "name");
        MutableGameTables().modeNames.push_back(name);
    }
}

void LoadClassicLevels(const TString& folder) {
    LoadLevels(folder, "classic.xml", MutableGameTables().classic,
               [](const vlkXmlData& data, int i, TClassicLevelRecord& record) {
                   ReadGoal(data, i, record);
                   record.initRows = data.GetRecordInt(kLevels, i, "initRows");
                   record.timeBar = data.GetRecordInt(kLevels, i, "timeBar");
               });
}

void LoadBlitzLevels(const TString& folder) {
    {
        vlkXmlData data(InFolder(folder, "blitz.xml"));
        ReadThree(data, "timer", gGameTuning.blitz.timer);
        ReadCombos(data, gGameTuning.blitz.combos);
    }
    LoadLevels(folder, "blitz.xml", MutableGameTables().blitz,
               [](const vlkXmlData& data, int i, TBlitzLevelRecord& record) {
                   ReadGoal(data, i, record);
               });
}

void LoadStrategyLevels(const TString& folder) {
    LoadLevels(folder, "strategy.xml", MutableGameTables().strategy,
               [](const vlkXmlData& data, int i, TStrategyLevelRecord& record) {
                   ReadGoal(data, i, record);
                   record.initRows = data.GetRecordInt(kLevels, i, "initRows");
                   record.errorRow = data.GetRecordInt(kLevels, i, "errorRow");
               });
}

void LoadRomeLevels(const TString& folder) {
    {
        vlkXmlData data(InFolder(folder, "rome.xml"));
        ReadThree(data, "index", gGameTuning.rome.index);
        ReadThree(data, "timer", gGameTuning.rome.timer);
        ReadCombos(data, gGameTuning.rome.combos);
    }
    LoadLevels(folder, "rome.xml", MutableGameTables().rome,
               [](const vlkXmlData& data, int i, TRomeLevelRecord& record) {
                   record.gpx = data.GetRecordInt(kLevels, i, "gpx");
               });
}

void LoadRomeGraphics(const TString& folder) {
    vlkXmlData data(InFolder(folder, "romegpx.xml"));
    const int count = data.GetRecordCount("graphics");
    for (int i = 0; i < count; ++i) {
        std::vector<int> values;
        SplitInts(values, data.GetRecordString("graphics", i, "gpx"), ',');
        const size_t entryRow = EntryRowLength(static_cast<int>(values.size()));
        std::vector<int> marks(entryRow, 0);
        marks.insert(marks.end(), values.rbegin(), values.rend());
        MutableGameTables().romeGraphics.push_back(std::move(marks));
    }
}

void LoadJokerLevels(const TString& folder) {
    vlkXmlData data(InFolder(folder, "joker.xml"));
    const int count = data.GetRecordCount(kLevels);
    const int rows = GetGameModeCount();
    for (int i = 0; i < count; ++i) {
        TJokerLevelRecord record;
        record.id = data.GetRecordName(kLevels, i).ToInt();
        record.mode = data.GetRecordInt(kLevels, i, "mode");
        // The mode picks board layout mode - 1.
        if (record.mode < 1 || record.mode > rows) {
            ReportDataProblem("joker.xml: level %d: mode %d is no board layout (1 to %d); dropped",
                              record.id, record.mode, rows);
            continue;
        }
        record.initTiles = data.GetRecordInt(kLevels, i, "init_tiles");
        record.rounds = data.GetRecordInt(kLevels, i, "rounds");
        record.roundsToWin = data.GetRecordInt(kLevels, i, "roundsToWin");
        record.background = data.GetRecordString(kLevels, i, "background");
        MutableGameTables().joker.push_back(std::move(record));
    }
    ReadThree(data, "index", gGameTuning.joker.index);
}

void LoadConfigTables(const vlkXmlData& config, const TString& folder) {
    BuildBoardGeometry(config);
    BuildTileKindTable(config);
    ResetMetamapNodes();
    const TString nodeFile = config.GetValueOr("game", "metamap", TString());
    if (!nodeFile.IsEmpty())
        LoadMetamapNodes(InFolder(folder, nodeFile.CStr()));
}

void LoadModeFiles(const TString& folder) {
    LoadGameModeNames(folder);
    LoadClassicLevels(folder);
    LoadBlitzLevels(folder);
    LoadStrategyLevels(folder);
    LoadRomeLevels(folder);
    LoadRomeGraphics(folder);
    LoadJokerLevels(folder);
}

void ResetGameData() {
    MutableGameTables() = GameTables();
    ClearDataProblems();
    ResetTileKindTable();
    ResetMetamapNodes();
    for (TGameTuning::ModeValues* values :
         {&gGameTuning.blitz, &gGameTuning.rome, &gGameTuning.joker})
        *values = TGameTuning::ModeValues();
}

void InstallGameDataLoaders(void (*afterModeFiles)()) {
    gAfterModeFiles = afterModeFiles;
    SetGameDataLoaders(LoadConfigTablesForGame, LoadModeFilesForGame);
}
