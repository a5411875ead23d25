#pragma once

#include "game/progress/QuestMap.h"

#include <cstdint>
#include <memory>
#include <vector>

class TokenString;
class dtUserState;
struct TNodeDefinition;

// One node of a player's quest map: its lock, completion, best score and
// lives, over the node's definition in the game data's node table (pointed
// to, never copied; the table outlives every map).
class clsNodeMap {
public:
    explicit clsNodeMap(const TNodeDefinition* definition);
    virtual ~clsNodeMap();

    // Entry k of the definition's neighbour list; -1 outside it.
    int GetNeighbour(int k) const;
    const TNodeDefinition* GetDefinition() const { return definition; }

    // The world map has not yet shown this node opening; it clears it
    // when it does.
    bool unlockNotYetShown = true;
    bool completed = false;
    const TNodeDefinition* definition = nullptr;
    bool locked = true;
    int32_t bestScore = 0;
    // Lives left for the node's level; the game's default lives at first.
    int32_t lives = 0;
};

// A player's journey over the quest map: one node per record of the node
// table, the node being played, the quest's total score, an avatar reward
// waiting to be announced and the finished flag. The player's progress
// record owns it and replaces it at every load, so node pointers last only
// until the next load. It keeps itself as one text (Save/Load):
//   6 ^ has-current [^ current index] ^ total ^ count
//     ^ per node: locked ^ not-yet-shown ^ completed ^ best ^ lives
//     ^ finished
// Every node starts locked, node 0 too; the world map starts its walk at
// node 0 whatever its lock says.
class clsMetamap : public QuestMap {
public:
    // One node per record of the node table. The owner's avatar-unlock
    // bytes and quest difficulty bits are the ones completing a node sets;
    // without an owner those are left alone.
    explicit clsMetamap(dtUserState* owner = nullptr);
    ~clsMetamap() override;
    clsMetamap(const clsMetamap&) = delete;
    clsMetamap& operator=(const clsMetamap&) = delete;

    void SetOwner(dtUserState* owner) { mOwner = owner; }

    // Appends the map's values to out.
    void Save(TokenString& out) const;
    // Reads a saved map. A text that is empty, of another version, cut
    // short, for another node count or naming a current node outside the
    // map is rejected whole: false, one log line, the map unchanged.
    bool Load(TokenString& in);

    // A won level of the current node: completed, lives back to the
    // default, its neighbours unlocked, the best score and the quest total
    // raised by a higher score, its difficulty recorded, and the cat or
    // dog reward left pending when that avatar was still locked.
    void CompleteCurrentNode(int score) override;
    // The quest lost: the current node's best score and the quest total 0,
    // every node's lives the default. Nothing without a current node.
    void ResetScoresAndLives() override;
    // ORs the difficulty of the node's level (1, 2 or 4, from the level
    // record's board size) into the owner's quest bits of its mode.
    void RecordNodeDifficulty(const clsNodeMap* node);

    // Null, mode 0 and locked outside 0 .. count-1.
    clsNodeMap* GetNode(int index) const;
    int GetNodeMode(int index) const;
    bool IsNodeLocked(int index) const override;
    int GetNodeCount() const override { return static_cast<int>(mNodes.size()); }
    // False, the current node unchanged, outside the map.
    bool SetCurrentNode(int index);
    clsNodeMap* GetCurrentNode() const { return mCurrent; }
    // The current node's index; -1 without one.
    int GetCurrentNodeIndex() const;

    bool HasCurrentNode() const override { return mCurrent != nullptr; }
    int GetCurrentNodeLives() const override;
    void SetCurrentNodeLives(int lives) override;
    int GetCurrentNodeReward() const override;
    int GetCurrentNodeGoal() const override;
    int GetCurrentNodeLevel() const override;

    int GetQuestTotal() const { return mQuestTotal; }
    // 6 or 7 after a completion unlocked the cat or the dog; 0 otherwise.
    int GetPendingReward() const override { return mPendingReward; }
    // The avatar pop-up has shown the reward.
    void ClearPendingReward() override { mPendingReward = 0; }
    void SetPendingReward(int reward) { mPendingReward = reward; }
    bool IsAvatarUnlockPending() const override;

    bool IsQuestFinished() const override { return mQuestFinished; }
    void SetQuestFinished() { mQuestFinished = true; }
    void SetQuestFinished(bool finished) override { mQuestFinished = finished; }

    static constexpr int kStreamVersion = 6;

private:
    int32_t mPendingReward = 0;
    std::vector<std::unique_ptr<clsNodeMap>> mNodes;
    clsNodeMap* mCurrent = nullptr;
    int32_t mQuestTotal = 0;
    bool mQuestFinished = false;
    dtUserState* mOwner = nullptr;
};
