#include "framework/graphics/animation/TAnimationData.h"

#include <algorithm>
#include <cstring>
#include <limits>

bool TAnimationFrame::operator==(const TAnimationFrame& other) const {
    // Bit-wise, so that a record and its copy through a file compare equal
    // even where a value is not a number.
    return mName == other.mName && mX == other.mX && mY == other.mY && mW == other.mW &&
           mH == other.mH && mRegX == other.mRegX && mRegY == other.mRegY &&
           mAnchors == other.mAnchors &&
           std::memcmp(mTransform, other.mTransform, sizeof mTransform) == 0 &&
           std::memcmp(&mAlpha, &other.mAlpha, sizeof mAlpha) == 0;
}

namespace {

bool SpanInside(int32_t start, int32_t length, int32_t limit) {
    const int64_t end = static_cast<int64_t>(start) + length;
    const int64_t bound = limit > 0 ? limit : std::numeric_limits<int32_t>::max();
    return start >= 0 && length >= 0 && end <= bound;
}

} // namespace

bool TAnimationFrame::LiesInside(int32_t imageWidth, int32_t imageHeight) const {
    return SpanInside(mX, mW, imageWidth) && SpanInside(mY, mH, imageHeight);
}

int32_t TAnimationData::FindFrameOutside(int32_t imageWidth, int32_t imageHeight) const {
    for (size_t i = 0; i < mFrames.size(); ++i) {
        if (!mFrames[i].LiesInside(imageWidth, imageHeight)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool TAnimationData::SetCurrentFrame(int32_t index) {
    if (index < -1 || index >= GetFrameCount()) {
        return false;
    }
    mCurrentFrame = index;
    return true;
}

const TAnimationFrame* TAnimationData::GetCurrentFrame() const {
    if (mCurrentFrame < 0 || mCurrentFrame >= GetFrameCount()) {
        return nullptr;
    }
    return &mFrames[static_cast<size_t>(mCurrentFrame)];
}

int32_t TAnimationData::GetCurrentWidth() const {
    const TAnimationFrame* frame = GetCurrentFrame();
    return frame ? frame->mW : 0;
}

int32_t TAnimationData::GetCurrentHeight() const {
    const TAnimationFrame* frame = GetCurrentFrame();
    return frame ? frame->mH : 0;
}

void TAnimationData::UpdateLargestFrame() {
    for (const TAnimationFrame& frame : mFrames) {
        mMaxFrameWidth = std::max(mMaxFrameWidth, frame.mW);
        mMaxFrameHeight = std::max(mMaxFrameHeight, frame.mH);
    }
}

bool TAnimationData::SameContent(const TAnimationData& other) const {
    return mName == other.mName && mSource == other.mSource &&
           mImageFileName == other.mImageFileName && mMaskFileName == other.mMaskFileName &&
           mScript == other.mScript && mMaxFrameWidth == other.mMaxFrameWidth &&
           mMaxFrameHeight == other.mMaxFrameHeight && mImageRegX == other.mImageRegX &&
           mImageRegY == other.mImageRegY && mImageWidth == other.mImageWidth &&
           mImageHeight == other.mImageHeight && mFrames == other.mFrames;
}

TString MakeDefaultAnimationScript(int32_t frameCount) {
    TString script("function DoAnim()\n");
    script += TString("    delay(60);\n");
    if (frameCount > 0) {
        script += TString("    frames{");
        for (int32_t i = 1; i <= frameCount; ++i) {
            script += TString::Format(i == 1 ? "%d" : ",%d", i);
        }
        script += TString("};\n");
    }
    script += TString("end\n");
    return script;
}
