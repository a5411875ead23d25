#include "game/board/TileCommands.h"

#include "game/board/BoardSlots.h"
#include "game/board/BoardTile.h"

#include <algorithm>

namespace {

// One slot's words and tile while its command runs.
class SlotStep {
public:
    SlotStep(BoardSlots& slots, int slot) : mSlots(slots), mSlot(slot), mTile(slots.tile[slot]) {}

    int32_t S() const { return mSlots.state[mSlot]; }
    // S = n and the tile enters state n.
    void Set(int32_t n) {
        mSlots.state[mSlot] = n;
        if (mTile)
            mTile->SetState(static_cast<uint32_t>(n));
    }
    void SetS(int32_t n) { mSlots.state[mSlot] = n; }
    void TileState(uint32_t n) {
        if (mTile)
            mTile->SetState(n);
    }
    void Busy() { mSlots.busy[mSlot] = 1; }
    void Done() {
        mSlots.busy[mSlot] = 0;
        mSlots.command[mSlot] = kCmdNone;
    }
    void NoCommand() { mSlots.command[mSlot] = kCmdNone; }
    bool Animating() const { return mTile && mTile->IsAnimating(); }
    bool ClipPlaying() const { return mTile && mTile->IsClipPlaying(); }
    void PlayClip() {
        if (mTile)
            mTile->PlayClip();
    }
    // The tile goes to the actor list's next update; the slot is empty.
    void Remove() {
        if (mTile)
            mTile->SetDead(true);
        mSlots.Clear(mSlot);
    }

private:
    BoardSlots& mSlots;
    int mSlot;
    BoardTile* mTile;
};

// The first step of a timed change: in S `from` the slot becomes busy and
// the tile enters `animated`. True when it did.
bool AnimateFrom(SlotStep& step, int32_t from, int32_t animated) {
    if (step.S() != from)
        return false;
    step.Busy();
    step.Set(animated);
    return true;
}

// While S is `animated`: waits for the animation, then enters `then`.
bool AfterAnimation(SlotStep& step, int32_t animated, int32_t then) {
    if (step.S() != animated)
        return false;
    if (!step.Animating())
        step.Set(then);
    return true;
}

void RunStandard(SlotStep& step, int32_t command) {
    const int32_t s = step.S();
    switch (command) {
    case kCmdDealt:
        step.NoCommand();
        step.SetS(0);
        step.TileState(kTileStateFaceDown);
        break;
    case kCmdFaceUpNow:
        step.NoCommand();
        step.SetS(6);
        step.TileState(kTileStateFaceUp);
        break;
    case kCmdMatch:
    case kCmdRedMatch: {
        const int32_t match = command == kCmdMatch ? 4 : 5;
        if (AnimateFrom(step, 0, 8))
            break;
        if (s == 8 || s == 15) {
            if (!step.Animating())
                step.Set(match);
        } else if (s == match) {
            step.Done();
        } else if (s == 6 || s == 10 || (command == kCmdRedMatch && s == 4)) {
            step.Set(match);
        }
        break;
    }
    case kCmdRemove:
        if (s == 7) {
            if (!step.Animating())
                step.Remove();
        } else {
            step.Busy();
            step.Set(7);
        }
        break;
    case kCmdTurnUpStand:
    case kCmdAppearStand: {
        // Turned over, or appearing, into the standing face.
        const int32_t turn = command == kCmdTurnUpStand ? 8 : 15;
        if (AnimateFrom(step, 0, turn) || AfterAnimation(step, turn, 6))
            break;
        if (s == 10)
            step.Set(6);
        else if (s == 6)
            step.Done();
        break;
    }
    case kCmdTurnDown:
        if (AnimateFrom(step, 6, 9) || AfterAnimation(step, 9, 1))
            break;
        if (s == 1) {
            step.Done();
            step.SetS(0);
        }
        break;
    case kCmdGoldenBurst:
        if (s == 0) {
            step.Busy();
            step.Set(18);
            step.PlayClip();
        } else if (!step.ClipPlaying()) {
            step.Done();
            step.Set(19);
        }
        break;
    case kCmdTurnUp:
    case kCmdAppearUp:
        if (AnimateFrom(step, 0, command == kCmdTurnUp ? 8 : 15) ||
            AfterAnimation(step, command == kCmdTurnUp ? 8 : 15, 2))
            break;
        if (s == 2) {
            step.Done();
            step.SetS(6);
        }
        break;
    case kCmdBonusBack:
        step.NoCommand();
        step.SetS(0);
        step.TileState(kTileStateBonusBack);
        break;
    case kCmdDisappearToBonusBack:
    case kCmdFaintToBonusBack:
        if (AnimateFrom(step, command == kCmdDisappearToBonusBack ? 6 : 10, 16) ||
            AfterAnimation(step, 16, 3))
            break;
        if (s == 3) {
            step.Done();
            step.SetS(0);
        } else if (command == kCmdFaintToBonusBack) {
            step.NoCommand();
        }
        break;
    case kCmdAppearFaint:
        if (AnimateFrom(step, 0, 15) || AfterAnimation(step, 15, 10))
            break;
        if (s == 10)
            step.Done();
        else
            step.NoCommand();
        break;
    case kCmdRevealFaint:
        if (AnimateFrom(step, 0, 11) || AfterAnimation(step, 11, 10))
            break;
        if (s == 6)
            step.Set(10);
        else
            step.Done();
        break;
    case kCmdHideFaint:
        if (AnimateFrom(step, 10, 12) || AfterAnimation(step, 12, 1))
            break;
        step.Done();
        if (s == 1)
            step.SetS(0);
        break;
    case kCmdWildMark:
        step.Done();
        step.Set(20);
        break;
    case kCmdBombMark:
        step.Done();
        step.Set(13);
        break;
    default:
        break;
    }
}

// The shuffle countdown's reload between the halves of a flip.
constexpr int32_t kShuffleStepMs = 100;

void RunJoker(SlotStep& step, int32_t command, int32_t& countdown, uint32_t elapsed) {
    const int32_t s = step.S();
    switch (command) {
    case 101:
        step.NoCommand();
        step.SetS(0);
        step.TileState(kTileStateBonusBack);
        break;
    case 102:
        if (AnimateFrom(step, 0, 15))
            break;
        if ((s == 15 && !step.Animating()) || s == 2) {
            step.Done();
            step.Set(5);
        }
        break;
    case 103: {
        // Held at 0 while the clip plays, so that a long wait cannot run the
        // count down without end.
        const int64_t left = static_cast<int64_t>(countdown) - elapsed;
        countdown = static_cast<int32_t>(std::max<int64_t>(left, 0));
        if (countdown >= 1 || step.ClipPlaying())
            break;
        if (s == 0 || s == 3) {
            step.Set(15);
            step.PlayClip();
        } else if (s == 15) {
            step.Set(2);
            countdown = kShuffleStepMs;
        } else if (s == 2) {
            step.Set(16);
            step.PlayClip();
        } else if (s == 16) {
            step.Set(3);
            countdown = kShuffleStepMs;
        }
        break;
    }
    case 104:
        if (s == 0) {
            step.Set(15);
        } else if (!step.Animating()) {
            step.Done();
            step.Set(2);
        }
        break;
    case 105:
        if (AnimateFrom(step, 2, 16))
            break;
        if (!step.Animating()) {
            step.Done();
            step.SetS(0);
            step.TileState(kTileStateBonusBack);
        }
        break;
    default:
        break;
    }
}

bool Runs(const BoardSlots& slots, int slot) {
    return slots.Contains(slot) && slots.kind[slot] != 0;
}

} // namespace

void RunTileCommand(BoardSlots& slots, int slot) {
    if (!Runs(slots, slot))
        return;
    SlotStep step(slots, slot);
    RunStandard(step, slots.command[slot]);
}

void RunJokerTileCommand(BoardSlots& slots, int slot, int32_t& countdown, uint32_t elapsed) {
    if (!Runs(slots, slot))
        return;
    SlotStep step(slots, slot);
    RunJoker(step, slots.command[slot], countdown, elapsed);
}
