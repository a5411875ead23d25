// bench_balance: how hard the shipped levels are to players of three kinds.
// Quick games of every level of the five modes at each difficulty are played
// headless (the rules' own code with fake tiles whose animations end at
// once, a hand clock in 16 ms frames, a seeded deal) by three personas, and
// the win rate and the mean game time of each level are printed as a table:
//   random  clicks an open tile at random every 400-600 ms;
//   casual  clicks every 500-700 ms and remembers the last 6 faces it saw;
//   good    clicks every 300-400 ms and remembers the last 16.
// A persona sees what the screen shows: the faces of tiles whose picture is
// up (a face-down tile shows its back). It clicks a remembered pair when it
// knows one, a lone power tile it sees, else an unknown tile, and answers
// its face from memory when it can. On Rome it aims at the marked slots
// first. On Joker the good cards are shown at the round's start: it
// remembers where as many of them lay as its memory holds, clicks those,
// then guesses (the random clicker only guesses).
//
//   bench_balance [ASSETS_DIR] [--seeds N] [--levels 1,5,10,last]
//                 [--modes Classic,Blitz,Strategy,Rome,Joker]
//
// By default every level of each difficulty is played over 10 seeds (a few
// minutes); --levels picks levels within each difficulty ("last" is its
// last). A level is the quick-play level number within the difficulty: the
// record it plays is the same number in Classic, Blitz and Strategy, the
// difficulty's start index plus the number less one in Rome, and Joker deals
// one good card more than the number. ASSETS_DIR holds config.xml and the
// mode files (default: the source tree's assets).

#include "framework/core/tasks/TClock.h"
#include "game/board/BoardActionQueue.h"
#include "game/board/BoardTile.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/ModeFiles.h"
#include "game/gmCorvalo.h"
#include "game/levels/lvCorvaloClassic.h"
#include "game/levels/lvCorvaloJoker.h"
#include "game/levels/lvCorvaloLevel.h"
#include "game/levels/lvCorvaloRome.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/FakeBoardScreen.h"
#include "game/support/FakeBoardTile.h"
#include "game/support/FakeLevelServices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kFrameMs = 16;
// A game still going after this long counts as lost.
constexpr uint32_t kLongestGameMs = 15u * 60u * 1000u;

struct Persona {
    const char* name;
    uint32_t fastestMs;
    uint32_t slowestMs;
    size_t memory; // faces remembered; 0 remembers nothing
};

constexpr Persona kPersonas[] = {
    {"random", 400, 600, 0},
    {"casual", 500, 700, 6},
    {"good", 300, 400, 16},
};

struct Mode {
    const char* name;
    int id;
};

constexpr Mode kModes[] = {{"Classic", kModeClassic},
                           {"Blitz", kModeBlitz},
                           {"Strategy", kModeStrategy},
                           {"Rome", kModeRome},
                           {"Joker", kModeJoker}};
constexpr const char* kDifficulties[] = {"easy", "medium", "hard"};

// The display states in which a tile shows its face.
bool ShowsFace(uint32_t state) {
    switch (state) {
    case kTileStateFaceUp:
    case kTileStateMatch:
    case kTileStateRedMatch:
    case kTileStateStand:
    case kTileStateFaint:
    case kTileStateBombMark:
    case kTileStateWildMark:
    case kTileStateGlow:
        return true;
    default:
        return false;
    }
}

// One quick game played by one persona.
class Game {
public:
    Game(const Persona& persona, uint32_t seed)
        : mPersona(persona), mRandom(seed), mDealSeed(seed) {
        mTimeScope = std::make_unique<platform::ScopedTimeSource>(mTime);
        mClock.Start();
        gGameClock = &mClock;
        mDeal = std::make_unique<ScopedGameRandom>(mDealSeed);
        mUser = std::make_unique<dtUserState>();
        mFakes.progress.user = mUser.get();
        mServices = std::make_unique<ScopedLevelServices>(mFakes.Services());
        mFakes.states.values["pause"] = "0";
        mScreen = std::make_unique<FakeBoardScreen>(true);
        mGame = std::make_unique<gmCorvalo>(mScreen.get());
        gCurrentGame = mGame.get();
    }
    ~Game() {
        gCurrentGame = nullptr;
        mGame.reset();
        mScreen.reset();
        mServices.reset();
        mUser.reset();
        gGameClock = nullptr;
    }

