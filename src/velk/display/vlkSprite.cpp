#include "velk/display/vlkSprite.h"

#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/sprite/TSprite.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "velk/display/vlkLookHash.h"

#include <cmath>

namespace {

// The look of a sprite and its children.
class LookHash : public vlkLookHash {
public:
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
};

} // namespace

uint64_t SpriteLook(const TSprite* sprite) {
    LookHash hash;
    if (sprite)
        hash.AddSprite(*sprite);
    return hash.Value();
}

vlkSprite::vlkSprite(const std::shared_ptr<TTexture>& texture) {
    CreateFrameworkSprite(texture);
    mKind |= kKindSprite;
}

vlkSprite::~vlkSprite() = default;

void vlkSprite::CreateFrameworkSprite(const std::shared_ptr<TTexture>& texture) {
    mSprite = TSprite::Create(0);
    if (texture) {
        mSprite->SetTexture(texture);
    }
}

void vlkSprite::SetColor(float r, float g, float b, float a) {
    std::shared_ptr<TSprite> sprite = GetSprite();
    float* colour = sprite->GetDrawSpec().mColor;
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
    colour[3] = a;
}

void vlkSprite::Draw() {
    GetSprite()->Draw(TDrawSpec(), -1);
}

void vlkSprite::WritePosition() {
    GetSprite()->GetDrawSpec().SetPosition(mX, mY);
}

void vlkSprite::SetPosition(float x, float y) {
    if (x == mX && y == mY) {
        return;
    }
    mX = x;
    mY = y;
    WritePosition();
}

void vlkSprite::SetX(float x) {
    if (x == mX) {
        return;
    }
    mX = x;
    WritePosition();
}

void vlkSprite::SetY(float y) {
    if (y == mY) {
        return;
    }
    mY = y;
    WritePosition();
}

void vlkSprite::SetLayer(int32_t layer) {
    if (layer == mLayer) {
        return;
    }
    mLayer = layer;
    GetSprite()->SetLayer(layer);
}

void vlkSprite::WriteFlag(uint32_t flag, bool set) {
    uint32_t& flags = GetSprite()->GetDrawSpec().mFlags;
    flags = set ? (flags | flag) : (flags & ~flag);
}

void vlkSprite::SetHFlip(uint8_t flip) {
    mHFlip = flip;
    WriteFlag(kDrawFlipHorizontal, flip != 0);
}

void vlkSprite::SetVFlip(uint8_t flip) {
    mVFlip = flip;
    WriteFlag(kDrawFlipVertical, flip != 0);
}

void vlkSprite::SetScale(float scale) {
    SetScaleX(scale);
    SetScaleY(scale);
}

void vlkSprite::SetScaleX(float scale) {
    if (scale == mScaleX) {
        return;
    }
    mScaleX = scale;
    GetSprite()->GetDrawSpec().mTransform.m[0][0] = scale;
}

void vlkSprite::SetScaleY(float scale) {
    if (scale == mScaleY) {
        return;
    }
    mScaleY = scale;
    GetSprite()->GetDrawSpec().mTransform.m[1][1] = scale;
}

void vlkSprite::SetAlpha(float alpha) {
    mAlpha = alpha;
    GetSprite()->GetDrawSpec().mAlpha = alpha;
}

void vlkSprite::SetVisible(bool visible) {
    mVisible = visible ? 1 : 0;
    GetSprite()->SetVisible(visible);
}

void vlkSprite::SetTexture(const std::shared_ptr<TTexture>& texture) {
    if (!texture) {
        return;
    }
    GetSprite()->SetTexture(texture);
    mWidth = static_cast<float>(texture->GetWidth());
    mHeight = static_cast<float>(texture->GetHeight());
}

bool vlkSprite::HitTest(const TVec2& point, int32_t depth) {
    return HitTest(point, -1, depth);
}

bool vlkSprite::HitTest(const TVec2& point, int32_t threshold, int32_t depth) {
    std::shared_ptr<TSprite> sprite = GetSprite();
    const int32_t x = static_cast<int32_t>(std::floor(point.x));
    const int32_t y = static_cast<int32_t>(std::floor(point.y));
    const TSprite* parent = sprite->GetParent();
    return sprite->HitTest(x, y, parent ? parent->GetDrawSpec() : TDrawSpec(), threshold, depth);
}

uint64_t vlkSprite::GetLook() {
    return SpriteLook(GetSprite().get());
}

TRect vlkSprite::GetBounds() {
    std::shared_ptr<TSprite> sprite = GetSprite();
    const TSprite* parent = sprite->GetParent();
    return sprite->GetBounds(parent ? parent->GetDrawSpec() : TDrawSpec());
}
