#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <vector>

// Texture flags (one byte).
inline constexpr uint8_t kTextureAlpha = 0x02;          // has an alpha channel
inline constexpr uint8_t kTextureAlphaFromImage = 0x04; // the decoder decides kTextureAlpha
inline constexpr uint8_t kTextureMipmap = 0x08;         // build mip-maps
inline constexpr uint8_t kTextureSimple = 0x10;         // drawn by blitting only
inline constexpr uint8_t kTextureLarge = 0x20;          // allowed beyond 1024 pixels
inline constexpr uint8_t kTextureRenderTarget = 0x80;   // blank texture to draw into

// Surfaces wider or taller than this need kTextureLarge.
inline constexpr uint32_t kMaxPlainTextureSide = 1024;

// A decoded picture as the image loader leaves it: the square buffer's
// pixels (blue, green, red, alpha), its side and the image's size.
struct TDecodedImage {
    std::vector<uint8_t> pixels;
    int32_t side = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// What one texture needs on the display: the surface (kept by the
// implementation), the image's name, mask and sizes, the surface size, the
// offset of the image inside it and the flags. Every TTexture owns one,
// made for the current display by the renderer's texture-data factory.
// LoadImage turns a name into a filled surface; the implementation makes,
// fills, reads, copies and restores the surface. Main thread.
class TTextureData {
public:
    TTextureData() = default;
    TTextureData(const TTextureData&) = delete;
    TTextureData& operator=(const TTextureData&) = delete;
    virtual ~TTextureData() = default;

    // Gives up the surface (before a display reset).
    virtual void Release() = 0;
    // Makes the surface again after a display reset: reloads a named
    // texture from its file, clears a blank one.
    virtual void Restore() = 0;
    // Copies a 4-byte-per-pixel buffer (blue, green, red, alpha; width x
    // height pixels, rows width x 4 bytes apart) into the surface's
    // top-left, cut to the surface. False without a surface.
    virtual bool Upload(uint32_t width, uint32_t height, const uint8_t* pixels) = 0;
    // Makes a surface of at least width x height; with clear it starts
    // zeroed. False when no surface could be made for a reason other than
    // a lost display.
    virtual bool CreateSurface(uint32_t width, uint32_t height, bool clear) = 0;
    // Copies the source rectangle (null: the whole image) to (x, y) of the
    // destination's surface, or of the back buffer when there is none.
    virtual void Blit(int32_t x, int32_t y, const TRect* source, TTextureData* destination) = 0;
    // Fills the surface with 0.
    virtual void Clear() = 0;
    // The pixels as 0xAARRGGBB words and the pitch in pixels; null when
    // there is no surface. Unlock writes them back.
    virtual uint32_t* Lock(int32_t& pitch) = 0;
    virtual void Unlock() = 0;
    virtual bool HasSurface() const = 0;
    // The display takes square textures only.
    virtual bool RequiresSquareTextures() = 0;

    // Loads the image of a name into a new surface. The name may end in
    // option words after its last "?" ("slow", "simple", "alpha",
    // "mipmap"); a name without a file is tried with ".png", ".jpg" and
    // ".jp2" added, a mask without one with ".jpg" and ".png". A mask's red
    // channel becomes the image's alpha when both buffers have one side.
    // False when nothing could be decoded or the surface would be too
    // large (the decoders refuse such a picture from its header); true,
    // with the sizes recorded, also when no surface could be made (it is
    // made at the next restore). A picture that fails to decode is
    // remembered for the run: asked for again (same file, mask and size
    // limit) it fails at once, and the log names it once.
    bool LoadImage(const TString& name, const TString& mask = TString());
    // Decodes the image (and mask) of a name the way LoadImage does, without
    // touching this texture or any surface.
    bool DecodeImage(const TString& name, const TString& mask, TDecodedImage& image);

    const TString& GetName() const { return mName; }
    const TString& GetMaskName() const { return mMaskName; }
    uint32_t GetWidth() const { return mWidth; }
    uint32_t GetHeight() const { return mHeight; }
    uint32_t GetSurfaceWidth() const { return mSurfaceWidth; }
    uint32_t GetSurfaceHeight() const { return mSurfaceHeight; }
    uint32_t GetBorderX() const { return mBorderX; }
    uint32_t GetBorderY() const { return mBorderY; }
    uint8_t GetFlags() const { return mFlags; }
    bool HasFlag(uint8_t flag) const { return (mFlags & flag) != 0; }
    void SetFlags(uint8_t flags) { mFlags = flags; }
    void AddFlags(uint8_t flags) { mFlags = static_cast<uint8_t>(mFlags | flags); }
    void RemoveFlags(uint8_t flags) { mFlags = static_cast<uint8_t>(mFlags & ~flags); }
    // Blank textures record their size here before making the surface.
    void SetImageSize(uint32_t width, uint32_t height) {
        mWidth = width;
        mHeight = height;
    }

    // Forgets the pictures that failed to decode, so that they are tried
    // again (a tool that reloads files which may have been mended).
    static void ForgetFailedLoads();

    // The smallest power of two not below value, at least minimum.
    static uint32_t PowerOfTwo(uint32_t value, uint32_t minimum = 1);

protected:
    TString mName;
    TString mMaskName;
    uint32_t mWidth = 0;
    uint32_t mHeight = 0;
    uint32_t mSurfaceWidth = 0;
    uint32_t mSurfaceHeight = 0;
    uint32_t mBorderX = 0;
    uint32_t mBorderY = 0;
    uint8_t mFlags = 0;

private:
    bool Load(const TString& name, const TString& mask, TDecodedImage* decodeOnly);
};
