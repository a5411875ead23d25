#include "game/data/GameDataLint.h"

#include "game/data/DataProblems.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/data/ModeFiles.h"
#include "game/data/TileKinds.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"
#include "velk/game/GameTuning.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <queue>
#include <set>

namespace {

// A paced player clears one pair of cards in this time.
constexpr double kPairMs = 1600.0;
// The card picture the board positions must leave room for.
constexpr float kCardWidth = 50.0f;
constexpr float kCardHeight = 54.0f;
// The three boards, easy to hard, as columns by rows.
constexpr int kBoardCols[3] = {7, 9, 11};
constexpr int kBoardRows[3] = {8, 10, 12};
// Each mode's table covers the quest's 56 nodes.
constexpr int kQuestNodes = 56;
constexpr int kMinLevels = 56;
// Achievement numbers of the quest unlock list.
constexpr int kAchievementCount = 20;
// The slowest a level's match wait may get along its table.
constexpr int kMinTimeMatch = 300;

class Lint {
public:
    explicit Lint(std::vector<std::string>& problems) : mProblems(problems) {}

    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        mProblems.push_back(TString::VFormat(format, args).ToStd());
        va_end(args);
    }

private:
    std::vector<std::string>& mProblems;
};

void CheckTuning(Lint& lint) {
    const TGameTuning& t = gGameTuning;
    if (t.game.lives <= 0)
        lint.Fail("config.xml: game.lives is %d", t.game.lives);
    if (t.game.velocity <= 0.0f)
        lint.Fail("config.xml: game.velocity is %g", static_cast<double>(t.game.velocity));
    const struct {
        const char* name;
        int value;
    } times[] = {{"preLevel", t.time.preLevel},
                 {"initLevel", t.time.initLevel},
                 {"freeze", t.time.freeze},
                 {"showtime", t.time.showtime},
                 {"showCards", t.time.showCards},
                 {"revealWait", t.time.revealWait},
                 {"intervalShowCards", t.time.intervalShowCards},
                 {"intervalHideCards", t.time.intervalHideCards},
                 {"intervalShowGolden", t.time.intervalShowGolden},
                 {"clearTiles", t.time.clearTiles},
                 {"goldenAnim", t.time.timerPeriods[0]},
                 {"standAnim", t.time.timerPeriods[1]},
                 {"matchAnim", t.time.timerPeriods[2]},
                 {"bonusMatchAnim", t.time.timerPeriods[3]},
                 {"vanishAnim", t.time.vanishAnim},
                 {"hideAnim", t.time.hideAnim},
                 {"showAnim", t.time.showAnim}};
    for (const auto& time : times)
        if (time.value <= 0)
            lint.Fail("config.xml: time.%s is %d", time.name, time.value);
    for (int d = 0; d < 3; ++d) {
        if (t.blitz.timer[d] <= 0)
            lint.Fail("blitz.xml: timer.mode%d is %d", d + 1, t.blitz.timer[d]);
        if (t.rome.timer[d] <= 0)
            lint.Fail("rome.xml: timer.mode%d is %d", d + 1, t.rome.timer[d]);
    }
    const auto& a = t.achieve.thresholds;
    if (a[TGameTuning::kScreen1] <= 0 || a[TGameTuning::kScreen1] > 1)
        lint.Fail("config.xml: achieve.screen1 is %d (1 at most)", a[TGameTuning::kScreen1]);
    if (a[TGameTuning::kScreen5] <= 0 || a[TGameTuning::kScreen5] > 5)
        lint.Fail("config.xml: achieve.screen5 is %d (5 at most)", a[TGameTuning::kScreen5]);
    // Counted power-ups: one a level at least, so the quest can reach them.
    for (int k : {TGameTuning::kBomb, TGameTuning::kFreeze, TGameTuning::kWild,
                  TGameTuning::kShowtime, TGameTuning::kSidewinder})
        if (a[k] <= 0 || a[k] > kQuestNodes)
            lint.Fail("config.xml: achievement %d's threshold %d is out of the quest's reach", k,
                      a[k]);
    if (a[TGameTuning::kScore] <= 0)
        lint.Fail("config.xml: achieve.score is %d", a[TGameTuning::kScore]);
    for (int n : t.achieve.unlockInQuestMode)
        if (n < 1 || n > kAchievementCount)
            lint.Fail("config.xml: achieve.unlockInQuestMode names achievement %d", n);
}

