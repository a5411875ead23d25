// gamedata: the game's data tables as the game builds them.
//
//   gamedata dump [FOLDER]   prints the tuning values, board layouts, tile
//                            kinds, level tables and quest nodes
//   gamedata lint [FOLDER]   checks them; prints one line per problem and
//                            exits with 1 when there is any
//
// FOLDER holds config.xml and the mode files (default: assets). Neither
// command needs the settings, the asset lists or a screen.

#include "game/data/GameDataLint.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/data/TileKinds.h"
#include "velk/game/GameTuning.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Ints(const std::vector<int>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + std::to_string(values[i]);
    return text;
}

std::string Kinds(const std::vector<int>& kinds) {
    std::string text;
    for (size_t i = 0; i < kinds.size(); ++i)
        text += std::string(i ? "," : "") + TileKindName(kinds[i]);
    return text;
}

template <typename Record> void PrintDeal(const Record& r) {
    std::printf(" kinds=%s chances=%s caps=%s timeTile=%d timeMatch=%d timeMatchDec=%d "
                "background=%s",
                Kinds(r.kinds).c_str(), Ints(r.chances).c_str(), Ints(r.maxCounts).c_str(),
                r.timeTile, r.timeMatch, r.timeMatchDec, r.background.CStr());
}

void Dump() {
    const TGameTuning& t = gGameTuning;
    std::printf("[tuning]\nlives=%d velocity=%g\n", t.game.lives,
                static_cast<double>(t.game.velocity));
    std::printf("score match=%d chain=%d deltaChain=%d combo=%d deltaCombo=%d bonus=%d "
                "clearedAllTiles=%d jokerBonus=%d\n",
                t.score.match, t.score.chain, t.score.deltaChain, t.score.combo, t.score.deltaCombo,
                t.score.bonus, t.score.clearedAllTiles, t.score.jokerBonus);
    std::printf("cycles golden=%d stand=%d match=%d bonusMatch=%d\n", t.time.timerPeriods[0],
                t.time.timerPeriods[1], t.time.timerPeriods[2], t.time.timerPeriods[3]);
    std::printf("blitz timer=%d,%d,%d combos=%s\n", t.blitz.timer[0], t.blitz.timer[1],
                t.blitz.timer[2], Ints(t.blitz.combos).c_str());
    std::printf("rome index=%d,%d,%d timer=%d,%d,%d combos=%s\n", t.rome.index[0], t.rome.index[1],
                t.rome.index[2], t.rome.timer[0], t.rome.timer[1], t.rome.timer[2],
                Ints(t.rome.combos).c_str());
    std::printf("joker index=%d,%d,%d\n", t.joker.index[0], t.joker.index[1], t.joker.index[2]);

    std::printf("[boards] %d\n", GetGameModeCount());
    for (int i = 0; i < GetGameModeCount(); ++i) {
        const TGameModeRecord& b = *GetGameModeRecord(i);
        std::printf("%d: %dx%d slots=%d window=%d,%d,%d,%d first=(%g,%g) last=(%g,%g) "
                    "factor=%g minTimeBar=%d\n",
                    i + 1, b.col, b.row, b.positionCount, b.window[0], b.window[1], b.window[2],
                    b.window[3], b.positions.empty() ? 0.0 : b.positions.front().x,
                    b.positions.empty() ? 0.0 : b.positions.front().y,
                    b.positions.empty() ? 0.0 : b.positions.back().x,
                    b.positions.empty() ? 0.0 : b.positions.back().y,
                    static_cast<double>(b.factorDecreaseTime), b.minTimeBar);
    }
    std::printf("[tiles]\n");
    for (int kind = 1; kind < kTileKindCount; ++kind) {
        const TTileKindRecord& k = *GetTileKind(kind);
        std::printf("%d: %s type=%d value=%d path=%s\n", kind, k.name.CStr(), k.type, k.value,
                    k.path.CStr());
    }
    std::printf("[classic] %d\n", GetClassicLevelCount());
    for (int i = 0; i < GetClassicLevelCount(); ++i) {
        const TClassicLevelRecord& r = *GetClassicLevel(i);
        std::printf("%d: mode=%d task=%d quota=%d initRows=%d timeBar=%d", r.id, r.mode, r.task,
                    r.quota, r.initRows, r.timeBar);
        PrintDeal(r);
        std::printf("\n");
    }
    std::printf("[blitz] %d\n", GetBlitzLevelCount());
    for (int i = 0; i < GetBlitzLevelCount(); ++i) {
        const TBlitzLevelRecord& r = *GetBlitzLevel(i);
        std::printf("%d: mode=%d task=%d quota=%d", r.id, r.mode, r.task, r.quota);
        PrintDeal(r);
        std::printf("\n");
    }
    std::printf("[strategy] %d\n", GetStrategyLevelCount());
    for (int i = 0; i < GetStrategyLevelCount(); ++i) {
        const TStrategyLevelRecord& r = *GetStrategyLevel(i);
        std::printf("%d: mode=%d task=%d quota=%d initRows=%d errorRow=%d", r.id, r.mode, r.task,
                    r.quota, r.initRows, r.errorRow);
        PrintDeal(r);
        std::printf("\n");
    }
    std::printf("[rome] %d\n", GetRomeLevelCount());
    for (int i = 0; i < GetRomeLevelCount(); ++i) {
        const TRomeLevelRecord& r = *GetRomeLevel(i);
        const std::vector<int>* marks = GetRomeGraphics(r.gpx - 1);
        int count = 0;
        if (marks)
            for (int v : *marks)
                count += v != 0;
        std::printf("%d: mode=%d gpx=%d marks=%d", r.id, r.mode, r.gpx, count);
        PrintDeal(r);
        std::printf("\n");
    }
    std::printf("[joker] %d\n", GetJokerLevelCount());
    for (int i = 0; i < GetJokerLevelCount(); ++i) {
        const TJokerLevelRecord& r = *GetJokerLevel(i);
        std::printf("%d: mode=%d rounds=%d roundsToWin=%d init_tiles=%d background=%s\n", r.id,
                    r.mode, r.rounds, r.roundsToWin, r.initTiles, r.background.CStr());
    }
    std::printf("[nodes] %d\n", GetNodeCount());
    for (int i = 0; i < GetNodeCount(); ++i) {
        const TNodeDefinition& n = *GetNodeDefinition(i);
        std::printf("%d: mode=%d level=%d reward=%d goal=%d neighbours=%s\n", n.index + 1, n.mode,
                    n.level, n.reward, n.goal, Ints(n.neighbours).c_str());
    }
}

int Usage() {
    std::fprintf(stderr, "usage: gamedata dump|lint [FOLDER]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3)
        return Usage();
    const bool lint = std::strcmp(argv[1], "lint") == 0;
    if (!lint && std::strcmp(argv[1], "dump") != 0)
        return Usage();
    const std::filesystem::path folder =
        std::filesystem::absolute(argc == 3 ? argv[2] : "assets").lexically_normal();
    const std::vector<std::string> problems =
        LoadAndLintGameData(TString(("::" + folder.string()).c_str()));
    if (!lint) {
        Dump();
        return 0;
    }
    for (const std::string& problem : problems)
        std::printf("%s\n", problem.c_str());
    if (!problems.empty()) {
        std::printf("%d problems\n", static_cast<int>(problems.size()));
        return 1;
    }
    std::printf("the game data holds together\n");
    return 0;
}
