#include "framework/ui/widgets/TImage.h"

#include "framework/core/log/TLog.h"
#include "framework/core/math/ClampedInt.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/sprite/TDrawSpec.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowStyle.h"

#include <algorithm>

namespace {

// A picture's size on the screen, clamped before the conversion: a scale
// of NaN or past the integers gives a very small or a very large picture.
int32_t Rounded(float value) {
    return ClampedInt(static_cast<double>(value) + 0.5, -kPixelLimit, kPixelLimit);
}

} // namespace

TImage::TImage(bool overlay) {
    if (overlay)
        mFlags |= kWindowFirstPass;
    SetFlags(mFlags | kWindowOpaque);
}

TWindow* TImage::Create() {
    return new TImage(false);
}

void TImage::Init(TWindowStyle& style) {
    // 1.
    const TString image = style.GetString("image");
    const TString mask = style.GetString("mask");
    float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    const bool alpha = style.GetBool("alpha", false);
    const bool mipmap = style.GetBool("mipmap", false);
    if (style.GetBool("hflip", false))
        mDrawFlags |= kDrawFlipHorizontal;
    if (style.GetBool("vflip", false))
        mDrawFlags |= kDrawFlipVertical;
    if (style.GetBool("rotate", false))
        mRotate = true;
    // 2.
    uint32_t loadFlags = 0;
    if (alpha) {
        SetFlags(mFlags & ~kWindowOpaque);
        loadFlags |= 2;
    }
    if (mipmap)
        loadFlags |= 1;
    // 3.
    std::shared_ptr<TTexture> texture;
    if (!image.IsEmpty() && !mask.IsEmpty())
        texture = TTexture::GetWithMask(image, mask, loadFlags);
    else if (!image.IsEmpty())
        texture = TTexture::Get(image, loadFlags);
    // 4.
    if (texture && scale == 1.0f && style.GetBool("autoscale", false)) {
        int width = 0;
        int height = 0;
        bool fullScreen = false;
        TWindowManager* manager = TWindowManager::Instance();
        if (manager && manager->GetHost())
            manager->GetHost()->GetDisplayMode(width, height, fullScreen);
        const float textureWidth = static_cast<float>(texture->GetWidth());
        const float textureHeight = static_cast<float>(texture->GetHeight());
        const float sx = textureWidth == 0 ? 1.0f : static_cast<float>(width) / textureWidth;
        const float sy = textureHeight == 0 ? 1.0f : static_cast<float>(height) / textureHeight;
        scale = sy > 1.0f ? sy : sx;
    }
    // 5. and 6.
    SetBitmap(texture, scale);
    // A picture can start see-through (a fade laid over a screen waits at
    // 0). Held to 0..1; a value that is not a number leaves it opaque.
    const double opacity = style.GetNumber("opacity", 1.0);
    if (opacity < 1.0)
        SetAlpha(static_cast<float>(std::max(opacity, 0.0)));
    TWindow::Init(style);
}

void TImage::SizeToTexture() {
    if (mTexture)
        SizeTo(mTexture->GetWidth(), mTexture->GetHeight());
}

void TImage::SizeTo(uint32_t pictureWidth, uint32_t pictureHeight) {
    const float width = static_cast<float>(pictureWidth) * mScale;
    const float height = static_cast<float>(pictureHeight) * mScale;
    if (mRotate)
        SetSize(Rounded(height), Rounded(width));
    else
        SetSize(Rounded(width), Rounded(height));
}

void TImage::SetBitmap(const std::shared_ptr<TTexture>& texture, float scale) {
    mWaitingPicture = TString();
    mTexture = texture;
    mScale = scale;
    SizeToTexture();
    InvalidateWindows();
}

bool TImage::SetBitmapOnFirstDraw(const TString& name, float scale) {
    if (std::shared_ptr<TTexture> loaded = TTexture::Find(name)) {
        SetBitmap(loaded, scale);
        return true;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    if (!TTexture::GetPictureSize(name, width, height)) {
        LogPrintf("TImage: could not load the picture %s", name.CStr());
        SetBitmap(nullptr, scale);
        return false;
    }
    mTexture.reset();
    mWaitingPicture = name;
    mScale = scale;
    SizeTo(width, height);
    InvalidateWindows();
    return true;
}

void TImage::LoadWaitingPicture() {
    const TString name = mWaitingPicture;
    mWaitingPicture = TString();
    // The window keeps the size it was given from the same file.
    mTexture = TTexture::Get(name);
    if (!mTexture)
        LogPrintf("TImage: could not load the picture %s", name.CStr());
}

void TImage::SetAlpha(float alpha) {
    mAlpha = alpha;
    const bool opaque = alpha == 1.0f && mTexture && !mTexture->HasAlpha();
    SetFlags(opaque ? (mFlags | kWindowOpaque) : (mFlags & ~kWindowOpaque));
    InvalidateWindows();
}

void TImage::SetDrawFlags(uint32_t flags) {
    mDrawFlags = flags & (kDrawFlipHorizontal | kDrawFlipVertical);
    InvalidateWindows();
}

void TImage::SetRotate(bool rotate) {
    if (rotate != mRotate) {
        mRotate = rotate;
        SizeToTexture();
    }
    InvalidateWindows();
}

void TImage::Draw() {
    if (!mWaitingPicture.IsEmpty())
        LoadWaitingPicture();
    // A see-through picture (a fade waiting at 0) costs no draw.
    if (!mTexture || mAlpha <= 0.0f)
        return;
    TGraphics* graphics = TGraphics::Get();
    const bool began = graphics->Begin2d();
    TDrawSpec spec(0.0f, 0.0f, mAlpha, mScale, mDrawFlags | kDrawRegistration);
    if (mRotate) {
        spec.mRegistration.y += static_cast<float>(mTexture->GetHeight());
        spec.mTransform.Rotate(kQuarterTurn);
    }
    mTexture->Draw(spec);
    if (began)
        graphics->End2d();
}
