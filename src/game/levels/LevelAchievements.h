#pragma once

#include "framework/core/text/TString.h"

#include <array>
#include <cstdint>
#include <vector>

class QuestMap;
class dtUserState;

// The achievements a level watches while it runs: one flag per
// achievement, set when it is earned (or, for the quest-map pair and the
// mode's own, once it has been looked at in this level). Init takes the
// flags from the player's progress when the level starts; Check runs every
// frame, also after the level has ended, and answers the pop-up labels
// ("Achieve Game N") earned in that frame, in order.
class LevelAchievements {
public:
    // What the checks read; the quest map may be null (no map: the two
    // quest-map achievements are not looked at).
    struct Context {
        dtUserState* user = nullptr;
        const QuestMap* questMap = nullptr;
        bool quest = false;
        // The bottom panel's shown total.
        int32_t score = 0;
        // The mode's played-difficulties word.
        int32_t modeBits = 0;
    };

    // The mode's own achievement number (Blitz 14, Classic 16, ...).
    explicit LevelAchievements(int modeAchievement);

    void Init(const Context& context);
    std::vector<TString> Check(const Context& context);

    static TString Label(int number);

private:
    enum Flag {
        kAllQuest,
        kHalfQuest,
        kCombo25,
        kCombo50,
        kChain20,
        kScore,
        kBomb,
        kFreeze,
        kWild,
        kSidewinder,
        kShowtime,
        kScreen1,
        kScreen5,
        kModeOwn,
        kCat,
        kDog,
        kFlagCount
    };

    // Whether the flag's condition holds now.
    bool Holds(Flag flag, const Context& context) const;
    static int UnlockedNodes(const QuestMap& map);

    int mModeAchievement;
    std::array<uint8_t, kFlagCount> mFlags{};
};
