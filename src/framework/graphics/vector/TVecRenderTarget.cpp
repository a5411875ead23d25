#include "framework/graphics/vector/TVecRenderTarget.h"

#include <algorithm>

TVecPixelTarget::TVecPixelTarget(int width, int height, uint32_t fill)
    : mWidth(std::max(0, width)), mHeight(std::max(0, height)),
      mPixels(static_cast<size_t>(mWidth) * mHeight, fill) {}

bool TVecPixelTarget::Lock(uint32_t*& pixels, int& width, int& height, int& pitch) {
    if (mFailLock || mLocked || mPixels.empty())
        return false;
    mLocked = true;
    ++mLocks;
    pixels = mPixels.data();
    width = mWidth;
    height = mHeight;
    pitch = mWidth * 4;
    return true;
}

void TVecPixelTarget::Unlock() {
    mLocked = false;
}

void TVecPixelTarget::Clear(uint32_t colour) {
    std::fill(mPixels.begin(), mPixels.end(), colour);
}
