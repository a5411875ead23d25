#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>

class vlkActor;
class vlkClip;
class vlkDisplayObject;
class vlkSprite;

// Draws actors for their owner (the board draws its tiles through one).
class vlkActorRenderer {
public:
    virtual ~vlkActorRenderer() = default;
    virtual void DrawActor(vlkActor* actor) = 0;
};

// A game object shown by one display object, which it owns, and drawn
// through a renderer that its owner sets. The actor keeps a logical
// position (x, y, z) of its own: the position setters move the display
// object, the coordinate setters change only the actor's fields. The board
// keeps the list of actors and deletes the dead ones.
class vlkActor {
public:
    vlkActor() = default;
    vlkActor(const vlkActor&) = delete;
    vlkActor& operator=(const vlkActor&) = delete;
    // Deletes the display object.
    virtual ~vlkActor();

    // Hands the actor to its renderer; nothing without one.
    virtual void Draw();
    virtual void Update(uint32_t elapsed);
    // A number that changes whenever what Draw draws changes; an actor
    // that cannot tell answers a new number each time.
    virtual uint64_t GetLook();
    // Moves the display object to (x, y), scales it by z and draws it; the
    // actor's own x, y, z stay as they are. Nothing without a display
    // object.
    virtual void SetPositionXYZ(float x, float y, float z);
    // Moves the display object to (x, y) and draws it.
    virtual void SetPosition(float x, float y);
    // " (actor) x:%f y:%f z:%f".
    virtual TString ToString() const;
    virtual vlkActorRenderer* GetRenderer() const { return mRenderer; }
    virtual vlkDisplayObject* GetDisplayObject() const { return mDisplayObject.get(); }
    // Every display object that exists is a vlkSprite.
    virtual vlkSprite* GetSprite() const;
    // The display object when it is a clip, else null.
    virtual vlkClip* GetClip() const;
    virtual void SetX(float x) { mX = x; }
    virtual void SetY(float y) { mY = y; }
    virtual void SetZ(float z) { mZ = z; }

    float GetX() const { return mX; }
    float GetY() const { return mY; }
    float GetZ() const { return mZ; }

    // Owners mark an actor for removal; the base never reads the flag.
    void SetDead(bool dead) { mDead = dead ? 1 : 0; }
    bool IsDead() const { return mDead != 0; }
    void SetRenderer(vlkActorRenderer* renderer) { mRenderer = renderer; }
    void SetDisplayObject(std::unique_ptr<vlkDisplayObject> object);
    // A word for the owner's use.
    int32_t GetUserWord() const { return mUserWord; }
    void SetUserWord(int32_t word) { mUserWord = word; }

protected:
    uint8_t mDead = 0;
    vlkActorRenderer* mRenderer = nullptr;
    int32_t mUserWord = 0;
    std::unique_ptr<vlkDisplayObject> mDisplayObject;
    float mX = 0.0f;
    float mY = 0.0f;
    float mZ = 0.0f;
};