    // Plays the level (1-based within the difficulty) to its end: true when
    // won; the game time in `ms`.
    bool Play(const Mode& mode, int difficulty, int level, uint32_t& ms) {
        mUser->modeLevel[mode.id][difficulty] =
            mode.id == kModeRome ? gGameTuning.rome.index[difficulty] + level - 1 : level;
        mUser->modeLives[mode.id][difficulty] = 3;
        mUser->levelOffset = 0;
        mFakes.scripts.SetGame(mode.name, "quick", kDifficulties[difficulty]);
        mGame->gfn_CreateLevel();
        ms = 0;
        if (!Level())
            return false;
        mJoker = dynamic_cast<lvCorvaloJoker*>(Level());
        mRome = dynamic_cast<lvCorvaloRome*>(Level());
        uint32_t next = Pace();
        while (!Decided() && ms < kLongestGameMs) {
            Frame();
            ms += kFrameMs;
            Observe();
            if (ms < next || !Level()->IsInputEnabled())
                continue;
            if (mJoker ? ClickJoker() : Click())
                next = ms + Pace();
        }
        if (mJoker)
            return mJoker->IsRoundOver() && mJoker->GetRoundResult() == lvCorvaloJoker::kRoundWon;
        return Level()->IsEnded() && Level()->GetOutcome() == lvCorvaloLevel::kWon;
    }

private:
    lvCorvaloLevel* Level() const { return dynamic_cast<lvCorvaloLevel*>(mGame->GetLevel()); }
    // A Joker round is decided by its first wrong card or its last good
    // one; what follows (the celebration, the next level) is the screen's.
    bool Decided() const { return mJoker ? mJoker->IsRoundOver() : Level()->IsEnded(); }
    bool Marked(int slot) const {
        return mRome && slot < static_cast<int>(mRome->GetMarks().size()) &&
               mRome->GetMarks()[slot] != 0;
    }
    BoardSlots& Slots() const { return mUser->GetLevelState()->GetSlots(); }

    uint32_t Pace() {
        std::uniform_int_distribution<uint32_t> pace(mPersona.fastestMs, mPersona.slowestMs);
        return pace(mRandom);
    }

    void Frame() {
        mTime.Advance(kFrameMs);
        BoardSlots& s = Slots();
        for (int slot = 0; slot < s.Size(); ++slot)
            if (auto* tile = dynamic_cast<FakeBoardTile*>(s.tile[slot])) {
                tile->FinishAnimation();
                tile->FinishMove();
                tile->FinishClip();
                tile->falling = false;
            }
        mGame->Update(kFrameMs);
    }

    bool Clickable(int slot) const {
        const BoardSlots& s = Slots();
        if (s.kind[slot] == 0 || !s.tile[slot] || s.busy[slot] != 0)
            return false;
        if (s.kind[slot] > kTileMushroom)
            return true;
        if (s.command[slot] != kCmdNone)
            return false;
        return !mClassic || s.state[slot] == 0 || s.state[slot] == kTileStateFaint;
    }

    // What the screen shows now goes into memory, the latest last; what no
    // longer stands where it was is forgotten.
    void Observe() {
        if (mPersona.memory == 0)
            return;
        if (mJoker) {
            ObserveJoker();
            return;
        }
        const BoardSlots& s = Slots();
        std::erase_if(mMemory, [&](const Seen& seen) {
            return !s.Contains(seen.slot) || s.tile[seen.slot] != seen.tile;
        });
        const int first = Level()->GetGeometry()->col;
        for (int slot = first; slot < s.Size(); ++slot) {
            const BoardTile* tile = s.tile[slot];
            if (!tile || s.kind[slot] == 0 || !ShowsFace(tile->GetState()))
                continue;
            auto known = std::find_if(mMemory.begin(), mMemory.end(),
                                      [&](const Seen& seen) { return seen.slot == slot; });
            if (known != mMemory.end()) {
                if (known == mMemory.end() - 1)
                    continue;
                mMemory.erase(known);
            }
            mMemory.push_back({slot, tile, s.kind[slot]});
            while (mMemory.size() > mPersona.memory)
                mMemory.pop_front();
        }
    }

    // While the round's cards are shown, where the good ones lie.
    void ObserveJoker() {
        if (!mJoker->IsIntroRunning())
            return;
        const BoardSlots& s = Slots();
        for (int slot = Level()->GetGeometry()->col; slot < s.Size(); ++slot) {
            if (s.kind[slot] != mJoker->GetFaceKind() || mMemory.size() >= mPersona.memory)
                continue;
            if (std::none_of(mMemory.begin(), mMemory.end(),
                             [&](const Seen& seen) { return seen.slot == slot; }))
                mMemory.push_back({slot, s.tile[slot], s.kind[slot]});
        }
    }

