#pragma once

// What the game object and the levels need of the player's quest map: the
// current node, its lives, completing it, a quest lost, the unlocked nodes
// and the rewards. The quest map model implements it; the player's
// progress holds it.
class QuestMap {
public:
    virtual ~QuestMap() = default;

    virtual bool HasCurrentNode() const = 0;
    // The current node's lives; 0 without a current node.
    virtual int GetCurrentNodeLives() const = 0;
    // 1 when lives is 0 or less; nothing without a current node.
    virtual void SetCurrentNodeLives(int lives) = 0;
    // Marks the current node completed with the score, unlocks its
    // neighbours and may leave a reward pending (6 or 7).
    virtual void CompleteCurrentNode(int score) = 0;
    // A quest lost: scores 0, every node's lives the default.
    virtual void ResetScoresAndLives() = 0;
    // 0 none, 6 or 7 after CompleteCurrentNode unlocked an avatar.
    virtual int GetPendingReward() const = 0;
    // The reward and goal numbers of the current node; 0 without one.
    virtual int GetCurrentNodeReward() const = 0;
    virtual int GetCurrentNodeGoal() const = 0;
    // The level its definition gives the current node; -1 without one.
    virtual int GetCurrentNodeLevel() const = 0;
    virtual int GetNodeCount() const = 0;
    // An index outside the nodes counts as locked.
    virtual bool IsNodeLocked(int index) const = 0;
    // An avatar was newly unlocked and its pop-up has not been shown.
    virtual bool IsAvatarUnlockPending() const = 0;
    // The avatar's pop-up has been shown: the pending reward becomes 0 and
    // no unlock is pending any more.
    virtual void ClearPendingReward() = 0;
    virtual bool IsQuestFinished() const = 0;
    virtual void SetQuestFinished(bool finished) = 0;
};
