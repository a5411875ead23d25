#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>
#include <vector>

// A picture loaded by name. This first form decodes PNG files (through the
// file system, so pack entries and in-memory files load too) into 4-byte
// pixels in the order blue, green, red, alpha, which is what the hardware
// cursor needs; surfaces, the other formats and the asset map's sharing
// come with the graphics work.
class TTexture {
public:
    // The picture of that name; empty when the file is missing or is no
    // PNG image (which is logged).
    static std::shared_ptr<TTexture> Get(const TString& name);
    // A picture made from pixels already in memory.
    TTexture(const TString& name, int32_t width, int32_t height, std::vector<uint8_t> bgra);

    const TString& GetName() const { return mName; }
    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    const std::vector<uint8_t>& GetPixels() const { return mBgra; }

private:
    TString mName;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    std::vector<uint8_t> mBgra;
};
