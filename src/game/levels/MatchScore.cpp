#include "game/levels/MatchScore.h"

#include <algorithm>
#include <limits>

GroupKind ClassifyGroup(int size, bool holdsBonusTile) {
    if (holdsBonusTile)
        return GroupKind::kWithBonus;
    return size == 2 ? GroupKind::kPair : GroupKind::kChain;
}

int MatchPoints(int size, GroupKind kind, const TGameTuning::Score& score) {
    switch (kind) {
    case GroupKind::kPair:
        return score.match;
    case GroupKind::kChain:
        return (((size - 2) * score.deltaChain) / 2 + score.chain) * (size - 1);
    case GroupKind::kWithBonus:
        return (((size - 2) * score.deltaCombo) / 2 + score.combo) * (size - 1);
    }
    return 0;
}

int MatchWait(int timeMatch, int timeMatchDec, int size) {
    const long long wait =
        static_cast<long long>(timeMatch) - static_cast<long long>(size - 2) * timeMatchDec;
    return static_cast<int>(std::clamp<long long>(wait, 1, std::numeric_limits<int>::max()));
}

int TimeBonusSeconds(int size, const std::vector<int>& combos) {
    size_t entry;
    if (size >= 10)
        entry = 2;
    else if (size >= 7)
        entry = 1;
    else if (size >= 4)
        entry = 0;
    else
        return 0;
    return entry < combos.size() ? combos[entry] : 0;
}

int CappedTimeBonus(int bonusMs, int capMs, int remainingMs) {
    return std::max(0, std::min(bonusMs, capMs - remainingMs));
}
