// The shipped Strategy, Rome and Joker levels played by bots: a paced
// player with perfect memory wins the first and the last record of each
// difficulty; a random clicker loses those of Rome and Joker, and an idle
// player loses Rome's clock. (Strategy has no clock, and its misses are
// forgiving enough that a random clicker can win.)

#include "game/levels/lvCorvaloJoker.h"
#include "game/levels/lvCorvaloRome.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using leveltest::LevelTest;

constexpr uint32_t kPace = 1600; // ms per move

enum class Bot { kPaced, kIdle, kRandom };

class ShippedModesTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        support::LoadGameDataSet(
            TString(("::" + std::string(CORVALO_TEST_DATA) + "/../../assets").c_str()));
    }

    bool Clickable(int slot) const {
        const BoardSlots& s = Slots();
        return s.kind[slot] != 0 && s.tile[slot] && s.busy[slot] == 0 &&
               s.command[slot] == kCmdNone;
    }
    bool MarkedSlot(int slot) const {
        const auto* rome = dynamic_cast<const lvCorvaloRome*>(Level());
        return rome && rome->GetMarks()[static_cast<size_t>(slot)] != 0;
    }

    // One move of a player who knows every tile: a pair (on marks first),
    // else a power-up.
    std::vector<int> PerfectMove() const {
        if (const auto* joker = dynamic_cast<const lvCorvaloJoker*>(Level())) {
            for (int slot : SlotsOfKind(joker->GetFaceKind()))
                if (std::find(joker->GetClickList().begin(), joker->GetClickList().end(), slot) ==
                    joker->GetClickList().end())
                    return {slot};
            return {};
        }
        const BoardSlots& s = Slots();
        const int first = Level()->GetGeometry()->col;
        std::vector<int> byKind[kTileKindCount];
        for (int slot = first; slot < s.Size(); ++slot)
            if (Clickable(slot))
                byKind[s.kind[slot]].push_back(slot);
        std::vector<int> best;
        int bestMarks = -1;
        for (int kind = kTileStar; kind <= kTileMushroom; ++kind) {
            std::vector<int>& slots = byKind[kind];
            if (slots.size() < 2)
                continue;
            std::stable_partition(slots.begin(), slots.end(),
                                  [&](int slot) { return MarkedSlot(slot); });
            const int marks = MarkedSlot(slots[0]) + MarkedSlot(slots[1]);
            if (marks > bestMarks) {
                bestMarks = marks;
                best = {slots[0], slots[1]};
            }
        }
        if (!best.empty())
            return best;
        for (int kind : {kTileSidewinder, kTileShowtime, kTileFreeze})
            if (!byKind[kind].empty())
                return {byKind[kind][0]};
        if (!byKind[kTileBomb].empty())
            for (int kind = kTileStar; kind <= kTileMushroom; ++kind)
                if (!byKind[kind].empty())
                    return {byKind[kind][0], byKind[kTileBomb][0]};
        return {};
    }

    std::vector<int> RandomMove() {
        std::vector<int> open;
        const int first = Level()->GetGeometry()->col;
        const bool joker = dynamic_cast<const lvCorvaloJoker*>(Level()) != nullptr;
        for (int slot = first; slot < Slots().Size(); ++slot)
            if (joker ? Slots().kind[slot] != 0 : Clickable(slot))
                open.push_back(slot);
        std::shuffle(open.begin(), open.end(), mRandomClicks);
        open.resize(std::min<size_t>(open.size(), 2));
        return open;
    }

    // Plays a quick game of `level` to its end (a Joker round to its
    // result); true when it was won.
    bool PlayGame(const char* mode, int modeId, const char* difficulty, int level, Bot bot) {
        const int d = std::string(difficulty) == "easy"     ? 0
                      : std::string(difficulty) == "medium" ? 1
                                                            : 2;
        user->modeLevel[modeId][d] = level;
        user->modeLives[modeId][d] = 3;
        user->levelOffset = 0;
        game->SetLevel(nullptr);
        Open(mode, "quick", difficulty);
        EXPECT_NE(nullptr, Level());
        if (!Level())
            return false;
        auto* joker = dynamic_cast<lvCorvaloJoker*>(Level());
        auto over = [&] { return joker ? joker->IsRoundOver() : Level()->IsEnded(); };
        uint32_t now = 0;
        uint32_t next = 0;
        for (int frame = 0; frame < 40000 && !over(); ++frame) {
            Frame();
            now += 16;
            if (bot == Bot::kIdle || now < next || !Level()->IsInputEnabled())
                continue;
            for (int slot : bot == Bot::kPaced ? PerfectMove() : RandomMove()) {
                Click(slot);
                Frame();
                now += 16;
            }
            next = now + kPace;
        }
        EXPECT_TRUE(over()) << mode << " " << difficulty << " " << level;
        return joker ? joker->GetRoundResult() == lvCorvaloJoker::kRoundWon
                     : Level()->GetOutcome() == lvCorvaloLevel::kWon;
    }

    struct Mode {
        const char* name;
        int id;
    };
    // The first and last quick-play levels of a mode at a difficulty.
    std::vector<int> Levels(int modeId, int d) const {
        switch (modeId) {
        case kModeStrategy:
            return {1, GetStrategyLevelCount()};
        case kModeRome: {
            const auto& start = gGameTuning.rome.index;
            return {start[static_cast<size_t>(d)],
                    (d < 2 ? start[static_cast<size_t>(d) + 1] : GetRomeLevelCount() + 1) - 1};
        }
        default:
            return {1, gGameTuning.joker.index[static_cast<size_t>(d)] - 1};
        }
    }

    static constexpr Mode kModes[] = {
        {"Strategy", kModeStrategy}, {"Rome", kModeRome}, {"Joker", kModeJoker}};
    static constexpr const char* kDifficulties[] = {"easy", "medium", "hard"};

    std::mt19937 mRandomClicks{7};
};

TEST_F(ShippedModesTest, APacedPlayerWithPerfectMemoryWinsTheFirstAndLastRecords) {
    for (const Mode& mode : kModes)
        for (int d = 0; d < 3; ++d)
            for (int level : Levels(mode.id, d))
                EXPECT_TRUE(PlayGame(mode.name, mode.id, kDifficulties[d], level, Bot::kPaced))
                    << mode.name << " " << kDifficulties[d] << " level " << level;
}

TEST_F(ShippedModesTest, ARandomPlayerLosesAndAnIdleOneLosesTheClock) {
    for (const Mode& mode : {kModes[1], kModes[2]})
        for (int d = 0; d < 3; ++d)
            for (int level : Levels(mode.id, d)) {
                EXPECT_FALSE(PlayGame(mode.name, mode.id, kDifficulties[d], level, Bot::kRandom))
                    << mode.name << " " << kDifficulties[d] << " level " << level;
                if (mode.id == kModeRome) {
                    EXPECT_FALSE(PlayGame(mode.name, mode.id, kDifficulties[d], level, Bot::kIdle))
                        << mode.name << " " << kDifficulties[d] << " level " << level;
                }
            }
}

} // namespace
