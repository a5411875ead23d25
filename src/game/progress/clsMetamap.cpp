#include "game/progress/clsMetamap.h"

#include "framework/core/log/TLog.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/progress/TokenString.h"
#include "game/state/dtUserState.h"
#include "velk/game/GameTuning.h"

#include <algorithm>

namespace {

constexpr int kRewardCat = 6;
constexpr int kRewardDog = 7;

// Reads values off a saved map and tells when the text has run out.
class StreamReader {
public:
    explicit StreamReader(TokenString& in) : mIn(in) {}

    bool Int(int32_t& out) {
        if (mIn.position > static_cast<uint32_t>(mIn.text.Length())) {
            mShort = true;
            out = 0;
            return false;
        }
        mIn.ReadInt(out);
        return true;
    }
    bool IsShort() const { return mShort; }

private:
    TokenString& mIn;
    bool mShort = false;
};

// The board size code (1, 2 or 3) of a mode's level record.
bool LevelRecordMode(int mode, int index, int& code) {
    switch (mode) {
    case kModeClassic:
        if (const TClassicLevelRecord* record = GetClassicLevel(index)) {
            code = record->mode;
            return true;
        }
        return false;
    case kModeStrategy:
        if (const TStrategyLevelRecord* record = GetStrategyLevel(index)) {
            code = record->mode;
            return true;
        }
        return false;
    case kModeBlitz:
        if (const TBlitzLevelRecord* record = GetBlitzLevel(index)) {
            code = record->mode;
            return true;
        }
        return false;
    case kModeJoker:
        if (const TJokerLevelRecord* record = GetJokerLevel(index)) {
            code = record->mode;
            return true;
        }
        return false;
    case kModeRome:
        if (const TRomeLevelRecord* record = GetRomeLevel(index)) {
            code = record->mode;
            return true;
        }
        return false;
    default:
        return false;
    }
}

int LevelCount(int mode) {
    switch (mode) {
    case kModeClassic:
        return GetClassicLevelCount();
    case kModeStrategy:
        return GetStrategyLevelCount();
    case kModeBlitz:
        return GetBlitzLevelCount();
    case kModeJoker:
        return GetJokerLevelCount();
    case kModeRome:
        return GetRomeLevelCount();
    default:
        return 0;
    }
}

} // namespace

clsNodeMap::clsNodeMap(const TNodeDefinition* nodeDefinition)
    : definition(nodeDefinition), lives(gGameTuning.game.lives) {}

clsNodeMap::~clsNodeMap() = default;

int clsNodeMap::GetNeighbour(int k) const {
    if (!definition || k < 0 || k >= static_cast<int>(definition->neighbours.size()))
        return -1;
    return definition->neighbours[static_cast<size_t>(k)];
}

clsMetamap::clsMetamap(dtUserState* owner) : mOwner(owner) {
    const int count = ::GetNodeCount();
    mNodes.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        mNodes.push_back(std::make_unique<clsNodeMap>(GetNodeDefinition(i)));
}

clsMetamap::~clsMetamap() = default;

void clsMetamap::Save(TokenString& out) const {
    out.AppendInt(kStreamVersion);
    if (mCurrent) {
        out.AppendInt(1);
        out.AppendInt(GetCurrentNodeIndex());
    } else {
        out.AppendInt(0);
    }
    out.AppendInt(mQuestTotal);
    out.AppendInt(GetNodeCount());
    for (const auto& node : mNodes) {
        out.AppendInt(node->locked ? 1 : 0);
        out.AppendInt(node->unlockNotYetShown ? 1 : 0);
        out.AppendInt(node->completed ? 1 : 0);
        out.AppendInt(node->bestScore);
        out.AppendInt(node->lives);
    }
    const uint8_t finished = mQuestFinished ? 1 : 0;
    out.AppendBool(finished);
}

bool clsMetamap::Load(TokenString& in) {
    // Read whole into a copy first: a text that does not fit this map
    // changes nothing, and never leaves a node pointer into another table.
    if (in.text.IsEmpty()) {
        LogPrintf("clsMetamap: the saved quest map is empty; the map stays as it was");
        return false;
    }
    StreamReader reader(in);
    int32_t version = 0;
    reader.Int(version);
    if (version != kStreamVersion) {
        LogPrintf("clsMetamap: the saved quest map is of version %d, not %d; the map stays as "
                  "it was",
                  version, kStreamVersion);
        return false;
    }
    int32_t hasCurrent = 0;
    int32_t currentIndex = -1;
    int32_t total = 0;
    int32_t count = 0;
    reader.Int(hasCurrent);
    if (hasCurrent != 0)
        reader.Int(currentIndex);
    reader.Int(total);
    reader.Int(count);
    if (!reader.IsShort() && count != GetNodeCount()) {
        LogPrintf("clsMetamap: the saved quest map has %d nodes, the node table %d; the map stays "
                  "as it was",
                  count, GetNodeCount());
        return false;
    }
    if (!reader.IsShort() && hasCurrent != 0 && (currentIndex < 0 || currentIndex >= count)) {
        LogPrintf("clsMetamap: the saved quest map's current node %d is outside its %d nodes; the "
                  "map stays as it was",
                  currentIndex, count);
        return false;
    }
    struct NodeValues {
        int32_t locked = 0;
        int32_t notYetShown = 0;
        int32_t completed = 0;
        int32_t best = 0;
        int32_t lives = 0;
    };
    std::vector<NodeValues> values(static_cast<size_t>(std::max(count, 0)));
    for (NodeValues& node : values) {
        if (reader.IsShort())
            break;
        reader.Int(node.locked);
        reader.Int(node.notYetShown);
        reader.Int(node.completed);
        reader.Int(node.best);
        reader.Int(node.lives);
    }
    int32_t finished = 0;
    reader.Int(finished);
    if (reader.IsShort()) {
        LogPrintf(
            "clsMetamap: the saved quest map is cut short (%d bytes); the map stays as it was",
            in.text.Length());
        return false;
    }

    mCurrent = hasCurrent != 0 ? mNodes[static_cast<size_t>(currentIndex)].get() : nullptr;
    mQuestTotal = total;
    for (size_t i = 0; i < values.size(); ++i) {
        clsNodeMap& node = *mNodes[i];
        node.locked = values[i].locked == 1;
        node.unlockNotYetShown = values[i].notYetShown == 1;
        node.completed = values[i].completed == 1;
        node.bestScore = values[i].best;
        node.lives = values[i].lives;
    }
    mQuestFinished = finished != 0;
    return true;
}

