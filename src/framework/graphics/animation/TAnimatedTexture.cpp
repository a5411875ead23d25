#include "framework/graphics/animation/TAnimatedTexture.h"

#include "framework/graphics/animation/TAnimationFile.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TTextureData.h"

#include <algorithm>
#include <limits>

namespace {

// a + b held to the int range: a frame or a caller's rectangle near the
// limit gives an edge at the limit, never a wrapped one.
int32_t Offset(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

TAnimatedTexture::TAnimatedTexture(const TString& assetName) {
    mAnimation.mAssetName = assetName;
}

TClassId TAnimatedTexture::GetClassId() {
    static const char id = 0;
    return &id;
}

TString TAnimatedTexture::MakeAnimationKey(const TString& name, const TString& image,
                                           const TString& mask) {
    return TString::Format("%s:%s:%s", name.CStr(), image.CStr(), mask.CStr());
}

std::shared_ptr<TAnimatedTexture> TAnimatedTexture::Create(const TString& name,
                                                           const TString& key) {
    auto texture = std::make_shared<TAnimatedTexture>(name);
    if (TAssetManager* manager = GetAssetManager()) {
        manager->RegisterAsset(key, texture);
    }
    return texture;
}

std::shared_ptr<TAnimatedTexture> TAnimatedTexture::Get(const TString& name, const TString& image,
                                                        const TString& mask) {
    const TString key = MakeAnimationKey(name, image, mask);
    if (TAssetManager* manager = GetAssetManager()) {
        std::shared_ptr<TAsset> found = manager->GetAsset(key);
        if (found && found->IsKindOf(GetClassId())) {
            return std::static_pointer_cast<TAnimatedTexture>(found);
        }
    }
    std::shared_ptr<TAnimatedTexture> texture = Create(name, key);
    if (!texture->LoadAnimation(image, mask) || !texture->CheckImage()) {
        return nullptr;
    }
    return texture;
}

bool TAnimatedTexture::ReadImage(bool load, uint32_t& width, uint32_t& height) {
    TTextureData* data = GetTextureData();
    if (!data) {
        return false;
    }
    data->AddFlags(kTextureAlpha);
    data->RemoveFlags(kTextureAlphaFromImage);
    const TString& directory = mAnimation.mDirectory;
    const TString& image = mAnimation.mImageFileName;
    const TString& mask = mAnimation.mMaskFileName;
    TDecodedImage decoded;
    const auto read = [&](const TString& file, const TString& maskFile) {
        return load ? data->LoadImage(file, maskFile) : data->DecodeImage(file, maskFile, decoded);
    };
    const bool loaded = mask.IsEmpty()
                            ? read(directory + image, TString()) || read(image, TString())
                            : read(directory + image, directory + mask) || read(image, mask);
    if (!loaded) {
        return false;
    }
    width = load ? data->GetWidth() : static_cast<uint32_t>(std::max(decoded.width, 0));
    height = load ? data->GetHeight() : static_cast<uint32_t>(std::max(decoded.height, 0));
    return true;
}

bool TAnimatedTexture::FramesLeave(uint32_t imageWidth, uint32_t imageHeight) const {
    // The frames must lie in the picture that loaded, whatever size the
    // file declared.
    const auto width = static_cast<int32_t>(std::min<uint32_t>(imageWidth, INT32_MAX));
    const auto height = static_cast<int32_t>(std::min<uint32_t>(imageHeight, INT32_MAX));
    const int32_t outside = mAnimation.FindFrameOutside(std::max(width, 1), std::max(height, 1));
    if (outside < 0) {
        return false;
    }
    const TAnimationFrame& frame = mAnimation.mFrames[static_cast<size_t>(outside)];
    LogPrintf("Animation %s: frame %d (x %d, y %d, w %d, h %d) leaves its image %s of %d x %d",
              mAnimation.mAssetName.CStr(), outside + 1, frame.mX, frame.mY, frame.mW, frame.mH,
              mAnimation.mImageFileName.CStr(), width, height);
    return true;
}

bool TAnimatedTexture::LoadImage() {
    mImagePending = false;
    uint32_t width = 0;
    uint32_t height = 0;
    return ReadImage(true, width, height) && !FramesLeave(width, height);
}

bool TAnimatedTexture::CheckImage() {
    uint32_t width = 0;
    uint32_t height = 0;
    mImagePending = ReadImage(false, width, height) && !FramesLeave(width, height);
    return mImagePending;
}

void TAnimatedTexture::LoadPendingImage() {
    if (mImagePending && !LoadImage()) {
        LogPrintf("Animation %s: its image %s no longer loads", mAnimation.mAssetName.CStr(),
                  mAnimation.mImageFileName.CStr());
    }
}

void TAnimatedTexture::Draw(const TDrawSpec& spec) {
    TDrawSpec frameSpec;
    if (MakeFrameSpec(spec, frameSpec)) {
        LoadPendingImage();
        TTexture::Draw(frameSpec);
    }
}

void TAnimatedTexture::Blit(int32_t x, int32_t y, const TRect* source, TTexture* destination) {
    LoadPendingImage();
    TTexture::Blit(x, y, source, destination);
}

void TAnimatedTexture::RestoreResources() {
    if (!mImagePending) {
        TTexture::RestoreResources();
    }
}

uint32_t TAnimatedTexture::GetWidth() const {
    return static_cast<uint32_t>(GetFrameWidth());
}

uint32_t TAnimatedTexture::GetHeight() const {
    return static_cast<uint32_t>(GetFrameHeight());
}

bool TAnimatedTexture::LoadAnimation(const TString& image, const TString& mask) {
    TAnimationData loaded;
    if (!LoadAnimationData(mAnimation.mAssetName, image, mask, loaded)) {
        return false;
    }
    mAnimation = std::move(loaded);
    return true;
}

bool TAnimatedTexture::GetFrameRegistration(int32_t index, int32_t& regX, int32_t& regY) const {
    regX = 0;
    regY = 0;
    if (index < 0 || index >= GetFrameCount()) {
        return false;
    }
    regX = mAnimation.mFrames[static_cast<size_t>(index)].mRegX;
    regY = mAnimation.mFrames[static_cast<size_t>(index)].mRegY;
    return true;
}

bool TAnimatedTexture::MakeFrameSpec(const TDrawSpec& spec, TDrawSpec& out) const {
    const TAnimationFrame* frame = mAnimation.GetCurrentFrame();
    if (!frame || frame->mW == 0) {
        return false;
    }
    out = spec;
    if (!(out.mFlags & kDrawRegistration)) {
        out.mFlags |= kDrawRegistration;
        float regX = static_cast<float>(frame->mRegX);
        float regY = static_cast<float>(frame->mRegY);
        if (out.mFlags & kDrawFlipHorizontal) {
            regX = static_cast<float>(GetFrameWidth()) - regX;
        }
        if (out.mFlags & kDrawFlipVertical) {
            regY = static_cast<float>(GetFrameHeight()) - regY;
        }
        out.mRegistration = TVec2(regX, regY);
    }
    if (frame->HasTransform()) {
        const float* t = frame->mTransform;
        const TMat3 frameMatrix(t[0], t[1], 0.0f, t[2], t[3], 0.0f, t[4], t[5], 1.0f);
        out.mTransform = TMat3::Multiply(frameMatrix, out.mTransform);
    }
    const TRect frameRect(frame->mX, frame->mY, Offset(frame->mX, frame->mW),
                          Offset(frame->mY, frame->mH));
    if (!(out.mFlags & kDrawSourceRect)) {
        out.mFlags |= kDrawSourceRect;
        out.mSourceRect = frameRect;
    } else {
        const TRect& asked = out.mSourceRect;
        const TRect moved(Offset(asked.left, frame->mX), Offset(asked.top, frame->mY),
                          Offset(asked.right, frame->mX), Offset(asked.bottom, frame->mY));
        out.mSourceRect.Intersect(moved, frameRect);
        // Nothing of the caller's rectangle lies in the frame.
        if (out.mSourceRect.right <= out.mSourceRect.left ||
            out.mSourceRect.bottom <= out.mSourceRect.top) {
            return false;
        }
    }
    out.mAlpha *= frame->mAlpha;
    return true;
}