    // A remembered good card not clicked yet, else a guess among the cards
    // not clicked.
    bool ClickJoker() {
        const std::vector<int>& clicked = mJoker->GetClickList();
        auto fresh = [&](int slot) {
            return std::find(clicked.begin(), clicked.end(), slot) == clicked.end();
        };
        for (const Seen& seen : mMemory)
            if (fresh(seen.slot)) {
                ClickSlot(seen.slot);
                return true;
            }
        const BoardSlots& s = Slots();
        std::vector<int> open;
        for (int slot = Level()->GetGeometry()->col; slot < s.Size(); ++slot)
            if (s.kind[slot] != 0 && s.tile[slot] && fresh(slot) &&
                std::none_of(mMemory.begin(), mMemory.end(),
                             [&](const Seen& seen) { return seen.slot == slot; }))
                open.push_back(slot);
        if (open.empty())
            return false;
        std::uniform_int_distribution<size_t> pick(0, open.size() - 1);
        ClickSlot(open[pick(mRandom)]);
        return true;
    }

    // A remembered slot of the kind, clickable and not `other`; -1 if none.
    int Remembered(int kind, int other) const {
        for (auto it = mMemory.rbegin(); it != mMemory.rend(); ++it)
            if (it->kind == kind && it->slot != other && Clickable(it->slot))
                return it->slot;
        return -1;
    }

    int RandomOpen(int other) {
        std::vector<int> open;
        const BoardSlots& s = Slots();
        const int first = Level()->GetGeometry()->col;
        for (int slot = first; slot < s.Size(); ++slot)
            if (slot != other && Clickable(slot))
                open.push_back(slot);
        if (open.empty())
            return -1;
        // Tiles it does not know first.
        std::vector<int> unknown;
        for (int slot : open)
            if (std::none_of(mMemory.begin(), mMemory.end(),
                             [&](const Seen& seen) { return seen.slot == slot; }))
                unknown.push_back(slot);
        // On Rome, marked tiles first.
        std::vector<int> marked;
        for (int slot : unknown.empty() ? open : unknown)
            if (Marked(slot))
                marked.push_back(slot);
        const std::vector<int>& pool = !marked.empty() ? marked : unknown.empty() ? open : unknown;
        std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
        return pool[pick(mRandom)];
    }

    // One click; false when there was nothing to click.
    bool Click() {
        mClassic = Level()->GetGeometry() && dynamic_cast<lvCorvaloClassic*>(Level()) != nullptr;
        const BoardSlots& s = Slots();
        int slot = -1;
        if (mFirst >= 0 && (!s.Contains(mFirst) || s.kind[mFirst] == 0))
            mFirst = -1;
        if (mFirst >= 0) {
            // The second of a pair: the first's face from memory.
            slot = mPlanned >= 0 && Clickable(mPlanned) ? mPlanned : -1;
            if (slot < 0 && mPersona.memory > 0 && s.kind[mFirst] <= kTileMushroom)
                slot = Remembered(s.kind[mFirst], mFirst);
            if (slot < 0)
                slot = RandomOpen(mFirst);
            mFirst = -1;
            mPlanned = -1;
        } else {
            // A known pair (on Rome one on a mark first), or a power tile.
            for (int pass = mRome ? 0 : 1; pass < 2 && slot < 0 && mPersona.memory > 0; ++pass) {
                for (auto it = mMemory.rbegin(); it != mMemory.rend() && slot < 0; ++it) {
                    if (!Clickable(it->slot))
                        continue;
                    if (it->kind == kTileSidewinder || it->kind == kTileShowtime ||
                        it->kind == kTileFreeze) {
                        slot = it->slot;
                        break;
                    }
                    // Two wilds or two bombs only go back: a pair is of a face.
                    const int mate =
                        it->kind <= kTileMushroom ? Remembered(it->kind, it->slot) : -1;
                    if (mate >= 0 && (pass == 1 || Marked(it->slot) || Marked(mate))) {
                        slot = it->slot;
                        mPlanned = mate;
                    }
                }
            }
            if (slot < 0)
                slot = RandomOpen(-1);
            if (slot >= 0 && s.kind[slot] != kTileSidewinder && s.kind[slot] != kTileShowtime &&
                s.kind[slot] != kTileFreeze)
                mFirst = slot;
        }
        if (slot < 0) {
            mFirst = -1;
            return false;
        }
        ClickSlot(slot);
        return true;
    }

    // A click on the slot's tile through the level's hit test.
    void ClickSlot(int slot) {
        BoardSlots& s = Slots();
        for (int i = 0; i < s.Size(); ++i)
            if (auto* tile = dynamic_cast<FakeBoardTile*>(s.tile[i]))
                tile->hitSize = 0.0f;
        auto* tile = dynamic_cast<FakeBoardTile*>(s.tile[slot]);
        if (!tile)
            return;
        tile->hitLeft = 10.0f;
        tile->hitTop = 20.0f;
        tile->hitSize = 4.0f;
        mGame->OnMouseDown(Level()->GetBoardX() + 11, Level()->GetBoardY() + 21);
    }

