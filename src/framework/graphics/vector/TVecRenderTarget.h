#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A picture the vector drawer can write spans into in memory, in place of
// drawing them: pixels are 32-bit words 0xAARRGGBB.
class TVecRenderTarget {
public:
    virtual ~TVecRenderTarget() = default;
    // Gives the pixels, the size and the distance between rows in bytes;
    // false when the picture cannot be locked.
    virtual bool Lock(uint32_t*& pixels, int& width, int& height, int& pitch) = 0;
    virtual void Unlock() = 0;
};

// A render target held in memory: what text is drawn into with no display
// (tools, tests, text baked into pictures).
class TVecPixelTarget : public TVecRenderTarget {
public:
    TVecPixelTarget(int width, int height, uint32_t fill = 0);

    bool Lock(uint32_t*& pixels, int& width, int& height, int& pitch) override;
    void Unlock() override;

    void Clear(uint32_t colour);
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    bool IsLocked() const { return mLocked; }
    int GetLockCount() const { return mLocks; }
    // Locking fails while told to.
    void FailLock(bool fail) { mFailLock = fail; }
    uint32_t At(int x, int y) const { return mPixels[static_cast<size_t>(y) * mWidth + x]; }
    const std::vector<uint32_t>& GetPixels() const { return mPixels; }

private:
    int mWidth;
    int mHeight;
    std::vector<uint32_t> mPixels;
    bool mLocked = false;
    bool mFailLock = false;
    int mLocks = 0;
};
