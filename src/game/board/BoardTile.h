#pragma once

#include "framework/core/math/TRect.h"
#include "game/data/GameIds.h"
#include "velk/actor/vlkActor.h"
#include "velk/display/vlkDisplayObject.h"

#include <cstdint>

struct TTileKindRecord;

// The display states of a tile.
enum TileState : uint32_t {
    kTileStateSettled = 0,
    kTileStateFaceDown = 1,
    kTileStateFaceUp = 2,
    kTileStateBonusBack = 3,
    kTileStateMatch = 4,
    kTileStateRedMatch = 5,
    kTileStateStand = 6,
    kTileStateVanish = 7,
    kTileStateFlipToFace = 8,
    kTileStateFlipToBack = 9,
    kTileStateFaint = 10,
    kTileStateSilentFlipToFace = 11,
    kTileStateSilentFlipToBack = 12,
    kTileStateBombMark = 13,
    kTileStateAppear = 15,
    kTileStateDisappear = 16,
    kTileStateGlow = 17,
    kTileStateGoldenAppear = 18,
    kTileStateGoldenBurst = 19,
    kTileStateWildMark = 20,
};

// One card on the board as the rules see it: an actor that shows a display
// state, slides between slots and falls off the board. The level's actor
// list owns it; the board slots point at it. The game's tile implements it;
// tests use a fake.
class BoardTile : public vlkActor {
public:
    // Geometry index: the board layout whose positions place the tile.
    BoardTile(uint32_t geometryIndex, const TTileKindRecord* kind, uint32_t slot)
        : mGeometryIndex(geometryIndex), mKind(kind), mSlot(slot) {}

    // Slides to the slot's position.
    virtual void MoveToSlot(uint32_t slot) = 0;
    // Falls off the board towards the slot's position.
    virtual void FallTo(uint32_t slot) = 0;
    virtual bool IsFalling() const = 0;
    // True while a slide is under way.
    virtual bool IsMoving() const = 0;

    // What the tile commands use.
    virtual void SetState(uint32_t state) = 0;
    virtual bool IsAnimating() const = 0;
    virtual bool IsClipPlaying() const = 0;
    virtual void SetClipFraction(float fraction) = 0;
    virtual bool IsLastFrame(float fraction) const = 0;
    virtual void HideClip() = 0;
    virtual void PlayClip() = 0;

    virtual void SetAllVisible(bool visible) = 0;
    virtual void SetWindEffect(bool on) = 0;
    // A point relative to the board.
    virtual bool HitTest(float x, float y) const = 0;
    // The box that HitTest tests, relative to the board; empty when the
    // tile has no face to hit.
    virtual TRect GetHitBounds() const = 0;

    virtual uint32_t GetState() const = 0;
    const TTileKindRecord* GetKindRecord() const { return mKind; }
    // The kind number, 0 without a record.
    int GetKind() const;
    bool IsPowerUp() const { return IsPowerUpKind(GetKind()); }
    uint32_t GetGeometryIndex() const { return mGeometryIndex; }
    // The slot the tile was made for or last sent to.
    uint32_t GetSlot() const { return mSlot; }

    bool IsBombed() const { return mBombed != 0; }
    void SetBombed(bool bombed) { mBombed = bombed ? 1 : 0; }
    bool HasWind() const { return mWind != 0; }
    void SetWind(bool wind) { mWind = wind ? 1 : 0; }

protected:
    uint8_t mBombed = 0;
    uint8_t mWind = 0;
    uint32_t mGeometryIndex = 0;
    const TTileKindRecord* mKind = nullptr;
    uint32_t mSlot = 0;
};
