#pragma once

#include "game/board/BoardTile.h"
#include "game/state/dtLevelState.h"

#include <cstdint>
#include <utility>
#include <vector>

// A board tile for the rules' tests: it records what it was told and ends
// its animation, clip or slide only when the test says so.
class FakeBoardTile : public BoardTile {
public:
    FakeBoardTile(uint32_t geometryIndex, const TTileKindRecord* kind, uint32_t slot)
        : BoardTile(geometryIndex, kind, slot) {}

    void MoveToSlot(uint32_t slot) override {
        mSlot = slot;
        moving = true;
        ++moves;
    }
    void FallTo(uint32_t slot) override {
        mSlot = slot;
        falling = true;
    }
    bool IsFalling() const override { return falling; }
    bool IsMoving() const override { return moving; }

    // Entering a state starts its animation; the test ends it.
    void SetState(uint32_t state) override {
        mState = state;
        states.push_back(state);
        animating = true;
    }
    uint32_t GetState() const override { return mState; }
    bool IsAnimating() const override { return animating; }
    bool IsClipPlaying() const override { return clipPlaying; }
    void SetClipFraction(float fraction) override { clipFractions.push_back(fraction); }
    bool IsLastFrame(float fraction) const override { return fraction >= lastFrameAt; }
    void HideClip() override { ++clipHides; }
    void PlayClip() override {
        clipPlaying = true;
        ++clipPlays;
    }
    void SetAllVisible(bool visible) override { allVisible = visible; }
    void SetWindEffect(bool on) override { windEffect = on; }
    bool HitTest(float x, float y) const override {
        return x >= hitLeft && x < hitLeft + hitSize && y >= hitTop && y < hitTop + hitSize;
    }
    TRect GetHitBounds() const override {
        return TRect(static_cast<int32_t>(hitLeft), static_cast<int32_t>(hitTop),
                     static_cast<int32_t>(hitLeft + hitSize),
                     static_cast<int32_t>(hitTop + hitSize));
    }

    void FinishAnimation() { animating = false; }
    void FinishClip() { clipPlaying = false; }
    void FinishMove() { moving = false; }
    // The display states entered since the last call.
    std::vector<uint32_t> TakeStates() { return std::exchange(states, {}); }

    std::vector<uint32_t> states;
    std::vector<float> clipFractions;
    bool animating = false;
    bool clipPlaying = false;
    bool moving = false;
    bool falling = false;
    bool allVisible = true;
    bool windEffect = false;
    int moves = 0;
    int clipHides = 0;
    int clipPlays = 0;
    float lastFrameAt = 2.0f; // never, unless a test sets it
    float hitLeft = 0.0f;
    float hitTop = 0.0f;
    float hitSize = 0.0f;

private:
    uint32_t mState = 0;
};

// Makes fake tiles in dtLevelState::CreateTile for its lifetime.
class ScopedFakeTileMaker {
public:
    ScopedFakeTileMaker()
        : mPrevious(SetBoardTileMaker(
              [this](uint32_t geometryIndex, const TTileKindRecord& kind, uint32_t slot) {
                  auto* tile = new FakeBoardTile(geometryIndex, &kind, slot);
                  made.push_back(tile);
                  return tile;
              })) {}
    ~ScopedFakeTileMaker() { SetBoardTileMaker(std::move(mPrevious)); }
    ScopedFakeTileMaker(const ScopedFakeTileMaker&) = delete;
    ScopedFakeTileMaker& operator=(const ScopedFakeTileMaker&) = delete;

    // Every tile made, in order (owned by the level states' actor lists).
    std::vector<FakeBoardTile*> made;

private:
    BoardTileMaker mPrevious;
};
