#pragma once

#include "framework/graphics/texture/TTextureData.h"
#include "framework/graphics/texture/TTextureDisplay.h"
#include "platform/graphics/GraphicsSurface.h"

#include <vector>

// Texture data on the graphics display: simple textures are plain
// surfaces in the display's format with the best alpha form the device
// offers; all others are device textures (16-bit on a 16-bit display,
// 32-bit otherwise, optionally with a mip chain). Pixels go in by the
// display's own loader or by a per-mask conversion, come out through a lock
// (directly for 32-bit ARGB surfaces, else through a 32-bit copy), and every
// surface made or released is counted in TTextureMemory. Asks its display
// (TTextureDisplay) at every call. Made by the renderer's texture-data
// factory; the texture owns it. Main thread.
class TDxTextureData : public TTextureData {
public:
    explicit TDxTextureData(TTextureDisplay& display) : mDisplay(display) {}
    ~TDxTextureData() override;

    void Release() override;
    void Restore() override;
    bool Upload(uint32_t width, uint32_t height, const uint8_t* pixels) override;
    bool CreateSurface(uint32_t width, uint32_t height, bool clear) override;
    void Blit(int32_t x, int32_t y, const TRect* source, TTextureData* destination) override;
    void Clear() override;
    uint32_t* Lock(int32_t& pitch) override;
    void Unlock() override;
    bool HasSurface() const override { return mSurface != nullptr; }
    bool RequiresSquareTextures() override { return mDisplay.IsSquareTexturesOnly(); }

    const platform::SurfacePtr& GetSurface() const { return mSurface; }
    bool IsCreatedByDevice() const { return mCreatedByD3dx; }
    // The mip-level count asked of the device: 0 one level, -1 a full chain.
    int32_t GetMipLevelCount() const { return mMipLevels; }

    // The alpha format kept for plain surfaces (chosen once per display
    // depth from the device's texture formats); tests start afresh with
    // ForgetKeptFormat.
    static bool GetKeptFormat(platform::PixelFormat& format);
    static void ForgetKeptFormat();

private:
    platform::GfxResult CreatePlainSurface(int32_t width, int32_t height,
                                           const platform::DisplayMode& mode,
                                           platform::GraphicsDisplay& display);
    platform::GfxResult TryPlain(uint32_t caps, int32_t width, int32_t height,
                                 const platform::DisplayMode& mode,
                                 platform::GraphicsDisplay& display);
    platform::GfxResult CreateDeviceTexture(int32_t width, int32_t height,
                                            const platform::DisplayMode& mode,
                                            platform::GraphicsDisplay& display);
    bool UploadByMasks(uint32_t width, uint32_t height, const uint8_t* pixels);
    void RecordSizesOnly(uint32_t width, uint32_t height);
    void DropSurface();
    bool FileExistsLoosely(const TString& name) const;

    TTextureDisplay& mDisplay;
    platform::SurfacePtr mSurface;
    // Bytes counted for the surface (height x pitch).
    uint64_t mCounted = 0;
    int32_t mMipLevels = 0;
    bool mCreatedByD3dx = false;
    std::vector<uint32_t> mLockCopy;
    bool mLockedDirect = false;
};
