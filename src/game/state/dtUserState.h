#pragma once

#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "velk/state/vlkUserState.h"

#include <array>
#include <cstdint>
#include <memory>

class clsMetamap;
class dtLevelState;

// The player's progress: what the profile store saves key by key, and the
// state of the level being played, which the level starters replace.
// Per-mode values are arrays by mode id (1 Classic, 2 Strategy, 3 Blitz,
// 4 Joker, 5 Rome; row 0 unused) and difficulty index (0 easy, 1 medium,
// 2 hard).
class dtUserState : public vlkUserState {
public:
    using PerDifficulty = std::array<int32_t, 3>;
    using PerMode = std::array<PerDifficulty, kModeIdCount>;

    // Lives from the tuning block's game.lives; the Rome levels start at
    // the Rome start levels.
    dtUserState();
    ~dtUserState() override;
    dtUserState(const dtUserState&) = delete;
    dtUserState& operator=(const dtUserState&) = delete;

    // The level starters: each sets the mode and replaces the level state.
    // The record is that of level + offset (less the infinite level's
    // distance past the table); a level past the table takes its last
    // record (logged). False, with no level state, for an empty table.
    bool StartClassicLevel(int level, int offset);
    bool StartBlitzLevel(int level, int offset);
    bool StartStrategyLevel(int level, int offset);
    bool StartRomeLevel(int level, int offset);
    // Joker from the table: the record of `level`.
    bool StartJokerLevel(int level);
    // Joker of quick play: a record of the user state's own for `level` at
    // the difficulty index (0-2).
    bool StartJokerQuickLevel(int level, int difficultyIndex);
    // A new game: level 1, lives from the tuning block, scores, combo,
    // offset and infinite level 0.
    void ResetForNewGame();
    // ORs flag 1, 2 or 4 into the quest difficulty bits of a mode (1-5);
    // other values change nothing.
    void AddDifficultyFlag(int mode, int flag);

    dtLevelState* GetLevelState() const { return mLevelState.get(); }
    // The player's quest map; null until the profile store gives one.
    clsMetamap* GetMetamap() const { return mMetamap.get(); }
    // Takes the map and makes this state the one its completions update.
    void SetMetamap(std::unique_ptr<clsMetamap> map);
    const TJokerLevelRecord* GetCustomJokerRecord() const { return mCustomJoker.get(); }

    int32_t mode = 0;
    int32_t avatar = 0;
    // The tiles still to clear (the record's quota; level + 1 in Joker).
    int32_t quota = 0;
    int32_t level = 1;
    // Joker rounds played in the current quest level.
    int32_t roundCounter = 1;
    int32_t lives = 0;
    int32_t bestCombo = 0;
    int32_t levelScore = 0;
    int32_t totalScore = 0;
    // Added to the level number by the starters: 1 after a won quick-play
    // level.
    int32_t levelOffset = 0;
    int32_t infiniteLevel = 0;
    int32_t allQuest = 0;
    int32_t halfQuest = 0;

    // Achievement counters.
    int32_t combo25 = 0;
    int32_t combo50 = 0;
    int32_t chain20 = 0;
    int32_t bomb = 0;
    int32_t freeze = 0;
    int32_t wild = 0;
    int32_t sidewinder = 0;
    int32_t showtime = 0;
    int32_t screen1 = 0;
    int32_t screen5 = 0;

    // Quick-play difficulties played, bits 1 easy, 2 medium, 4 hard.
    std::array<int32_t, kModeIdCount> quickDifficultyBits{};
    // Two spare words, the score-achievement flag and the extra score that
    // completing a quest node adds to the level score.
    int32_t spareWord0 = 0;
    int32_t spareWord1 = 0;
    int32_t scoreAchieved = 0;
    int32_t extraScore = 0;

    PerMode score{};
    PerMode highScore{};
    PerMode modeLevel{};
    PerMode modeBestCombo{};
    PerMode modeLives{};

    int32_t instructionsShown = 0;
    // Quest difficulties completed, bits 1, 2, 4.
    std::array<int32_t, kModeIdCount> questDifficultyBits{};
    uint8_t catUnlocked = 0;
    uint8_t dogUnlocked = 0;

private:
    // The level number of the record that level + offset plays, with the
    // infinite level taken off, and the new level state for it.
    dtLevelState* NewLevelState(int mode, int level, int offset, int tableSize, int& recordIndex);

    std::unique_ptr<dtLevelState> mLevelState;
    std::unique_ptr<TJokerLevelRecord> mCustomJoker;
    std::unique_ptr<clsMetamap> mMetamap;
};
