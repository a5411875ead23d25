#pragma once

#include "framework/core/text/TString.h"
#include "velk/display/vlkSprite.h"

#include <cstdint>
#include <memory>

class TAnimatedSprite;
class TAnimatedTexture;
class TClock;

// A display object that plays an animation through an animated framework
// sprite. GetSprite gives the animated sprite, so every operation inherited
// from vlkSprite (setters, Draw, SetTexture, HitTest) reaches it; the plain
// sprite that the vlkSprite constructor made is kept and never drawn.
class vlkClip : public vlkSprite {
public:
    vlkClip();
    // The animation set and its sprite running on the clock (null: the
    // framework time).
    vlkClip(const std::shared_ptr<TAnimatedTexture>& animation, TClock* clock);
    ~vlkClip() override;

    static std::unique_ptr<vlkClip>
    vlkClipFromAnimation(const std::shared_ptr<TAnimatedTexture>& animation, TClock* clock);

    std::shared_ptr<TSprite> GetSprite() override;

    // Nothing for an empty pointer; otherwise the animated sprite shows the
    // animation and the width and height become its current frame's size.
    void SetAnimation(const std::shared_ptr<TAnimatedTexture>& animation);
    // SetAnimation, then the "DoAnim" sequence.
    void SetAnimationAndPlay(const std::shared_ptr<TAnimatedTexture>& animation);
    // Plays the named sequence from its start when the sprite has an
    // animation.
    void PlayAnimation(const TString& name);

    const std::shared_ptr<TAnimatedSprite>& GetAnimatedSprite() const { return mAnimated; }

    // A fingerprint of what the clip shows now: the pictures and animation
    // frames of its sprites and where and how each is drawn. It changes
    // whenever the clip would draw other pixels, so a screen need not be
    // drawn again for a clip whose look stayed the same.
    uint64_t GetLook() const;

protected:
    void CreateAnimatedSprite();

    std::shared_ptr<TAnimatedSprite> mAnimated;
};
