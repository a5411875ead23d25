#pragma once

// A test base for the game object and the levels: the rules' data set, a
// hand clock as the game clock, a seeded random source, fake tiles, the
// fake board screen with its panels, and the fake level services; the game
// object is made with the fake board screen as its owner and is the
// current game. Frame() moves the hand clock, ends every tile's animation
// and slide once it has run for a while, and updates the game.

#include "framework/core/tasks/TClock.h"
#include "game/board/BoardActionQueue.h"
#include "game/data/LevelRecords.h"
#include "game/gmCorvalo.h"
#include "game/levels/lvCorvaloLevel.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/FakeBoardScreen.h"
#include "game/support/FakeBoardTile.h"
#include "game/support/FakeLevelServices.h"
#include "game/support/GameDataFixture.h"

#include <memory>
#include <string>

namespace leveltest {

class LevelTest : public support::GameDataTest {
protected:
    void SetUp() override {
        support::GameDataTest::SetUp();
        support::LoadGameDataSet();
        // The mode files' countdowns in seconds.
        gGameTuning.blitz.timer = {60, 50, 40};
        mTimeScope = std::make_unique<platform::ScopedTimeSource>(mTime);
        mClock.Start();
        gGameClock = &mClock;
        mRandom = std::make_unique<ScopedGameRandom>(Seed());
        user = std::make_unique<dtUserState>();
        fakes.progress.user = user.get();
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());
        fakes.scripts.SetGame("Classic", "quick", "easy");
        fakes.states.values["pause"] = "0";
        screen = std::make_unique<FakeBoardScreen>(WithChildren());
        game = std::make_unique<gmCorvalo>(screen.get());
        gCurrentGame = game.get();
    }
    void TearDown() override {
        gCurrentGame = nullptr;
        game.reset();
        screen.reset();
        mServices.reset();
        user.reset();
        mRandom.reset();
        gGameClock = nullptr;
        mTimeScope.reset();
        support::GameDataTest::TearDown();
    }

    virtual uint32_t Seed() const { return 12345; }
    virtual bool WithChildren() const { return true; }

    lvCorvaloLevel* Level() const { return dynamic_cast<lvCorvaloLevel*>(game->GetLevel()); }
    BoardSlots& Slots() const { return user->GetLevelState()->GetSlots(); }
    FakeBoardTile* TileAt(int slot) const {
        return Slots().Contains(slot) ? dynamic_cast<FakeBoardTile*>(Slots().tile[slot]) : nullptr;
    }

    // Opens the level of the mode, style and difficulty.
    void Open(const std::string& mode, const std::string& style, const std::string& difficulty) {
        fakes.scripts.SetGame(mode, style, difficulty);
        game->gfn_CreateLevel();
    }

    // Every animation and slide of a tile on the board ends.
    void FinishTiles() {
        BoardSlots& s = Slots();
        for (int slot = 0; slot < s.Size(); ++slot)
            if (auto* tile = dynamic_cast<FakeBoardTile*>(s.tile[slot])) {
                tile->FinishAnimation();
                tile->FinishMove();
                tile->FinishClip();
                tile->falling = false;
            }
    }

    // One frame of `ms`; tiles finish what they do before it. While the
    // level plays with an idle queue and no busy tile, input must open
    // within a bounded time (a mismatch shows for "timeTile", up to 3 s in
    // the shipped data).
    void Frame(uint32_t ms = 16) {
        mTime.Advance(ms);
        FinishTiles();
        game->Update(ms);
        lvCorvaloLevel* level = Level();
        if (!level)
            return;
        const bool shut = level->GetOutcome() == lvCorvaloLevel::kPlaying &&
                          !level->GetQueue()->IsBusy() && !level->IsAnyTileBusy() &&
                          !level->IsInputEnabled();
        mShutFrames = shut ? mShutFrames + 1 : 0;
        EXPECT_LT(mShutFrames, 400) << "input stays closed on an idle board: " << level->Describe();
    }
    void Frames(int count, uint32_t ms = 16) {
        for (int i = 0; i < count; ++i)
            Frame(ms);
    }
    // Frames until the level takes clicks again; false when it does not
    // within `limit` frames.
    bool WaitForInput(int limit = 2000) {
        for (int i = 0; i < limit; ++i) {
            if (Level() && Level()->IsInputEnabled())
                return true;
            Frame();
        }
        return Level() && Level()->IsInputEnabled();
    }

    // A click on the slot's tile through the level's hit test.
    void Click(int slot) {
        BoardSlots& s = Slots();
        for (int i = 0; i < s.Size(); ++i)
            if (auto* tile = dynamic_cast<FakeBoardTile*>(s.tile[i]))
                tile->hitSize = 0.0f;
        FakeBoardTile* tile = TileAt(slot);
        ASSERT_NE(nullptr, tile) << "no tile at slot " << slot;
        tile->hitLeft = 10.0f;
        tile->hitTop = 20.0f;
        tile->hitSize = 4.0f;
        game->OnMouseDown(Level()->GetBoardX() + 11, Level()->GetBoardY() + 21);
    }

    // Puts a known board in place: the kinds of the play rows from row 1
    // up, row by row (0 = empty); the rest of the board is emptied. Every
    // tile is made anew, face down.
    void FixBoard(const std::vector<int>& kinds) {
        dtLevelState& state = *user->GetLevelState();
        BoardSlots& s = state.GetSlots();
        const int first = Level()->GetGeometry()->col;
        for (int slot = first; slot < s.Size(); ++slot) {
            const size_t i = static_cast<size_t>(slot - first);
            const int kind = i < kinds.size() ? kinds[i] : 0;
            // Fresh face-down tiles, so that nothing of the dealt ones stays.
            if (s.tile[slot])
                s.tile[slot]->SetDead(true);
            s.Clear(slot);
            if (kind != 0)
                state.CreateTile(state.GetGeometryIndex(), kind, slot);
        }
    }

    // One step of a scripted game: a click on a slot (-1 none), then the
    // clock moves by `ms` in frames of 16 ms.
    struct Step {
        int click;
        int ms;
    };
    void Play(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (step.click >= 0)
                Click(step.click);
            Frames((step.ms + 15) / 16);
        }
    }
    int TileCount() const {
        int n = 0;
        const BoardSlots& s = Slots();
        for (int slot = 0; slot < s.Size(); ++slot)
            n += s.kind[slot] != 0;
        return n;
    }

    // The play slots holding a tile of the kind that no turn holds.
    std::vector<int> SlotsOfKind(int kind) const {
        std::vector<int> found;
        const BoardSlots& s = Slots();
        const int first = Level()->GetGeometry()->col;
        for (int slot = first; slot < s.Size(); ++slot)
            if (s.kind[slot] == kind)
                found.push_back(slot);
        return found;
    }

    int mShutFrames = 0;
    platform::ManualTimeSource mTime{1000};
    std::unique_ptr<platform::ScopedTimeSource> mTimeScope;
    TClock mClock;
    std::unique_ptr<ScopedGameRandom> mRandom;
    ScopedFakeTileMaker maker;
    FakeLevelServices fakes;
    std::unique_ptr<ScopedLevelServices> mServices;
    std::unique_ptr<dtUserState> user;
    std::unique_ptr<FakeBoardScreen> screen;
    std::unique_ptr<gmCorvalo> game;
};

} // namespace leveltest
