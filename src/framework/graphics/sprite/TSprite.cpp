#include "framework/graphics/sprite/TSprite.h"

#include "framework/core/settings/TSettings.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"

#include <algorithm>
#include <cmath>

namespace {

// Process-wide, main thread only.
uint32_t gLiveSprites = 0;
std::shared_ptr<TTexture> gHitTestTexture;

void PublishLiveCount() {
    SetSetting(TString("current_sprite_count"),
               TString::Format("%d", static_cast<int>(gLiveSprites)));
}

} // namespace

const TRect TSprite::kEmptyBounds(10000000, 10000000, -10000000, -10000000);

TClassId TSprite::GetClassId() {
    static const char id = 0;
    return &id;
}

std::shared_ptr<TSprite> TSprite::Create(int32_t layer, const std::shared_ptr<TTexture>& texture) {
    std::shared_ptr<TSprite> sprite = std::make_shared<TSprite>(layer);
    if (texture) {
        sprite->SetTexture(texture);
    }
    return sprite;
}

TSprite::TSprite(int32_t layer) : mLayer(layer) {
    ++gLiveSprites;
    PublishLiveCount();
}

TSprite::~TSprite() {
    RemoveAllChildren();
    --gLiveSprites;
    if (gLiveSprites == 0) {
        gHitTestTexture.reset();
    }
    PublishLiveCount();
}

uint32_t TSprite::GetLiveCount() {
    return gLiveSprites;
}

std::shared_ptr<TTexture> TSprite::GetHitTestTexture() {
    return gHitTestTexture;
}

TDrawSpec TSprite::Combine(const TDrawSpec& own, const TDrawSpec& parent) {
    TDrawSpec combined = own;
    combined.mTransform = TMat3::Multiply(own.mTransform, parent.mTransform);
    combined.mAlpha = own.mAlpha * parent.mAlpha;
    combined.mFlags = own.mFlags ^ (parent.mFlags & (kDrawFlipHorizontal | kDrawFlipVertical));
    if (own.mBlendMode == -1) {
        combined.mBlendMode = parent.mBlendMode;
    }
    return combined;
}

void TSprite::SetTexture(const std::shared_ptr<TTexture>& texture) {
    mTexture = texture;
}

void TSprite::SetLayer(int32_t layer) {
    if (layer == mLayer) {
        return;
    }
    mLayer = layer;
    if (mParent) {
        mParent->SortChildren();
    }
}

void TSprite::SortChildren() {
    std::stable_sort(mChildren.begin(), mChildren.end(),
                     [](const std::shared_ptr<TSprite>& a, const std::shared_ptr<TSprite>& b) {
                         return a->mLayer < b->mLayer;
                     });
}

void TSprite::AddChild(const std::shared_ptr<TSprite>& child) {
    if (!child || child->mParent == this) {
        return;
    }
    if (child->mParent) {
        child->mParent->RemoveChild(child);
    }
    mChildren.push_back(child);
    SortChildren();
    child->mParent = this;
}

bool TSprite::RemoveChild(const std::shared_ptr<TSprite>& child) {
    auto found = std::find(mChildren.begin(), mChildren.end(), child);
    if (found == mChildren.end()) {
        return false;
    }
    // The list's reference may be the last one: keep the child alive until
    // it is detached.
    std::shared_ptr<TSprite> keep = *found;
    keep->mParent = nullptr;
    mChildren.erase(found);
    return true;
}

void TSprite::RemoveAllChildren() {
    for (const std::shared_ptr<TSprite>& child : mChildren) {
        child->mParent = nullptr;
    }
    mChildren.clear();
}

void TSprite::Draw(const TDrawSpec& parent, int32_t depth) {
    if (!mVisible) {
        return;
    }
    const TDrawSpec combined = Combine(mSpec, parent);
    // Each child is held while it draws; the list is read by index, so a
    // draw that changes it cannot step past its end.
    size_t next = 0;
    if (depth != 0) {
        for (; next < mChildren.size() && mChildren[next]->mLayer < 0; ++next) {
            const std::shared_ptr<TSprite> child = mChildren[next];
            child->Draw(combined, depth - 1);
        }
    }
    if (mTexture) {
        DrawTexture(combined);
    }
    if (depth != 0) {
        for (; next < mChildren.size(); ++next) {
            const std::shared_ptr<TSprite> child = mChildren[next];
            child->Draw(combined, depth - 1);
        }
    }
}

