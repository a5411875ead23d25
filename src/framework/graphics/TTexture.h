#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAsset.h"
#include "framework/graphics/sprite/TDrawSpec.h"
#include "framework/graphics/texture/TTextureData.h"

#include <cstdint>
#include <memory>
#include <vector>

// Load flags of TTexture::Get and GetWithMask.
inline constexpr uint32_t kTextureLoadMipmap = 1;
inline constexpr uint32_t kTextureLoadAlpha = 2;
inline constexpr uint32_t kTextureLoadNoAlpha = 4;

// The image asset: a picture loaded by name from a PNG, JPEG or JPEG 2000
// file (optionally with a separate alpha mask), kept on a texture surface
// of the display and shared by key through the asset manager, which holds
// it weakly: a second Get of the same key gives the same texture while
// someone holds it. It owns its texture data, made for the current display.
// After a display reset the asset manager's restore pass reloads it from
// its file. Main thread.
class TTexture : public TAsset {
public:
    // The texture of an image name (options may follow a "?"); empty when
    // it cannot be loaded.
    static std::shared_ptr<TTexture> Get(const TString& name, uint32_t flags = 0);
    // The texture Get would give while it is loaded already; empty when
    // nobody holds it, and nothing is decoded.
    static std::shared_ptr<TTexture> Find(const TString& name, uint32_t flags = 0);
    // The width and height Get's texture would have, read by decoding the
    // picture without making a surface; false where Get would fail.
    static bool GetPictureSize(const TString& name, uint32_t& width, uint32_t& height);
    // The same with a separate mask image whose red channel is the alpha.
    static std::shared_ptr<TTexture> GetWithMask(const TString& name, const TString& mask,
                                                 uint32_t flags = 0);
    // A simple texture (drawn by blitting) for a cursor picture.
    static std::shared_ptr<TTexture> GetForCursor(const TString& name);
    // A cleared texture to draw into; empty when no surface can be made.
    static std::shared_ptr<TTexture> CreateRenderTarget(uint32_t width, uint32_t height,
                                                        bool alpha);
    // A new texture with fresh texture data, registered under the key (an
    // empty key becomes "<address>:tex:r").
    static std::shared_ptr<TTexture> Create(const TString& key);

    // A picture made from pixels already in memory (blue, green, red,
    // alpha; rows of width x 4 bytes). It is not shared through the asset
    // manager; it keeps its pixels, so they can be read without a display
    // and go onto the surface again when it is restored.
    TTexture(const TString& name, int32_t width, int32_t height, std::vector<uint8_t> bgra);
    ~TTexture() override;

    const char* GetClassName() const override { return "TTexture"; }
    bool IsKindOf(TClassId id) const override { return id == GetClassId() || TAsset::IsKindOf(id); }
    void ReleaseResources() override;
    void RestoreResources() override;
    static TClassId GetClassId();

    // Draws the image (or the draw record's source rectangle) as a transformed,
    // tinted quad; only inside a 2-D block, never for a simple texture.
    // With the setting "softwaretextureculling" a quad wholly outside the
    // clip rectangle is skipped.
    virtual void Draw(const TDrawSpec& spec);
    // Draws centred at (x, y) with that alpha, scale, turn (radians) and
    // TDrawFlags.
    virtual void DrawAt(float x, float y, float alpha, float scale, float angle, uint32_t flags);
    // Copies a rectangle of the image (null: all of it, else cut to the
    // image) to (x, y) of another texture, or of the back buffer for null.
    // Only outside frames.
    virtual void Blit(int32_t x, int32_t y, const TRect* source, TTexture* destination);
    virtual uint32_t GetWidth() const;
    virtual uint32_t GetHeight() const;

    // The pixels as 0xAARRGGBB words with the pitch in pixels; false
    // without a surface. Unlock writes them back.
    bool Lock(uint32_t*& pixels, int32_t& pitch);
    void Unlock();
    bool HasAlpha() const;
    bool IsSimple() const;
    // The image size plus twice the border, each rounded up to even.
    void GetSurfaceSize(uint32_t& width, uint32_t& height) const;
    // The image name, "." and the mask name.
    TString GetSourceName() const;

    TTextureData* GetTextureData() const { return mData.get(); }
    // The image name as loaded (options included), or the name given to a
    // picture made in memory.
    TString GetName() const;
    // The image part as bytes blue, green, red, alpha, rows of width x 4:
    // read from the surface, or decoded from the file again while there is
    // no surface (the hardware cursor needs them without a display).
    std::vector<uint8_t> GetPixels() const;

protected:
    TTexture();

private:
    void UploadMemoryPixels();

    TString mKey;
    std::unique_ptr<TTextureData> mData;
    // Pictures made in memory only.
    TString mMemoryName;
    std::vector<uint8_t> mMemoryPixels;
};

// The cache key of a texture: the name with "\" turned into "/", then ":a"
// for alpha, ":m" for mip-maps, ":s" for simple, and ":tex".
TString MakeTextureKey(const TString& name, bool alpha, bool mipmap, bool simple);

// A new texture-data object for the current display (the renderer's
// factory, or the display set by SetTextureDisplay).
TTextureData* MakeTextureData();
