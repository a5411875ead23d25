#include "game/board/wndCorvalo.h"

#include "framework/ui/widgets/WidgetFixture.h"
#include "game/gmCorvalo.h"
#include "game/startup/GameWindowTypes.h"
#include "game/timers/CountdownTimer.h"
#include "velk/game/GameTuning.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/FakeLevelServices.h"
#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A level that keeps a countdown on the game clock, as the timed modes do,
// and writes down the time each update hands it.
class TimedLevel : public vlkGameLevel {
public:
    explicit TimedLevel(std::vector<uint32_t>& updates) : mUpdates(updates) {
        if (gGameClock)
            countdown = std::make_unique<CountdownTimer>(*gGameClock, 60000);
    }
    void Start() override {
        vlkGameLevel::Start();
        if (countdown)
            countdown->Start();
    }
    void Update(uint32_t elapsed) override {
        mUpdates.push_back(elapsed);
        if (countdown)
            countdown->Update();
    }

    std::unique_ptr<CountdownTimer> countdown;

private:
    std::vector<uint32_t>& mUpdates;
};

// The board screen in a dialog of a real window manager, its level a timed
// one; the host's pause flag is off.
class BoardUnderPause : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        mSavedTuning = gGameTuning;
        ResetGameData();
        fakes.progress.user = &user;
        fakes.scripts.SetGame("Blitz", "quick", "easy");
        fakes.states.values["pause"] = "0";
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());
        mMaker = gmCorvalo::SetLevelMaker([this](int, gmCorvalo&) {
            level = new TimedLevel(updates);
            return level;
        });

        dialog = new TModalWindow();
        dialog->SetName("game");
        manager->PushModal(dialog);
        TWindowCreator creator = nullptr;
        for (const GameWindowType& type : GetGameWindowTypes())
            if (std::strcmp(type.name, "wndCorvalo") == 0)
                creator = type.creator;
        ASSERT_NE(nullptr, creator);
        board = dynamic_cast<wndCorvalo*>(creator());
        ASSERT_NE(nullptr, board);
        dialog->AddChild(board);
        auto table = Table("{name = 'wndCorvalo', x = 0, y = 0, w = 800, h = 600}");
        TWindowStyle style(table.get());
        board->Init(style);
        board->PostInit(style);
    }
    void TearDown() override {
        manager.reset();
        gmCorvalo::SetLevelMaker(std::move(mMaker));
        mServices.reset();
        ResetGameData();
        gGameTuning = mSavedTuning;
        WidgetFixture::TearDown();
    }

    // Lets the window manager run its tasks for ms milliseconds, 16 at a time.
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 16) {
            rig.time.Advance(16);
            manager->HandleEvent(MakeTestEvent(kEventIdle));
        }
    }
    uint32_t Updated() const {
        uint32_t total = 0;
        for (uint32_t elapsed : updates)
            total += elapsed;
        return total;
    }

    FakeLevelServices fakes;
    dtUserState user;
    TModalWindow* dialog = nullptr;
    wndCorvalo* board = nullptr;
    TimedLevel* level = nullptr;
    std::vector<uint32_t> updates;

private:
    TGameTuning mSavedTuning;
    std::unique_ptr<ScopedLevelServices> mServices;
    gmCorvalo::LevelMaker mMaker;
};

TEST_F(BoardUnderPause, ADialogOverTheBoardStopsTheGameClockAndTheLevelTimersOnIt) {
    ASSERT_NE(nullptr, level);
    ASSERT_EQ(gGameClock, &dialog->GetClock()) << "the game runs on its dialog's clock";
    ASSERT_NE(nullptr, level->countdown);
    Run(1000);
    const uint32_t playedBefore = Updated();
    EXPECT_GT(playedBefore, 900u);
    const int32_t leftBefore = level->countdown->GetRemaining();
    EXPECT_LT(leftBefore, 60000 - 900);

    // The pause dialog covers the board: neither the level nor its
    // countdown moves, however long it stays.
    auto* pause = new TModalWindow();
    pause->SetName("pause");
    manager->PushModal(pause);
    EXPECT_TRUE(dialog->GetClock().IsPaused());
    const size_t framesBefore = updates.size();
    Run(5000);
    EXPECT_EQ(updates.size(), framesBefore) << "the board's frames stop under the dialog";
    EXPECT_EQ(level->countdown->GetRemaining(), leftBefore);

    // Closed again: play goes on from where it stood, without the time the
    // dialog was open.
    manager->DoPopModal("pause");
    EXPECT_FALSE(dialog->GetClock().IsPaused());
    Run(500);
    EXPECT_GT(updates.size(), framesBefore);
    EXPECT_LE(Updated() - playedBefore, 520u) << "the paused time never reaches the level";
    EXPECT_GE(leftBefore - level->countdown->GetRemaining(), 450);
    EXPECT_LE(leftBefore - level->countdown->GetRemaining(), 520);
}

} // namespace
