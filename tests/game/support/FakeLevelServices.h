#pragma once

#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/state/dtUserState.h"

#include <map>
#include <string>
#include <vector>

// Recording stand-ins for the services of the game object and the levels:
// the script globals are a map, statements and sounds are logged, the
// progress store counts its saves, and the quest map is a list of locked
// flags with a current node.
class FakeScripts : public GameScripts {
public:
    bool RunString(const TString& statement) override {
        statements.push_back(statement.ToStd());
        return true;
    }
    TString GetGlobalString(const char* name) override {
        auto found = globals.find(name);
        return found == globals.end() ? TString() : TString(found->second.c_str());
    }
    void SetGame(const std::string& mode, const std::string& style, const std::string& difficulty) {
        globals["gGameMode"] = mode;
        globals["gGameStyle"] = style;
        globals["gGameDifficulty"] = difficulty;
    }
    int Count(const std::string& statement) const {
        int n = 0;
        for (const auto& s : statements)
            n += s == statement;
        return n;
    }

    std::map<std::string, std::string> globals;
    std::vector<std::string> statements;
};

class FakeSounds : public GameSounds {
public:
    void Play(const TString& name, bool loop) override {
        played.push_back(name.ToStd() + (loop ? " loop" : ""));
    }
    void Stop(const TString& name) override { stopped.push_back(name.ToStd()); }
    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& s : played)
            n += s == name;
        return n;
    }
    std::vector<std::string> played;
    std::vector<std::string> stopped;
};

class FakeStates : public GameStates {
public:
    TString GetValue(const TString& name) override {
        auto found = values.find(name.ToStd());
        return found == values.end() ? TString() : TString(found->second.c_str());
    }
    std::map<std::string, std::string> values;
};

class FakeProgressStore : public ProgressStore {
public:
    dtUserState* GetUserState() override { return user; }
    void LoadUserData() override { ++loads; }
    void SaveUserData() override { ++saves; }
    void SaveMetamap() override { ++metamapSaves; }
    void SetCurrentUserInt(const TString& key, int value) override { ints[key.ToStd()] = value; }

    dtUserState* user = nullptr;
    int loads = 0;
    int saves = 0;
    int metamapSaves = 0;
    std::map<std::string, int> ints;
};

class FakeQuestMap : public QuestMap {
public:
    bool HasCurrentNode() const override { return hasCurrentNode; }
    int GetCurrentNodeLives() const override { return hasCurrentNode ? nodeLives : 0; }
    void SetCurrentNodeLives(int lives) override {
        if (hasCurrentNode)
            nodeLives = lives > 0 ? lives : 1;
    }
    void CompleteCurrentNode(int score) override { completed.push_back(score); }
    void ResetScoresAndLives() override { ++resets; }
    int GetPendingReward() const override { return pendingReward; }
    int GetCurrentNodeReward() const override { return reward; }
    int GetCurrentNodeGoal() const override { return goal; }
    int GetCurrentNodeLevel() const override { return hasCurrentNode ? nodeLevel : -1; }
    int GetNodeCount() const override { return static_cast<int>(locked.size()); }
    bool IsNodeLocked(int index) const override {
        return index < 0 || index >= GetNodeCount() || locked[static_cast<size_t>(index)];
    }
    bool IsAvatarUnlockPending() const override { return avatarPending; }
    void ClearPendingReward() override {
        pendingReward = 0;
        avatarPending = false;
    }
    bool IsQuestFinished() const override { return finished; }
    void SetQuestFinished(bool f) override { finished = f; }

    bool hasCurrentNode = true;
    int nodeLives = 3;
    std::vector<int> completed;
    int resets = 0;
    int pendingReward = 0;
    int reward = 0;
    int goal = 0;
    int nodeLevel = 0;
    // Five nodes, the first unlocked.
    std::vector<bool> locked{false, true, true, true, true};
    bool avatarPending = false;
    bool finished = false;
};

// All of them, installed for the fixture's lifetime.
struct FakeLevelServices {
    FakeScripts scripts;
    FakeSounds sounds;
    FakeStates states;
    FakeProgressStore progress;
    FakeQuestMap questMap;
    bool withQuestMap = true;

    LevelServices Services() {
        return LevelServices{&scripts, &sounds, &states, &progress,
                             withQuestMap ? &questMap : nullptr};
    }
};