void CheckBoards(Lint& lint) {
    if (GetGameModeCount() != 3)
        lint.Fail("config.xml: %d board layouts (3 wanted)", GetGameModeCount());
    for (int d = 0; d < std::min(GetGameModeCount(), 3); ++d) {
        const TGameModeRecord& b = *GetGameModeRecord(d);
        if (b.col != kBoardCols[d] || b.row != kBoardRows[d])
            lint.Fail("config.xml: board %d is %d x %d (%d x %d wanted)", d + 1, b.col, b.row,
                      kBoardCols[d], kBoardRows[d]);
        if (b.factorDecreaseTime <= 0.0f || b.factorDecreaseTime > 1.0f)
            lint.Fail("config.xml: board %d: factorDecreaseTime %g", d + 1,
                      static_cast<double>(b.factorDecreaseTime));
        if (b.minTimeBar <= 0)
            lint.Fail("config.xml: board %d: minTimeBar %d", d + 1, b.minTimeBar);
        if (b.positions.size() < 2 || b.col < 2)
            continue;
        const float dx = b.positions[1].x - b.positions[0].x;
        const float dy = b.positions[0].y - b.positions[static_cast<size_t>(b.col)].y;
        if (dx < kCardWidth || dy < kCardHeight)
            lint.Fail("config.xml: board %d: a pitch of %g x %g leaves no room for the %g x %g "
                      "card",
                      d + 1, static_cast<double>(dx), static_cast<double>(dy),
                      static_cast<double>(kCardWidth), static_cast<double>(kCardHeight));
        const float width = static_cast<float>(b.window[2]);
        const float height = static_cast<float>(b.window[3]);
        for (size_t s = static_cast<size_t>(b.col); s < b.positions.size(); ++s) {
            const TVec2& p = b.positions[s];
            if (p.x - kCardWidth / 2 < 0 || p.x + kCardWidth / 2 > width ||
                p.y - kCardHeight / 2 < 0 || p.y + kCardHeight / 2 > height) {
                lint.Fail("config.xml: board %d: play slot %d at (%g, %g) is outside its %g x %g "
                          "window",
                          d + 1, static_cast<int>(s), static_cast<double>(p.x),
                          static_cast<double>(p.y), static_cast<double>(width),
                          static_cast<double>(height));
                break;
            }
        }
    }
}

void CheckTileKinds(Lint& lint, const vlkXmlData& config) {
    std::array<int, kTileKindCount> seen{};
    for (int i = 0; i < config.GetRecordCount("tiles"); ++i) {
        const int kind = TileKindFromName(config.GetRecordName("tiles", i));
        if (kind > 0)
            ++seen[static_cast<size_t>(kind)];
        if (TileTypeFromName(config.GetRecordString("tiles", i, "type")) < 0)
            lint.Fail("config.xml: tile record %d has no known type", i + 1);
    }
    for (int kind = 1; kind < kTileKindCount; ++kind) {
        if (seen[static_cast<size_t>(kind)] != 1)
            lint.Fail("config.xml: tile kind %s is defined %d times", TileKindName(kind),
                      seen[static_cast<size_t>(kind)]);
        const int type = GetTileKind(kind)->type;
        const int wanted = kind <= 8    ? kTileTypeGame
                           : kind <= 13 ? kTileTypeBonus
                                        : kTileTypeSpecial;
        if (seen[static_cast<size_t>(kind)] == 1 && type != wanted)
            lint.Fail("config.xml: tile kind %s has type %d (%d wanted)", TileKindName(kind), type,
                      wanted);
    }
}

// The difficulty (1-3) a record asks for, or 0 when it names none.
int DifficultyOf(int mode) {
    return mode >= 1 && mode <= 3 ? mode : 0;
}

const TGameModeRecord* Board(int difficulty) {
    return GetGameModeRecord(difficulty - 1);
}

