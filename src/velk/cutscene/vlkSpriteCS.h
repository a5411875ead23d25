#pragma once

#include "velk/cutscene/vlkObjectCS.h"

#include <memory>

class TAnimatedSprite;
class TAnimatedTexture;
class TAssetMap;
class TParticleSystem;
class TTexture;

// A cut-scene object that shows an image or an animation (type "sprite"),
// or a particle effect (type "particle"), and moves, fades, turns, scales
// and tints it over time. Positions are in the cut-scene's frame: the
// cut-scene's offset is added when the object is placed. While it moves
// it stands on whole pixels. Only the turn about z is applied.
class vlkSpriteCS : public vlkObjectCS {
public:
    using Hook = void (vlkISpriteCS::*)(vlkSpriteCS*);

    explicit vlkSpriteCS(vlkISpriteCS* listener);
    ~vlkSpriteCS() override;

    // Sprite mode loads the resource; particle mode loads it as a particle
    // file, mirrored and started. True for any record, loaded or not.
    bool Init(const vlkObjectDef* def) override;
    bool SetAction(const vlkAction* action) override;
    bool Update(uint32_t dt) override;
    void Draw() override;
    bool HitTest(int32_t x, int32_t y) override;

    // An animation when the name's extension is ".xml" (any case), else an
    // image; false (and a log line) when nothing loads, or for no name.
    bool LoadResource(const TString& name);

    void SetPositionNow(const TVec3& position);
    // Nothing for a time of 0.
    void MoveTo(const TVec3& position, uint32_t ms);
    void SetAngle(const TVec3& degrees);
    void RotateTo(const TVec3& degrees, uint32_t ms);
    void SetScale(const TVec3& scale);
    void ScaleTo(const TVec3& scale, uint32_t ms);
    void SetAlpha(float alpha);
    void SetColour(const TColor& colour);
    // Where the sprite is drawn: its own position plus the offset.
    TVec3 GetPosition() const;
    // The object's own position, without the cut-scene's offset.
    const TVec3& GetOwnPosition() const { return mPosition; }
    // The width of the shown picture in its current transform; 0 without.
    int32_t GetWidth() const;

    void SetHooks(Hook onMoveStep, Hook onMoveEnd) {
        mOnMoveStep = onMoveStep;
        mOnMoveEnd = onMoveEnd;
    }

    const std::shared_ptr<TAnimatedSprite>& GetSprite() const { return mSprite; }
    TParticleSystem* GetParticles() const { return mParticles.get(); }
    float GetAlpha() const { return mAlpha; }
    const TVec3& GetAngle() const { return mAngle; }
    const TVec3& GetScale() const { return mScale; }
    const TColor& GetColour() const { return mColour; }
    bool IsMoving() const { return mMoving; }

private:
    // Rebuilds the transform: identity, translation, scale, turn.
    void Place();
    void PlaceParticles();
    void ApplyAlpha();
    void Call(Hook hook);
    // The "tint" action's colour: "value" as RRGGBBAA, then single channels.
    static TColor TintOf(const vlkAction& action);

    std::shared_ptr<TAnimatedSprite> mSprite;
    std::unique_ptr<TAssetMap> mAssets;
    std::shared_ptr<TAnimatedTexture> mAnimation;
    std::shared_ptr<TTexture> mTexture;
    TVec3 mPosition, mTargetPosition;
    TVec3 mAngle, mTargetAngle;
    float mAlpha = 1.0f;
    float mTargetAlpha = 0.0f;
    TVec3 mScale{1.0f, 1.0f, 1.0f};
    TVec3 mTargetScale;
    TColor mColour{1.0f, 1.0f, 1.0f, 1.0f};
    TColor mTargetColour;
    TVec3 mPositionStep, mAngleStep, mScaleStep;
    float mAlphaStep = 0.0f;
    TColor mColourStep;
    bool mMoving = false;
    bool mFading = false;
    bool mRotating = false;
    bool mScaling = false;
    bool mTinting = false;
    std::unique_ptr<TParticleSystem> mParticles;
    Hook mOnMoveStep = nullptr;
    Hook mOnMoveEnd = nullptr;
    Hook mOnRotateEnd = nullptr;
    Hook mOnScaleEnd = nullptr;
    Hook mOnTintEnd = nullptr;
};
