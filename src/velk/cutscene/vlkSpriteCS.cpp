#include "velk/cutscene/vlkSpriteCS.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/host/assetmap/TAssetMap.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "velk/particles/TParticleSystem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

TVec3 Scaled(const TVec3& v, float f) {
    return TVec3(v.x * f, v.y * f, v.z * f);
}

TVec3 StepTowards(const TVec3& from, const TVec3& to, uint32_t ms) {
    const float time = static_cast<float>(ms);
    return TVec3((to.x - from.x) / time, (to.y - from.y) / time, (to.z - from.z) / time);
}

TVec3 Floor(const TVec3& v) {
    return TVec3(std::floor(v.x), std::floor(v.y), std::floor(v.z));
}

// Whether the name's extension (after its last ".", past its last folder)
// is ".xml" in any case.
bool IsAnimationName(const TString& name) {
    const std::string_view text = name.View();
    const size_t dot = text.find_last_of('.');
    const size_t slash = text.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot))
        return false;
    TString extension(text.substr(dot));
    extension.ToLower();
    return extension.View() == ".xml";
}

} // namespace

vlkSpriteCS::vlkSpriteCS(vlkISpriteCS* listener)
    : vlkObjectCS(listener), mSprite(TAnimatedSprite::Create(0)),
      mAssets(std::make_unique<TAssetMap>()) {
    mKind = kKindSprite;
    // Nothing else fills this map: it loads what the object asks for.
    mAssets->SetAutoLoad(true);
}

vlkSpriteCS::~vlkSpriteCS() {
    mSprite->Die();
}

bool vlkSpriteCS::Init(const vlkObjectDef* def) {
    if (!vlkObjectCS::Init(def))
        return false;
    if (!mParticle) {
        LoadResource(mDef.resource);
        return true;
    }
    mParticles = std::make_unique<TParticleSystem>();
    mParticles->LoadParticleSystem(mDef.resource);
    mParticles->Mirror();
    mParticles->SetActive(true);
    mParticles->Restart();
    mParticles->Update(0);
    return true;
}

bool vlkSpriteCS::LoadResource(const TString& name) {
    if (name.IsEmpty())
        return false;
    if (IsAnimationName(name)) {
        std::shared_ptr<TAnimatedTexture> animation = mAssets->GetAnimatedTexture(name);
        if (animation) {
            mAnimation = animation;
            mSprite->SetTexture(animation);
            return true;
        }
    } else {
        std::shared_ptr<TTexture> texture = TTexture::Get(name);
        if (texture) {
            mTexture = texture;
            mSprite->SetTexture(texture);
            return true;
        }
    }
    LogPrintf("Cut-scene object \"%s\": \"%s\" did not load", mDef.name.CStr(), name.CStr());
    return false;
}

bool vlkSpriteCS::SetAction(const vlkAction* action) {
    if (!vlkObjectCS::SetAction(action))
        return false;
    const std::string_view property = mAction.property.View();
    const std::string_view function = mAction.function.View();
    const bool set = function == "set";
    const bool to = function == "to";
    const bool stop = function == "stop";
    const uint32_t ms = static_cast<uint32_t>(std::max(0, mAction.ParamInt("time", 0)));
    if (property == "position") {
        if (set)
            SetPositionNow(mAction.ParamXyz());
        else if (to)
            MoveTo(mAction.ParamXyz(), ms);
        else if (stop)
            mMoving = false;
        return set || to || stop;
    }
    if (property == "alpha") {
        const float value = mAction.ParamFloat("value", 0.0f);
        if (set) {
            mFading = false;
            SetAlpha(value);
        } else if (to && ms > 0) {
            mTargetAlpha = value;
            mAlphaStep = (value - mAlpha) / static_cast<float>(ms);
            mFading = true;
        } else if (stop) {
            mFading = false;
        }
        return set || to || stop;
    }
    if (property == "angle") {
        if (set)
            SetAngle(mAction.ParamXyz());
        else if (to)
            RotateTo(mAction.ParamXyz(), ms);
        else if (stop)
            mRotating = false;
        return set || to || stop;
    }
    if (property == "scale") {
        if (set)
            SetScale(mAction.ParamXyz());
        else if (to)
            ScaleTo(mAction.ParamXyz(), ms);
        else if (stop)
            mScaling = false;
        return set || to || stop;
    }
    if (property == "tint") {
        if (set) {
            mTinting = false;
            SetColour(TintOf(mAction));
        } else if (to && ms > 0) {
            mTargetColour = TintOf(mAction);
            const float* target = Components(mTargetColour);
            const float* current = Components(mColour);
            float* step = Components(mColourStep);
            for (int i = 0; i < 4; ++i)
                step[i] = (target[i] - current[i]) / static_cast<float>(ms);
            mTinting = true;
        } else if (stop) {
            mTinting = false;
        }
        return set || to || stop;
    }
    if (property == "visible" && set) {
        mVisible = mAction.ParamVisible();
        mSprite->Play("DoAnim");
        return true;
    }
    return false;
}