template <typename Record>
void CheckCommon(Lint& lint, const char* file, int index, const Record& r) {
    if (!DifficultyOf(r.mode))
        lint.Fail("%s: level %d: mode %d is not 1 to 3", file, index + 1, r.mode);
    if (r.kinds.empty())
        lint.Fail("%s: level %d deals no tiles", file, index + 1);
    for (size_t k = 0; k < r.kinds.size(); ++k) {
        const int kind = r.kinds[k];
        if (kind > kTileMushroom && !IsPowerUpKind(kind))
            lint.Fail("%s: level %d deals the special kind %s", file, index + 1,
                      TileKindName(kind));
        if (IsPowerUpKind(kind) && (k >= r.maxCounts.size() || r.maxCounts[k] <= 0))
            lint.Fail("%s: level %d: the power-up %s has no cap", file, index + 1,
                      TileKindName(kind));
    }
    if (r.timeTile <= 0 || r.timeMatch <= 0)
        lint.Fail("%s: level %d: timeTile %d, timeMatch %d", file, index + 1, r.timeTile,
                  r.timeMatch);
    if (r.timeMatch - 20 * r.timeMatchDec < kMinTimeMatch)
        lint.Fail("%s: level %d: timeMatch %d less 20 steps of %d falls below %d ms", file,
                  index + 1, r.timeMatch, r.timeMatchDec, kMinTimeMatch);
}

// A paced player keeps a Classic board from filling: with r tiles cleared
// in a row period, the rows entering outrun the player by W - r tiles a
// period, and the free rows last (H - initRows) W / (W - r) periods.
void CheckClassic(Lint& lint) {
    for (int i = 0; i < GetClassicLevelCount(); ++i) {
        const TClassicLevelRecord& r = *GetClassicLevel(i);
        CheckCommon(lint, "classic.xml", i, r);
        if (r.quota <= 0 || r.timeBar <= 0 || r.initRows <= 0)
            lint.Fail("classic.xml: level %d: quota %d, timeBar %d, initRows %d", i + 1, r.quota,
                      r.timeBar, r.initRows);
        if (r.quota <= 0 || r.timeBar <= 0)
            continue;
        for (int d = 1; d <= 3; ++d) {
            const TGameModeRecord* b = Board(d);
            // The row period never drops below the board's minimum.
            const double tiles = b ? 2.0 * std::max(r.timeBar, b->minTimeBar) / kPairMs : 0.0;
            if (!b || tiles >= b->col)
                continue;
            const double bound = 0.7 * tiles * (b->row - r.initRows) * b->col / (b->col - tiles);
            if (r.quota > bound)
                lint.Fail("classic.xml: level %d: quota %d is beyond a paced player on board %d "
                          "(%.1f)",
                          i + 1, r.quota, d, bound);
        }
    }
}

void CheckBlitz(Lint& lint) {
    const int shortest =
        *std::min_element(gGameTuning.blitz.timer.begin(), gGameTuning.blitz.timer.end());
    for (int i = 0; i < GetBlitzLevelCount(); ++i) {
        const TBlitzLevelRecord& r = *GetBlitzLevel(i);
        CheckCommon(lint, "blitz.xml", i, r);
        const double bound = 1.4 * shortest * 1000.0 / kPairMs;
        if (r.quota <= 0 || r.quota > bound)
            lint.Fail("blitz.xml: level %d: quota %d (a paced player clears %.1f in %d s)", i + 1,
                      r.quota, bound, shortest);
    }
}

void CheckStrategy(Lint& lint) {
    for (int i = 0; i < GetStrategyLevelCount(); ++i) {
        const TStrategyLevelRecord& r = *GetStrategyLevel(i);
        CheckCommon(lint, "strategy.xml", i, r);
        if (r.errorRow <= 0 || r.quota <= 0 || r.initRows <= 0) {
            lint.Fail("strategy.xml: level %d: quota %d, errorRow %d, initRows %d", i + 1, r.quota,
                      r.errorRow, r.initRows);
            continue;
        }
        for (int d = 1; d <= 3; ++d) {
            const TGameModeRecord* b = Board(d);
            if (!b)
                continue;
            // A board starts with at most its own rows.
            const double bound = 1.4 * r.errorRow * (b->row - std::min(r.initRows, b->row) + 1);
            if (r.quota > bound)
                lint.Fail("strategy.xml: level %d: quota %d is beyond %.1f on board %d", i + 1,
                          r.quota, bound, d);
        }
    }
}

