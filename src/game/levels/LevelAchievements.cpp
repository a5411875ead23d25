#include "game/levels/LevelAchievements.h"

#include "game/progress/QuestMap.h"
#include "game/state/dtUserState.h"
#include "velk/game/GameTuning.h"

#include <cstdio>

namespace {

int Threshold(TGameTuning::Achievement which) {
    return gGameTuning.achieve.thresholds[which];
}

} // namespace

LevelAchievements::LevelAchievements(int modeAchievement) : mModeAchievement(modeAchievement) {}

TString LevelAchievements::Label(int number) {
    char text[32];
    std::snprintf(text, sizeof text, "Achieve Game %d", number);
    return TString(text);
}

int LevelAchievements::UnlockedNodes(const QuestMap& map) {
    int unlocked = 0;
    for (int i = 0; i < map.GetNodeCount(); ++i)
        if (!map.IsNodeLocked(i))
            ++unlocked;
    return unlocked;
}

bool LevelAchievements::Holds(Flag flag, const Context& c) const {
    const dtUserState& u = *c.user;
    switch (flag) {
    case kAllQuest:
        return c.questMap && c.questMap->GetNodeCount() > 0 &&
               UnlockedNodes(*c.questMap) >= c.questMap->GetNodeCount() - 1;
    case kHalfQuest:
        return c.questMap && c.questMap->GetNodeCount() > 0 &&
               UnlockedNodes(*c.questMap) == c.questMap->GetNodeCount() / 2;
    case kCombo25:
        return u.combo25 > 0;
    case kCombo50:
        return u.combo50 > 0;
    case kChain20:
        return u.chain20 > 0;
    case kScore:
        return c.score > Threshold(TGameTuning::kScore);
    case kBomb:
        return u.bomb >= Threshold(TGameTuning::kBomb);
    case kFreeze:
        return u.freeze >= Threshold(TGameTuning::kFreeze);
    case kWild:
        return u.wild >= Threshold(TGameTuning::kWild);
    case kSidewinder:
        return u.sidewinder >= Threshold(TGameTuning::kSidewinder);
    case kShowtime:
        return u.showtime >= Threshold(TGameTuning::kShowtime);
    case kScreen1:
        return u.screen1 >= Threshold(TGameTuning::kScreen1);
    case kScreen5:
        return u.screen5 >= Threshold(TGameTuning::kScreen5);
    case kModeOwn:
        return c.modeBits == 7;
    case kCat:
        return u.catUnlocked != 0;
    case kDog:
        return u.dogUnlocked != 0;
    case kFlagCount:
        break;
    }
    return false;
}

void LevelAchievements::Init(const Context& c) {
    const dtUserState& u = *c.user;
    mFlags[kAllQuest] = u.allQuest != 0;
    mFlags[kHalfQuest] = u.halfQuest != 0;
    for (Flag f : {kCombo25, kCombo50, kChain20, kBomb, kFreeze, kWild, kSidewinder, kShowtime,
                   kScreen1, kScreen5, kModeOwn, kCat, kDog})
        mFlags[f] = Holds(f, c);
    // The score achievement is only earned in a quest, and only once.
    mFlags[kScore] = c.quest && u.scoreAchieved == 0 ? Holds(kScore, c) : 1;
}

std::vector<TString> LevelAchievements::Check(const Context& c) {
    // Pop-up numbers in checking order; the sidewinder's is 10 and the
    // showtime's 11.
    struct Entry {
        Flag flag;
        int number;
    };
    const Entry entries[] = {
        {kAllQuest, 1},  {kHalfQuest, 2},
        {kCombo25, 3},   {kCombo50, 4},
        {kChain20, 5},   {kScore, 6},
        {kBomb, 7},      {kFreeze, 8},
        {kWild, 9},      {kSidewinder, 10},
        {kShowtime, 11}, {kScreen1, 12},
        {kScreen5, 13},  {kModeOwn, mModeAchievement},
        {kCat, 19},      {kDog, 20},
    };
    std::vector<TString> earned;
    for (const Entry& e : entries) {
        if (mFlags[e.flag])
            continue;
        const bool holds = Holds(e.flag, c);
        // These three are looked at once per level, whatever the outcome.
        if (e.flag == kAllQuest || e.flag == kHalfQuest || e.flag == kModeOwn)
            mFlags[e.flag] = 1;
        if (!holds)
            continue;
        mFlags[e.flag] = 1;
        if (e.flag == kAllQuest)
            c.user->allQuest = 1;
        else if (e.flag == kHalfQuest)
            c.user->halfQuest = 1;
        else if (e.flag == kScore)
            c.user->scoreAchieved = 1;
        earned.push_back(Label(e.number));
    }
    return earned;
}
