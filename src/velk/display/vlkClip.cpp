#include "velk/display/vlkClip.h"

#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/animation/TAnimatedSprite.h"

#include <cstring>

namespace {

// FNV-1a over the bytes of each value added.
class LookHash {
public:
    template <typename T> void Add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char byte : bytes)
            mHash = (mHash ^ byte) * 1099511628211ull;
    }
    void AddSprite(const TSprite& sprite) {
        Add(sprite.IsVisible());
        Add(sprite.GetLayer());
        Add(sprite.GetTexture().get());
        const TDrawSpec& spec = sprite.GetDrawSpec();
        for (const auto& row : spec.mTransform.m)
            for (float value : row)
                Add(value);
        Add(spec.mRegistration.x);
        Add(spec.mRegistration.y);
        for (float value : spec.mColor)
            Add(value);
        Add(spec.mAlpha);
        Add(spec.mSourceRect.left);
        Add(spec.mSourceRect.top);
        Add(spec.mSourceRect.right);
        Add(spec.mSourceRect.bottom);
        Add(spec.mFlags);
        Add(spec.mBlendMode);
        if (sprite.IsKindOf(TAnimatedSprite::GetClassId())) {
            const auto& animated = static_cast<const TAnimatedSprite&>(sprite);
            Add(animated.GetAnimatedTexture().get());
            Add(animated.GetCurrentFrame());
        }
        Add(sprite.GetChildren().size());
        for (const auto& child : sprite.GetChildren())
            if (child)
                AddSprite(*child);
    }
    uint64_t Value() const { return mHash; }

private:
    uint64_t mHash = 14695981039346656037ull;
};

} // namespace

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
    LookHash hash;
    if (mAnimated)
        hash.AddSprite(*mAnimated);
    return hash.Value();
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
