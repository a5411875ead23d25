#include "platform/window/PictureFit.h"

namespace platform {

namespace {

// Division that rounds towards minus infinity, so that points left of or
// above the picture map to negative picture points.
int64_t FloorDivide(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

PictureFit::PictureFit(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth,
                       int32_t areaHeight) {
    mWidth = areaWidth;
    mHeight = areaHeight;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return;
    mPictureWidth = pictureWidth;
    mPictureHeight = pictureHeight;
    mHeight = static_cast<int32_t>(static_cast<int64_t>(pictureHeight) * areaWidth / pictureWidth);
    if (mHeight > areaHeight) {
        mHeight = areaHeight;
        mWidth =
            static_cast<int32_t>(static_cast<int64_t>(pictureWidth) * areaHeight / pictureHeight);
    }
    mLeft = (areaWidth - mWidth) / 2;
    mTop = (areaHeight - mHeight) / 2;
}

bool PictureFit::IsIdentity() const {
    return mPictureWidth == 0 ||
           (mLeft == 0 && mTop == 0 && mWidth == mPictureWidth && mHeight == mPictureHeight);
}

bool PictureFit::Covers(int32_t areaX, int32_t areaY) const {
    if (mPictureWidth == 0)
        return true;
    return areaX >= mLeft && areaX < mLeft + mWidth && areaY >= mTop && areaY < mTop + mHeight;
}

void PictureFit::ToPicture(int32_t areaX, int32_t areaY, int32_t& x, int32_t& y) const {
    if (IsIdentity() || mWidth <= 0 || mHeight <= 0) {
        x = areaX;
        y = areaY;
        return;
    }
    x = static_cast<int32_t>(
        FloorDivide(static_cast<int64_t>(areaX - mLeft) * mPictureWidth, mWidth));
    y = static_cast<int32_t>(
        FloorDivide(static_cast<int64_t>(areaY - mTop) * mPictureHeight, mHeight));
}

void PictureFit::ToArea(int32_t x, int32_t y, int32_t& areaX, int32_t& areaY) const {
    if (IsIdentity()) {
        areaX = x;
        areaY = y;
        return;
    }
    areaX = mLeft + static_cast<int32_t>(
                        FloorDivide((2 * static_cast<int64_t>(x) + 1) * mWidth, 2 * mPictureWidth));
    areaY = mTop + static_cast<int32_t>(FloorDivide((2 * static_cast<int64_t>(y) + 1) * mHeight,
                                                    2 * mPictureHeight));
}

} // namespace platform
