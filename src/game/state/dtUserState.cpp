#include "game/state/dtUserState.h"

#include "framework/core/log/TLog.h"
#include "game/progress/clsMetamap.h"
#include "game/state/dtLevelState.h"
#include "velk/game/GameTuning.h"

#include <algorithm>

namespace {

const char* ModeWord(int mode) {
    switch (mode) {
    case kModeClassic:
        return "Classic";
    case kModeStrategy:
        return "Strategy";
    case kModeBlitz:
        return "Blitz";
    case kModeJoker:
        return "Joker";
    case kModeRome:
        return "Rome";
    default:
        return "?";
    }
}

} // namespace

dtUserState::dtUserState() {
    lives = gGameTuning.game.lives;
    for (int mode = kModeClassic; mode < kModeIdCount; ++mode) {
        modeLevel[mode].fill(1);
        modeLives[mode].fill(gGameTuning.game.lives);
    }
    for (int d = 0; d < 3; ++d)
        modeLevel[kModeRome][d] = gGameTuning.rome.index[d];
}

dtUserState::~dtUserState() = default;

void dtUserState::SetMetamap(std::unique_ptr<clsMetamap> map) {
    mMetamap = std::move(map);
    if (mMetamap)
        mMetamap->SetOwner(this);
}

dtLevelState* dtUserState::NewLevelState(int newMode, int startLevel, int offset, int tableSize,
                                         int& recordIndex) {
    mode = newMode;
    levelScore = 0;
    level = startLevel + offset;
    const int number = infiniteLevel < 1 ? level : level - infiniteLevel + 1;
    mLevelState.reset();
    if (tableSize <= 0) {
        LogPrintf("dtUserState: the %s level table is empty; level %d cannot start",
                  ModeWord(newMode), number);
        return nullptr;
    }
    recordIndex = std::clamp(number - 1, 0, tableSize - 1);
    if (recordIndex != number - 1)
        LogPrintf("dtUserState: %s level %d is outside the level table (1 to %d); level %d's "
                  "record is used",
                  ModeWord(newMode), number, tableSize, recordIndex + 1);
    mLevelState = std::make_unique<dtLevelState>(number);
    return mLevelState.get();
}

bool dtUserState::StartClassicLevel(int startLevel, int offset) {
    int index = 0;
    dtLevelState* state =
        NewLevelState(kModeClassic, startLevel, offset, GetClassicLevelCount(), index);
    if (!state)
        return false;
    state->classic = GetClassicLevel(index);
    state->SetDifficulty(state->classic->mode);
    quota = state->classic->quota;
    return true;
}

bool dtUserState::StartStrategyLevel(int startLevel, int offset) {
    int index = 0;
    dtLevelState* state =
        NewLevelState(kModeStrategy, startLevel, offset, GetStrategyLevelCount(), index);
    if (!state)
        return false;
    state->strategy = GetStrategyLevel(index);
    state->SetDifficulty(state->strategy->mode);
    quota = state->strategy->quota;
    return true;
}

bool dtUserState::StartBlitzLevel(int startLevel, int offset) {
    int index = 0;
    dtLevelState* state =
        NewLevelState(kModeBlitz, startLevel, offset, GetBlitzLevelCount(), index);
    if (!state)
        return false;
    state->blitz = GetBlitzLevel(index);
    state->SetDifficulty(state->blitz->mode);
    quota = state->blitz->quota;
    return true;
}

bool dtUserState::StartRomeLevel(int startLevel, int offset) {
    int index = 0;
    dtLevelState* state = NewLevelState(kModeRome, startLevel, offset, GetRomeLevelCount(), index);
    if (!state)
        return false;
    state->rome = GetRomeLevel(index);
    state->SetDifficulty(state->rome->mode);
    quota = 0;
    return true;
}

bool dtUserState::StartJokerLevel(int startLevel) {
    mode = kModeJoker;
    mLevelState.reset();
    const int count = GetJokerLevelCount();
    if (count <= 0) {
        LogPrintf("dtUserState: the Joker level table is empty; level %d cannot start", startLevel);
        return false;
    }
    const int index = std::clamp(startLevel - 1, 0, count - 1);
    if (index != startLevel - 1)
        LogPrintf("dtUserState: Joker level %d is outside the level table (1 to %d); level %d's "
                  "record is used",
                  startLevel, count, index + 1);
    mLevelState = std::make_unique<dtLevelState>(startLevel);
    mLevelState->joker = GetJokerLevel(index);
    mLevelState->SetDifficulty(mLevelState->joker->mode);
    quota = startLevel + 1;
    return true;
}

bool dtUserState::StartJokerQuickLevel(int startLevel, int difficultyIndex) {
    if (difficultyIndex < 0 || difficultyIndex > 2)
        LogPrintf("dtUserState: Joker difficulty %d is not 0 to 2; %d is used", difficultyIndex,
                  std::clamp(difficultyIndex, 0, 2));
    difficultyIndex = std::clamp(difficultyIndex, 0, 2);
    mode = kModeJoker;
    levelScore = 0;
    mLevelState = std::make_unique<dtLevelState>(startLevel);
    // Quick play reads this record's mode as the board layout's index.
    mCustomJoker = std::make_unique<TJokerLevelRecord>(
        TJokerLevelRecord{startLevel, difficultyIndex, 0, 0, startLevel, TString()});
    mLevelState->joker = mCustomJoker.get();
    mLevelState->SetDifficulty(difficultyIndex + 1);
    level = startLevel;
    quota = startLevel + 1;
    return true;
}

void dtUserState::ResetForNewGame() {
    level = 1;
    roundCounter = 1;
    lives = gGameTuning.game.lives;
    bestCombo = 0;
    levelScore = 0;
    totalScore = 0;
    levelOffset = 0;
    infiniteLevel = 0;
    extraScore = 0;
}

void dtUserState::AddDifficultyFlag(int modeId, int flag) {
    if (flag != 1 && flag != 2 && flag != 4)
        return;
    if (modeId < kModeClassic || modeId >= kModeIdCount)
        return;
    questDifficultyBits[modeId] |= flag;
}
