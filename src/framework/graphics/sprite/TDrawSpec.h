#pragma once

#include "framework/core/math/TMatrix.h"
#include "framework/core/math/TRect.h"
#include "framework/core/math/TVector.h"

#include <cstdint>

// What one draw of a texture looks like. Sprites, animated textures and
// the texture draw calls read it.
enum TDrawFlags : uint32_t {
    kDrawFlipHorizontal = 1,
    kDrawFlipVertical = 2,
    // Draw only the source rectangle (else the whole image).
    kDrawSourceRect = 4,
    // The registration point is the origin (else the centre of the source
    // rectangle).
    kDrawRegistration = 8,
};

// The record of one draw: where (a row-vector 2-D transform, translation in
// the last row), which part of the image, how transparent, flipped or
// blended. A plain value.
struct TDrawSpec {
    TMat3 mTransform;
    TVec2 mRegistration;
    // Red, green, blue, alpha; texture drawing ignores the fourth.
    float mColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float mAlpha = 1.0f;
    TRect mSourceRect;
    uint32_t mFlags = 0;
    // A blend mode of the draw front; -1 keeps the current one (or, in a
    // sprite tree, takes the parent's).
    int32_t mBlendMode = -1;

    TDrawSpec() = default;
    // Identity scaled by scale (when it is not 1), translated to (x, y).
    TDrawSpec(float x, float y, float alpha = 1.0f, float scale = 1.0f, uint32_t flags = 0);

    void SetPosition(float x, float y) {
        mTransform.m[2][0] = x;
        mTransform.m[2][1] = y;
    }
    TVec2 GetPosition() const { return TVec2(mTransform.m[2][0], mTransform.m[2][1]); }
};