    struct Seen {
        int slot;
        const BoardTile* tile;
        int kind;
    };

    const Persona& mPersona;
    std::mt19937 mRandom;
    uint32_t mDealSeed;
    platform::ManualTimeSource mTime{1000};
    std::unique_ptr<platform::ScopedTimeSource> mTimeScope;
    TClock mClock;
    std::unique_ptr<ScopedGameRandom> mDeal;
    ScopedFakeTileMaker mMaker;
    FakeLevelServices mFakes;
    std::unique_ptr<ScopedLevelServices> mServices;
    std::unique_ptr<dtUserState> mUser;
    std::unique_ptr<FakeBoardScreen> mScreen;
    std::unique_ptr<gmCorvalo> mGame;
    std::deque<Seen> mMemory;
    int mFirst = -1;
    int mPlanned = -1;
    bool mClassic = false;
    lvCorvaloJoker* mJoker = nullptr;
    lvCorvaloRome* mRome = nullptr;
};

// The quick-play levels of the mode at the difficulty.
int LevelCount(const Mode& mode, int difficulty) {
    switch (mode.id) {
    case kModeClassic:
        return GetClassicLevelCount();
    case kModeBlitz:
        return GetBlitzLevelCount();
    case kModeStrategy:
        return GetStrategyLevelCount();
    case kModeRome: {
        // Each difficulty's records run up to the next one's start index,
        // hard's to the end of the table.
        const auto& index = gGameTuning.rome.index;
        const int end = difficulty < 2 ? index[difficulty + 1] : GetRomeLevelCount() + 1;
        return std::max(0, end - index[difficulty]);
    }
    case kModeJoker:
        // A level at the difficulty's limit starts quick play over.
        return std::max(0, gGameTuning.joker.index[difficulty] - 1);
    default:
        return 0;
    }
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = CORVALO_SOURCE_ASSETS;
    int seeds = 10;
    std::vector<std::string> picked;
    std::vector<std::string> modes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seeds" && i + 1 < argc)
            seeds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--levels" && i + 1 < argc)
            picked = Split(argv[++i]);
        else if (arg == "--modes" && i + 1 < argc)
            modes = Split(argv[++i]);
        else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr,
                         "usage: %s [ASSETS_DIR] [--seeds N] [--levels 1,5,last] [--modes A,B]\n",
                         argv[0]);
            return 2;
        } else
            folder = arg;
    }
    const TString data(("::" + folder).c_str());
    ResetGameData();
    vlkXmlData config(data + TString("/config.xml"));
    ReadGameTuning(config);
    LoadConfigTables(config, data);
    LoadModeFiles(data);
    if (GetClassicLevelCount() == 0) {
        std::fprintf(stderr, "no level tables in %s\n", folder.c_str());
        return 1;
    }

    std::printf("Quick games of the levels in %s, %d seeds each: wins / games and the mean game "
                "time (s) of each persona.\n\n",
                folder.c_str(), seeds);
    std::printf("%-9s %-7s %5s", "mode", "diff", "level");
    for (const Persona& persona : kPersonas)
        std::printf(" | %-8s %6s", persona.name, "time");
    std::printf("\n");
    for (const Mode& mode : kModes) {
        if (!modes.empty() && std::find(modes.begin(), modes.end(), mode.name) == modes.end())
            continue;
        for (int d = 0; d < 3; ++d) {
            const int count = LevelCount(mode, d);
            std::vector<int> levels;
            for (int level = 1; level <= count; ++level) {
                const bool wanted = picked.empty() ||
                                    std::find(picked.begin(), picked.end(),
                                              std::to_string(level)) != picked.end() ||
                                    (level == count && std::find(picked.begin(), picked.end(),
                                                                 "last") != picked.end());
                if (wanted)
                    levels.push_back(level);
            }
            for (int level : levels) {
                std::printf("%-9s %-7s %5d", mode.name, kDifficulties[d], level);
                for (const Persona& persona : kPersonas) {
                    int wins = 0;
                    double seconds = 0.0;
                    for (int seed = 0; seed < seeds; ++seed) {
                        Game game(persona, 1000u + static_cast<uint32_t>(seed) * 7919u);
                        uint32_t ms = 0;
                        wins += game.Play(mode, d, level, ms) ? 1 : 0;
                        seconds += ms / 1000.0;
                    }
                    std::printf(" | %3d/%-4d %6.1f", wins, seeds, seconds / seeds);
                }
                std::printf("\n");
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