TRect TSprite::GetBounds(const TDrawSpec& parent, int32_t depth) {
    const TDrawSpec combined = Combine(mSpec, parent);
    TRect bounds = kEmptyBounds;
    if (mTexture) {
        float w = 0.0f;
        float h = 0.0f;
        if (combined.mFlags & kDrawSourceRect) {
            w = static_cast<float>(combined.mSourceRect.right - combined.mSourceRect.left);
            h = static_cast<float>(combined.mSourceRect.bottom - combined.mSourceRect.top);
        } else {
            w = static_cast<float>(mTexture->GetWidth());
            h = static_cast<float>(mTexture->GetHeight());
        }
        const TVec2 offset = (combined.mFlags & kDrawRegistration) ? combined.mRegistration.Negate()
                                                                   : TVec2(-w * 0.5f, -h * 0.5f);
        const TVec2 corners[4] = {offset, offset + TVec2(w, 0.0f), offset + TVec2(0.0f, h),
                                  offset + TVec2(w, h)};
        float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
        for (int i = 0; i < 4; ++i) {
            const TVec2 p = combined.mTransform.TransformPoint(corners[i]);
            minX = i == 0 ? p.x : std::min(minX, p.x);
            minY = i == 0 ? p.y : std::min(minY, p.y);
            maxX = i == 0 ? p.x : std::max(maxX, p.x);
            maxY = i == 0 ? p.y : std::max(maxY, p.y);
        }
        bounds = TRect(static_cast<int32_t>(minX), static_cast<int32_t>(minY),
                       static_cast<int32_t>(maxX), static_cast<int32_t>(maxY));
    }
    if (depth != 0) {
        for (const std::shared_ptr<TSprite>& child : mChildren) {
            const TRect childBounds = child->GetBounds(combined, depth - 1);
            bounds.Union(bounds, childBounds);
        }
    }
    return bounds;
}

bool TSprite::HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                      int32_t depth) {
    if (!mVisible) {
        return false;
    }
    if (!mTexture && !GetSettingBool(TSettingKey::kHitTestChildren)) {
        return false;
    }
    if (!GetBounds(parent, depth).Contains(x, y)) {
        return false;
    }
    if (threshold < 0) {
        return true;
    }
    return HitTestPixels(x, y, parent, threshold, depth);
}

int32_t TSprite::EffectiveHitThreshold(int32_t threshold, bool sixteenBit) {
    // Sixteen-bit surfaces keep four bits of alpha: 255 reads back as 240.
    return sixteenBit && threshold > 240 ? threshold & ~15 : threshold;
}

void TSprite::DrawTexture(const TDrawSpec& combined) {
    mTexture->Draw(combined);
}

bool TSprite::HitTestPixels(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                            int32_t depth) {
    if (!gHitTestTexture) {
        gHitTestTexture = TTexture::CreateRenderTarget(4, 4, true);
        if (!gHitTestTexture) {
            return false;
        }
    }
    // Keeps the scratch texture while it is drawn into, should this sprite
    // be the last one and go during the draw.
    const std::shared_ptr<TTexture> scratch = gHitTestTexture;
    TGraphics* graphics = TGraphics::Get();
    if (!graphics->BeginRenderTarget(scratch, TRenderer::kTargetAlpha)) {
        return false;
    }
    {
        graphics->FillRect(TRect(1, 1, 2, 2), TColor(0.0f, 0.0f, 0.0f, 0.0f));
        const bool in2d = graphics->Begin2d();
        struct End2dGuard {
            TGraphics* graphics;
            bool active;
            ~End2dGuard() {
                if (active) {
                    graphics->End2d();
                }
            }
        } guard{graphics, in2d};
        // The tested point lands on pixel (1, 1).
        TDrawSpec shifted = parent;
        shifted.mTransform.m[2][0] -= static_cast<float>(x - 1);
        shifted.mTransform.m[2][1] -= static_cast<float>(y - 1);
        Draw(shifted, depth);
    }
    graphics->EndRenderTarget();

    uint32_t* pixels = nullptr;
    int32_t pitch = 0;
    if (!scratch->Lock(pixels, pitch) || !pixels) {
        return false;
    }
    threshold =
        EffectiveHitThreshold(threshold, graphics->GetOption(TString("16bitmode")).ToInt() != 0);
    const uint32_t alpha = pixels[pitch + 1] >> 24;
    scratch->Unlock();
    return static_cast<int32_t>(alpha) >= threshold;
}
