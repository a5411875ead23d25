#pragma once

#include <cstdint>

namespace platform {

// How the program's picture (the display mode's size) stands in a window
// area of another size: scaled to fit with its aspect kept and centred,
// with black bars on two sides. Presenting draws the picture there, and the
// pointer is read through the same fit, so that a click lands on what is
// drawn under it. A picture of no size, or of the area's own size, is the
// area itself.
class PictureFit {
public:
    PictureFit() = default;
    PictureFit(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth, int32_t areaHeight);

    // Where the picture lies in the area.
    int32_t Left() const { return mLeft; }
    int32_t Top() const { return mTop; }
    int32_t Width() const { return mWidth; }
    int32_t Height() const { return mHeight; }
    bool IsIdentity() const;

    // Whether an area point lies on the picture (not in the bars).
    bool Covers(int32_t areaX, int32_t areaY) const;
    // The picture point under an area point; points off the picture map
    // past its edges (a drag held outside goes on).
    void ToPicture(int32_t areaX, int32_t areaY, int32_t& x, int32_t& y) const;
    // The area point at the middle of a picture pixel.
    void ToArea(int32_t x, int32_t y, int32_t& areaX, int32_t& areaY) const;

private:
    int32_t mPictureWidth = 0;
    int32_t mPictureHeight = 0;
    int32_t mLeft = 0;
    int32_t mTop = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
};

} // namespace platform