void CheckRome(Lint& lint) {
    const auto& index = gGameTuning.rome.index;
    for (int d = 0; d < 3; ++d)
        if (index[d] < 1 || index[d] > GetRomeLevelCount() || (d > 0 && index[d] <= index[d - 1]))
            lint.Fail("rome.xml: index.mode%d is %d", d + 1, index[d]);
    for (int i = 0; i < GetRomeLevelCount(); ++i) {
        const TRomeLevelRecord& r = *GetRomeLevel(i);
        CheckCommon(lint, "rome.xml", i, r);
        // The difficulty range the level lies in.
        int range = 1;
        while (range < 3 && i + 1 >= index[static_cast<size_t>(range)])
            ++range;
        if (r.mode != range)
            lint.Fail("rome.xml: level %d has mode %d in the range of difficulty %d", i + 1, r.mode,
                      range);
        const std::vector<int>* marks = GetRomeGraphics(r.gpx - 1);
        const TGameModeRecord* b = Board(range);
        if (!marks) {
            lint.Fail("rome.xml: level %d: gpx %d names no row of romegpx.xml", i + 1, r.gpx);
            continue;
        }
        if (b && static_cast<int>(marks->size()) != b->positionCount) {
            lint.Fail("rome.xml: level %d: gpx row %d has %d slots for a board of %d", i + 1, r.gpx,
                      static_cast<int>(marks->size()), b->positionCount);
            continue;
        }
        const int count =
            static_cast<int>(std::count_if(marks->begin(), marks->end(), [](int v) { return v; }));
        const int timer = gGameTuning.rome.timer[static_cast<size_t>(range - 1)];
        const double bound = 0.7 * timer * 1000.0 / kPairMs;
        if (count <= 0 || count > bound)
            lint.Fail("rome.xml: level %d: %d marks (a paced player clears %.1f in %d s)", i + 1,
                      count, bound, timer);
    }
}

void CheckJoker(Lint& lint) {
    for (int i = 0; i < GetJokerLevelCount(); ++i) {
        const TJokerLevelRecord& r = *GetJokerLevel(i);
        const TGameModeRecord* b = Board(r.mode);
        if (!b)
            continue; // dropped by the loader and reported there
        if (r.rounds <= 0 || r.roundsToWin <= 0 || r.roundsToWin > r.rounds || r.initTiles <= 0)
            lint.Fail("joker.xml: level %d: rounds %d, roundsToWin %d, init_tiles %d", i + 1,
                      r.rounds, r.roundsToWin, r.initTiles);
        // The last round of a quest level deals init_tiles + rounds - 1.
        const int good = r.initTiles + r.rounds - 1;
        if (good * 3 > b->cells)
            lint.Fail("joker.xml: level %d: %d good cards on a board of %d", i + 1, good, b->cells);
    }
    for (int d = 0; d < 3; ++d) {
        const int levels = gGameTuning.joker.index[static_cast<size_t>(d)];
        const TGameModeRecord* b = Board(d + 1);
        if (levels <= 0 || (b && levels * 3 > b->cells))
            lint.Fail("joker.xml: index.mode%d is %d", d + 1, levels);
    }
}

// The record of a node's level: its difficulty and what it deals.
struct NodeLevel {
    bool exists = false;
    int difficulty = 0;
    std::vector<int> kinds;
};

NodeLevel LevelOfNode(const TNodeDefinition& node) {
    NodeLevel level;
    const int index = std::max(node.level, 1) - 1;
    auto take = [&](const auto* record) {
        if (!record)
            return;
        level.exists = true;
        level.difficulty = record->mode;
        level.kinds = record->kinds;
    };
    switch (node.mode) {
    case kModeClassic:
        take(GetClassicLevel(index));
        break;
    case kModeStrategy:
        take(GetStrategyLevel(index));
        break;
    case kModeBlitz:
        take(GetBlitzLevel(index));
        break;
    case kModeRome:
        take(GetRomeLevel(index));
        break;
    case kModeJoker:
        if (const TJokerLevelRecord* joker = GetJokerLevel(index)) {
            level.exists = true;
            level.difficulty = joker->mode;
        }
        break;
    default:
        break;
    }
    return level;
}

// The power-up kind of a node reward code; 0 for the others.
int RewardedKind(int reward) {
    static const int kKinds[] = {0,          kTileWild, kTileBomb, kTileSidewinder, kTileShowtime,
                                 kTileFreeze};
    return reward >= 1 && reward <= 5 ? kKinds[reward] : 0;
}

