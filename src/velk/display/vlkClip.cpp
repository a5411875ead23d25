#include "velk/display/vlkClip.h"

#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/animation/TAnimatedSprite.h"

#include <cstring>


vlkClip::vlkClip() {
    CreateAnimatedSprite();
    mKind |= kKindClip;
}

vlkClip::vlkClip(const std::shared_ptr<TAnimatedTexture>& animation, TClock* clock) : vlkClip() {
    SetAnimation(animation);
    mAnimated->SetClock(clock);
}

vlkClip::~vlkClip() = default;

std::unique_ptr<vlkClip>
vlkClip::vlkClipFromAnimation(const std::shared_ptr<TAnimatedTexture>& animation, TClock* clock) {
    return std::make_unique<vlkClip>(animation, clock);
}

void vlkClip::CreateAnimatedSprite() {
    mAnimated = TAnimatedSprite::Create(0);
}

uint64_t vlkClip::GetLook() const {
    return SpriteLook(mAnimated.get());
}

std::shared_ptr<TSprite> vlkClip::GetSprite() {
    return mAnimated;
}

void vlkClip::SetAnimation(const std::shared_ptr<TAnimatedTexture>& animation) {
    if (!animation) {
        return;
    }
    mAnimated->SetTexture(animation);
    mWidth = static_cast<float>(animation->GetWidth());
    mHeight = static_cast<float>(animation->GetHeight());
}

void vlkClip::SetAnimationAndPlay(const std::shared_ptr<TAnimatedTexture>& animation) {
    SetAnimation(animation);
    PlayAnimation(TString("DoAnim"));
}

void vlkClip::PlayAnimation(const TString& name) {
    if (mAnimated->GetAnimatedTexture()) {
        mAnimated->Play(name);
    }
}
