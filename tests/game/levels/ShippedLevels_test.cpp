// The shipped levels played by bots: a paced player with perfect memory
// wins the first and the last record of each difficulty of Classic and
// Blitz; an idle player and a random clicker lose.

#include "game/levels/lvCorvaloClassic.h"

#include "game/support/LevelFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using leveltest::LevelTest;

constexpr uint32_t kPace = 1600; // ms per pair of clicks

enum class Bot { kPaced, kIdle, kRandom };

class ShippedLevelsTest : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        support::LoadGameDataSet(
            TString(("::" + std::string(CORVALO_TEST_DATA) + "/../../assets").c_str()));
    }

    bool Clickable(int slot, bool classic) const {
        const BoardSlots& s = Slots();
        if (s.kind[slot] == 0 || !s.tile[slot] || s.busy[slot] != 0)
            return false;
        if (s.kind[slot] > kTileMushroom)
            return true;
        if (s.command[slot] != kCmdNone)
            return false;
        return !classic || s.state[slot] == 0 || s.state[slot] == kTileStateFaint;
    }

    // The clicks of one move of a player who knows every tile.
    std::vector<int> PerfectMove(bool classic) const {
        const BoardSlots& s = Slots();
        const int first = Level()->GetGeometry()->col;
        std::vector<int> byKind[kTileKindCount];
        for (int slot = first; slot < s.Size(); ++slot)
            if (Clickable(slot, classic))
                byKind[s.kind[slot]].push_back(slot);
        for (int kind = kTileStar; kind <= kTileMushroom; ++kind)
            if (byKind[kind].size() >= 2)
                return {byKind[kind][0], byKind[kind][1]};
        for (int kind : {kTileSidewinder, kTileShowtime, kTileFreeze})
            if (!byKind[kind].empty())
                return {byKind[kind][0]};
        if (!byKind[kTileBomb].empty())
            for (int kind = kTileStar; kind <= kTileMushroom; ++kind)
                if (!byKind[kind].empty())
                    return {byKind[kind][0], byKind[kTileBomb][0]};
        return {};
    }

    std::vector<int> RandomMove(bool classic) {
        std::vector<int> open;
        const int first = Level()->GetGeometry()->col;
        for (int slot = first; slot < Slots().Size(); ++slot)
            if (Clickable(slot, classic))
                open.push_back(slot);
        std::shuffle(open.begin(), open.end(), mRandomClicks);
        open.resize(std::min<size_t>(open.size(), 2));
        return open;
    }

    // Plays a quick game of the record `level` (1-based) to its end;
    // true when it was won.
    bool PlayGame(const char* mode, const char* difficulty, int level, Bot bot) {
        const int modeId = std::string(mode) == "Classic" ? kModeClassic : kModeBlitz;
        const int d = std::string(difficulty) == "easy"     ? 0
                      : std::string(difficulty) == "medium" ? 1
                                                            : 2;
        user->modeLevel[modeId][d] = level;
        user->modeLives[modeId][d] = 3;
        user->levelOffset = 0;
        Open(mode, "quick", difficulty);
        EXPECT_NE(nullptr, Level());
        if (!Level())
            return false;
        const bool classic = modeId == kModeClassic;
        uint32_t now = 0;
        uint32_t next = 0;
        for (int frame = 0; frame < 40000 && !Level()->IsEnded(); ++frame) {
            Frame();
            now += 16;
            if (bot == Bot::kIdle || now < next || !Level()->IsInputEnabled())
                continue;
            const std::vector<int> move =
                bot == Bot::kPaced ? PerfectMove(classic) : RandomMove(classic);
            if (move.empty()) {
                if (classic && Classic()->IsNewRowAllowed())
                    Classic()->OnKeyDown(' ', 0);
                continue;
            }
            for (int slot : move) {
                Click(slot);
                Frame();
                now += 16;
            }
            next = now + kPace;
        }
        EXPECT_TRUE(Level()->IsEnded()) << mode << " " << difficulty << " " << level;
        return Level()->GetOutcome() == lvCorvaloLevel::kWon;
    }

    lvCorvaloClassic* Classic() const { return dynamic_cast<lvCorvaloClassic*>(Level()); }

    std::mt19937 mRandomClicks{7};
};

TEST_F(ShippedLevelsTest, APacedPlayerWithPerfectMemoryWinsTheFirstAndLastRecords) {
    for (const char* mode : {"Classic", "Blitz"}) {
        const int last =
            std::string(mode) == "Classic" ? GetClassicLevelCount() : GetBlitzLevelCount();
        ASSERT_GT(last, 1);
        for (const char* difficulty : {"easy", "medium", "hard"})
            for (int level : {1, last})
                EXPECT_TRUE(PlayGame(mode, difficulty, level, Bot::kPaced))
                    << mode << " " << difficulty << " level " << level;
    }
}

TEST_F(ShippedLevelsTest, AnIdlePlayerLosesAndARandomOneLosesTheLastRecords) {
    for (const char* mode : {"Classic", "Blitz"}) {
        const int last =
            std::string(mode) == "Classic" ? GetClassicLevelCount() : GetBlitzLevelCount();
        for (const char* difficulty : {"easy", "medium", "hard"}) {
            for (int level : {1, last})
                EXPECT_FALSE(PlayGame(mode, difficulty, level, Bot::kIdle))
                    << mode << " " << difficulty << " level " << level;
            EXPECT_FALSE(PlayGame(mode, difficulty, last, Bot::kRandom))
                << mode << " " << difficulty << " level " << last;
        }
    }
}

} // namespace