void CheckQuest(Lint& lint) {
    const int count = GetNodeCount();
    if (count != kQuestNodes)
        lint.Fail("metamap.xml: %d nodes (%d wanted)", count, kQuestNodes);
    std::set<int> rewarded; // power-ups handed out by the nodes before
    std::array<std::array<bool, 4>, kModeIdCount> played{};
    for (int i = 0; i < count; ++i) {
        const TNodeDefinition& node = *GetNodeDefinition(i);
        const NodeLevel level = LevelOfNode(node);
        if (node.level != std::max(i, 1))
            lint.Fail("metamap.xml: node %d plays level %d (%d wanted)", i + 1, node.level,
                      std::max(i, 1));
        if (!level.exists) {
            lint.Fail("metamap.xml: node %d: level %d is not in its mode's table", i + 1,
                      node.level);
        } else {
            if (DifficultyOf(level.difficulty))
                played[static_cast<size_t>(node.mode)][static_cast<size_t>(level.difficulty)] =
                    true;
            for (int kind : level.kinds)
                if (IsPowerUpKind(kind) && !rewarded.count(kind))
                    lint.Fail("metamap.xml: node %d deals %s before the quest rewards it", i + 1,
                              TileKindName(kind));
        }
        if (const int kind = RewardedKind(node.reward))
            rewarded.insert(kind);
        for (int n : node.neighbours)
            if (n < 0 || n >= count)
                lint.Fail("metamap.xml: node %d unlocks node %d, which does not exist", i + 1,
                          n + 1);
    }
    for (int mode = kModeClassic; mode < kModeIdCount; ++mode)
        for (int d = 1; d <= 3; ++d)
            if (count > 0 && !played[static_cast<size_t>(mode)][static_cast<size_t>(d)])
                lint.Fail("metamap.xml: no node plays mode %d at difficulty %d", mode, d);

    // Every node is reached from the first.
    std::vector<bool> reached(static_cast<size_t>(count), false);
    std::queue<int> next;
    if (count > 0) {
        reached[0] = true;
        next.push(0);
    }
    while (!next.empty()) {
        const int i = next.front();
        next.pop();
        for (int n : GetNodeDefinition(i)->neighbours)
            if (n >= 0 && n < count && !reached[static_cast<size_t>(n)]) {
                reached[static_cast<size_t>(n)] = true;
                next.push(n);
            }
    }
    for (int i = 0; i < count; ++i)
        if (!reached[static_cast<size_t>(i)])
            lint.Fail("metamap.xml: node %d cannot be reached", i + 1);
}

void CheckTableSizes(Lint& lint) {
    const struct {
        const char* file;
        int count;
    } tables[] = {{"classic.xml", GetClassicLevelCount()},
                  {"blitz.xml", GetBlitzLevelCount()},
                  {"strategy.xml", GetStrategyLevelCount()},
                  {"rome.xml", GetRomeLevelCount()},
                  {"joker.xml", GetJokerLevelCount()}};
    for (const auto& table : tables)
        if (table.count < kMinLevels)
            lint.Fail("%s: %d levels (%d at least)", table.file, table.count, kMinLevels);
    if (GetGameModeNameCount() != 5)
        lint.Fail("game.xml: %d modes (5 wanted)", GetGameModeNameCount());
}

} // namespace

std::vector<std::string> LintGameData(const vlkXmlData& config) {
    std::vector<std::string> problems = GetDataProblems();
    Lint lint(problems);
    CheckTuning(lint);
    CheckBoards(lint);
    CheckTileKinds(lint, config);
    CheckTableSizes(lint);
    CheckClassic(lint);
    CheckBlitz(lint);
    CheckStrategy(lint);
    CheckRome(lint);
    CheckJoker(lint);
    CheckQuest(lint);
    return problems;
}

std::vector<std::string> LoadAndLintGameData(const TString& folder) {
    ResetGameData();
    TString path = folder;
    if (!path.IsEmpty() && path.CharAt(path.Length() - 1) != '/')
        path += '/';
    vlkXmlData config(path + TString("config.xml"));
    if (config.IsEmpty())
        return {"config.xml: cannot be read in " + folder.ToStd()};
    ReadGameTuning(config);
    LoadConfigTables(config, folder);
    LoadModeFiles(folder);
    return LintGameData(config);
}
