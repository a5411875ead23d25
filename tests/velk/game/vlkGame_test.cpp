#include "velk/game/vlkGame.h"

#include "framework/core/tasks/TClock.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A level that writes down every call it receives.
class RecordingLevel : public vlkGameLevel {
public:
    RecordingLevel(std::vector<std::string>& calls, bool& deleted)
        : mCalls(calls), mDeleted(deleted) {}
    ~RecordingLevel() override { mDeleted = true; }

    void Start() override {
        vlkGameLevel::Start();
        mCalls.push_back("Start");
    }
    void SetPaused(bool paused) override {
        vlkGameLevel::SetPaused(paused);
        mCalls.push_back(std::string("SetPaused ") + (paused ? "1" : "0"));
    }
    void OnCloseRequest() override { mCalls.push_back("OnCloseRequest"); }
    void OnKeyDown(int key, int modifiers) override {
        mCalls.push_back("OnKeyDown " + std::to_string(key) + " " + std::to_string(modifiers));
    }
    void OnKeyUp(int key) override { mCalls.push_back("OnKeyUp " + std::to_string(key)); }
    void OnMouseDown(int x, int y) override {
        mCalls.push_back("OnMouseDown " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnMouseButton(int x, int y, int code) override {
        mCalls.push_back("OnMouseButton " + std::to_string(x) + " " + std::to_string(y) + " " +
                         std::to_string(code));
    }
    void OnMouseMove(int x, int y) override {
        mCalls.push_back("OnMouseMove " + std::to_string(x) + " " + std::to_string(y));
    }
    void Update(uint32_t elapsed) override {
        mCalls.push_back("Update " + std::to_string(elapsed));
    }
    void Draw() override { mCalls.push_back("Draw"); }

private:
    std::vector<std::string>& mCalls;
    bool& mDeleted;
};

class PlainLevel : public vlkGameLevel {
public:
    void Update(uint32_t) override {}
};

class TestGame : public vlkGame {
public:
    void gfn_CreateLevel() override {}
};

void DriveEveryForward(vlkGame& game) {
    game.StartLevel();
    game.SetPaused(true);
    game.OnCloseRequest();
    game.OnKeyDown(32, 1);
    game.OnKeyUp(32);
    game.OnMouseDown(10, 20);
    game.OnMouseButton(11, 21, 4);
    game.OnMouseMove(12, 22);
    game.Update(16);
    game.Draw();
}

TEST(vlkGame, ForwardsEverythingToTheCurrentLevel) {
    std::vector<std::string> calls;
    bool deleted = false;
    TestGame game;
    game.SetLevel(new RecordingLevel(calls, deleted));
    DriveEveryForward(game);
    const std::vector<std::string> expected = {
        "Start",
        "SetPaused 1",
        "OnCloseRequest",
        "OnKeyDown 32 1",
        "OnKeyUp 32",
        "OnMouseDown 10 20",
        "OnMouseButton 11 21 4",
        "OnMouseMove 12 22",
        "Update 16",
        "Draw",
    };
    EXPECT_EQ(calls, expected);
    // The level, not the game object, keeps the paused state.
    EXPECT_TRUE(game.GetLevel()->IsPaused());
    EXPECT_TRUE(game.GetLevel()->IsRunning());
}

TEST(vlkGame, WithoutALevelNothingHappensAndTheLevelIsOwned) {
    TestGame game;
    DriveEveryForward(game);
    EXPECT_EQ(game.GetLevel(), nullptr);

    std::vector<std::string> calls;
    bool firstDeleted = false;
    bool secondDeleted = false;
    {
        TestGame owner;
        owner.SetLevel(new RecordingLevel(calls, firstDeleted));
        owner.SetLevel(new RecordingLevel(calls, secondDeleted));
        EXPECT_TRUE(firstDeleted) << "replacing the level deletes the one before";
        EXPECT_FALSE(secondDeleted);
    }
    EXPECT_TRUE(secondDeleted) << "the game object deletes its level";
}

TEST(vlkGameLevel, StartsPausedAndNotRunning) {
    PlainLevel level;
    EXPECT_FALSE(level.IsRunning());
    EXPECT_TRUE(level.IsPaused());
    level.Start();
    EXPECT_TRUE(level.IsRunning());
    EXPECT_FALSE(level.IsPaused());
    level.SetPaused(true);
    EXPECT_TRUE(level.IsPaused());
    EXPECT_TRUE(level.IsRunning());
}

TEST(vlkGame, PublishGameClockSetsTheGameClock) {
    TClock clock;
    TestGame game;
    game.PublishGameClock(&clock);
    EXPECT_EQ(gGameClock, &clock);
    game.PublishGameClock(nullptr);
    EXPECT_EQ(gGameClock, nullptr);
}

} // namespace