TColor vlkSpriteCS::TintOf(const vlkAction& action) {
    TColor colour(0.0f, 0.0f, 0.0f, 1.0f);
    float* channels = Components(colour);
    static const char* const kChannels[] = {"r", "g", "b", "a"};
    // Walked in file order so that a later parameter overrides "value".
    for (const vlkActionParam& param : action.params) {
        if (param.name.View() == "value") {
            colour = ParseHexColour(param.value);
            continue;
        }
        for (int i = 0; i < 4; ++i) {
            if (param.name.View() == kChannels[i])
                channels[i] = param.value.ToFloat();
        }
    }
    return colour;
}

void vlkSpriteCS::SetPositionNow(const TVec3& position) {
    mPosition = position;
    mMoving = false;
    const TVec3 at = mPosition + mOffset;
    mSprite->GetDrawSpec().SetPosition(at.x, at.y);
    PlaceParticles();
}

void vlkSpriteCS::MoveTo(const TVec3& position, uint32_t ms) {
    if (ms == 0)
        return;
    mTargetPosition = position;
    mPositionStep = StepTowards(mPosition, position, ms);
    mMoving = true;
}

void vlkSpriteCS::SetAngle(const TVec3& degrees) {
    mAngle = Scaled(degrees, kDegreesToRadians);
    mRotating = false;
    Place();
}

void vlkSpriteCS::RotateTo(const TVec3& degrees, uint32_t ms) {
    if (ms == 0)
        return;
    mTargetAngle = Scaled(degrees, kDegreesToRadians);
    mAngleStep = StepTowards(mAngle, mTargetAngle, ms);
    mRotating = true;
}

void vlkSpriteCS::SetScale(const TVec3& scale) {
    mScale = scale;
    mScaling = false;
    Place();
}

void vlkSpriteCS::ScaleTo(const TVec3& scale, uint32_t ms) {
    if (ms == 0)
        return;
    mTargetScale = scale;
    mScaleStep = StepTowards(mScale, scale, ms);
    mScaling = true;
}

void vlkSpriteCS::SetAlpha(float alpha) {
    mAlpha = alpha;
    ApplyAlpha();
}

void vlkSpriteCS::SetColour(const TColor& colour) {
    mColour = colour;
    float* drawn = mSprite->GetDrawSpec().mColor;
    drawn[0] = colour.r;
    drawn[1] = colour.g;
    drawn[2] = colour.b;
    drawn[3] = colour.a;
    ApplyAlpha();
}

// Texture drawing reads no alpha from the colour, so the tint's alpha
// joins the sprite's own.
void vlkSpriteCS::ApplyAlpha() {
    mSprite->SetAlpha(mAlpha * mColour.a);
}

TVec3 vlkSpriteCS::GetPosition() const {
    const TVec2 at = mSprite->GetDrawSpec().GetPosition();
    return TVec3(at.x, at.y, mPosition.z + mOffset.z);
}

