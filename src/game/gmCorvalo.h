#pragma once

#include "framework/core/text/TString.h"
#include "velk/game/vlkGame.h"

#include <functional>
#include <memory>

class BoardScreen;
class BoardTrace;
class TWindow;
class dtUserState;
class vlkGameLevel;

// The game object of the board screen: it makes the level that the script
// globals "gGameMode", "gGameStyle" and "gGameDifficulty" ask for, and
// books the end of a level into the player's progress: quick-play scores,
// levels and lives per mode and difficulty, the quest map, the Joker
// rounds and the Rome ranges, and what follows (the next level, a replay,
// or the closing of the board). The board screen makes one and keeps it
// as the current game; the scripts reach it through "gfn_CreateLevel" and
// "onEndLevel", which always call the current game.
class gmCorvalo : public vlkGame {
public:
    // What follows the end of a level.
    enum class NextStep {
        kNothing,
        // Another level, round or try at once.
        kCreateLevel,
        // Quick play goes on: the next level, a new background, progress
        // saved.
        kNextQuickLevel,
        // Progress saved, the board closes.
        kEndSequence,
        // A quest node completed and saved: the board closes unless a
        // reward is pending, which the board screen then shows.
        kNodeCompleted,
    };

    // Makes the level of a mode id (1-5) for this game; null when the mode
    // has no level class. Tests replace it.
    using LevelMaker = std::function<vlkGameLevel*(int mode, gmCorvalo& game)>;
    static LevelMaker SetLevelMaker(LevelMaker maker);

    // Loads the player's data through the progress store and keeps its
    // user state; registers the script functions.
    explicit gmCorvalo(TWindow* owner);
    ~gmCorvalo() override;

    void onEndLevel() override;
    void gfn_CreateLevel() override;
    // The level's frame, then the board trace when one is asked for.
    void Update(uint32_t elapsed) override;

    // The bookkeeping of the two script functions: the user state is
    // brought up to the level to play (the mode id to make, 0 for none),
    // and the end of the level is booked (what follows).
    int PrepareLevel();
    NextStep BookEndOfLevel();

    dtUserState* GetUser() const { return mUser; }
    // The owner window as the board screen; null when it is none.
    BoardScreen* GetBoardScreen() const;

    // "classic" 1, "strategy" 2, "blitz" 3, "joker" 4, "cradle" 5, else 0.
    static int ModeNameToId(const TString& name);

    // The screens' calls.
    static void ShowLevelInstructions();
    static void ShowReward(int reward);
    static void ShowGoalPanel(int goal);
    // Through the quest map; false or 0 without a current node.
    bool HasCurrentNodeReward() const;
    int GetCurrentNodeReward() const;
    int GetCurrentNodeGoal() const;

private:
    dtUserState* mUser = nullptr;
    // Null unless the environment asks for the board trace.
    std::unique_ptr<BoardTrace> mTrace;
};