void clsMetamap::CompleteCurrentNode(int score) {
    if (!mCurrent)
        return;
    mCurrent->completed = true;
    mCurrent->lives = gGameTuning.game.lives;
    if (const TNodeDefinition* definition = mCurrent->definition) {
        for (auto it = definition->neighbours.rbegin(); it != definition->neighbours.rend(); ++it) {
            if (*it >= 0 && *it < GetNodeCount())
                mNodes[static_cast<size_t>(*it)]->locked = false;
        }
    }
    if (score > mCurrent->bestScore) {
        mQuestTotal += score - mCurrent->bestScore;
        mCurrent->bestScore = score;
    }
    RecordNodeDifficulty(mCurrent);
    if (!mOwner || !mCurrent->definition)
        return;
    switch (mCurrent->definition->reward) {
    case kRewardCat:
        if (!mOwner->catUnlocked) {
            mOwner->catUnlocked = 1;
            mPendingReward = kRewardCat;
        }
        break;
    case kRewardDog:
        if (!mOwner->dogUnlocked) {
            mOwner->dogUnlocked = 1;
            mPendingReward = kRewardDog;
        }
        break;
    default:
        break;
    }
}

void clsMetamap::ResetScoresAndLives() {
    if (!mCurrent)
        return;
    mCurrent->bestScore = 0;
    mQuestTotal = 0;
    for (auto it = mNodes.rbegin(); it != mNodes.rend(); ++it)
        (*it)->lives = gGameTuning.game.lives;
}

void clsMetamap::RecordNodeDifficulty(const clsNodeMap* node) {
    if (!node || !node->definition || node->definition->level <= 0)
        return;
    const TNodeDefinition& definition = *node->definition;
    int flag = 1;
    if (definition.mode >= kModeClassic && definition.mode <= kModeRome) {
        const int count = LevelCount(definition.mode);
        int code = 0;
        // A level past the table counts as its last record; an empty table
        // gives no difficulty at all.
        if (count <= 0 ||
            !LevelRecordMode(definition.mode, std::min(definition.level, count) - 1, code))
            return;
        flag = code == 1 ? 1 : code == 2 ? 2 : 4;
    }
    if (mOwner)
        mOwner->AddDifficultyFlag(definition.mode, flag);
}

clsNodeMap* clsMetamap::GetNode(int index) const {
    if (index < 0 || index >= GetNodeCount())
        return nullptr;
    return mNodes[static_cast<size_t>(index)].get();
}

int clsMetamap::GetNodeMode(int index) const {
    const clsNodeMap* node = GetNode(index);
    return node && node->definition ? node->definition->mode : 0;
}

bool clsMetamap::IsNodeLocked(int index) const {
    const clsNodeMap* node = GetNode(index);
    return !node || node->locked;
}

bool clsMetamap::SetCurrentNode(int index) {
    clsNodeMap* node = GetNode(index);
    if (!node)
        return false;
    mCurrent = node;
    return true;
}

int clsMetamap::GetCurrentNodeIndex() const {
    for (size_t i = 0; mCurrent && i < mNodes.size(); ++i) {
        if (mNodes[i].get() == mCurrent)
            return static_cast<int>(i);
    }
    return -1;
}

int clsMetamap::GetCurrentNodeLives() const {
    return mCurrent ? mCurrent->lives : 0;
}

void clsMetamap::SetCurrentNodeLives(int lives) {
    if (mCurrent)
        mCurrent->lives = lives > 0 ? lives : 1;
}

int clsMetamap::GetCurrentNodeReward() const {
    return mCurrent && mCurrent->definition ? mCurrent->definition->reward : 0;
}

int clsMetamap::GetCurrentNodeGoal() const {
    return mCurrent && mCurrent->definition ? mCurrent->definition->goal : 0;
}

int clsMetamap::GetCurrentNodeLevel() const {
    return mCurrent && mCurrent->definition ? mCurrent->definition->level : -1;
}

bool clsMetamap::IsAvatarUnlockPending() const {
    return mPendingReward == kRewardCat || mPendingReward == kRewardDog;
}