int32_t vlkSpriteCS::GetWidth() const {
    if (!mSprite->GetTexture())
        return 0;
    const TRect bounds = mSprite->GetBounds(TDrawSpec(), -1);
    return bounds.right - bounds.left;
}

void vlkSpriteCS::Place() {
    TMat3& transform = mSprite->GetDrawSpec().mTransform;
    transform.SetIdentity();
    const TVec3 at = mMoving ? Floor(mPosition + mOffset) : mPosition + mOffset;
    transform.m[2][0] = at.x;
    transform.m[2][1] = at.y;
    transform.ScaleXY(mScale.x, mScale.y);
    transform.Rotate(mAngle.z);
}

void vlkSpriteCS::PlaceParticles() {
    if (!mParticles)
        return;
    const TVec3 at = mPosition + mOffset;
    mParticles->SetPosition(at.x, at.y, at.z);
}

void vlkSpriteCS::Call(Hook hook) {
    if (mListener && hook)
        (mListener->*hook)(this);
}

bool vlkSpriteCS::Update(uint32_t elapsed) {
    const float dt = static_cast<float>(elapsed);
    const bool traced = mDef.name.View() == "sea";
    if (mMoving) {
        mPosition += Scaled(mPositionStep, dt);
        TDrawSpec& spec = mSprite->GetDrawSpec();
        if (ReachedAll(Components(mPositionStep), Components(mPosition),
                       Components(mTargetPosition), 3)) {
            mPosition = mTargetPosition;
            mMoving = false;
            const TVec3 at = mPosition + mOffset;
            spec.SetPosition(at.x, at.y);
            Call(mOnMoveStep);
            Call(mOnMoveEnd);
        } else {
            const TVec3 at = Floor(mPosition + mOffset);
            spec.SetPosition(at.x, at.y);
            Call(mOnMoveStep);
        }
    }
    if (mFading) {
        if (traced)
            LogPrintf("Fading");
        mAlpha += mAlphaStep * dt;
        if (ReachedOne(mAlphaStep, mAlpha, mTargetAlpha)) {
            mAlpha = mTargetAlpha;
            mFading = false;
        }
        ApplyAlpha();
    }
    if (mRotating) {
        if (traced)
            LogPrintf("Rotating");
        mAngle += Scaled(mAngleStep, dt);
        if (ReachedOne(mAngleStep.z, mAngle.z, mTargetAngle.z)) {
            mAngle = mTargetAngle;
            mRotating = false;
            Call(mOnRotateEnd);
        }
        Place();
    }
    if (mScaling) {
        if (traced)
            LogPrintf("Scaling");
        mScale += Scaled(mScaleStep, dt);
        if (ReachedAll(Components(mScaleStep), Components(mScale), Components(mTargetScale), 3)) {
            mScale = mTargetScale;
            mScaling = false;
            Call(mOnScaleEnd);
        }
        Place();
    }
    if (mTinting) {
        if (traced)
            LogPrintf("Tinting");
        TColor colour = mColour;
        float* channels = Components(colour);
        const float* step = Components(mColourStep);
        for (int i = 0; i < 4; ++i)
            channels[i] += step[i] * dt;
        if (ReachedAll(step, channels, Components(mTargetColour), 4)) {
            colour = mTargetColour;
            mTinting = false;
            Call(mOnTintEnd);
        }
        SetColour(colour);
    }
    if (mParticles) {
        mParticles->Update(elapsed);
        PlaceParticles();
    }
    return true;
}

void vlkSpriteCS::Draw() {
    if (mVisible)
        mSprite->Draw(TDrawSpec(), -1);
    if (mParticles)
        mParticles->Draw();
}

bool vlkSpriteCS::HitTest(int32_t x, int32_t y) {
    if (!mVisible || !mSprite->GetTexture())
        return false;
    return mSprite->HitTest(x, y, TDrawSpec(), -1, -1);
}
