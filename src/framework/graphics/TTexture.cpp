#include "framework/graphics/TTexture.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/graphics/texture/TTextureDisplay.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

TString AddressKey(const void* address) {
    return TString::Format("%lx:tex:r",
                           static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)));
}

std::shared_ptr<TTexture> Lookup(const TString& key) {
    TAssetManager* manager = GetAssetManager();
    if (!manager)
        return nullptr;
    std::shared_ptr<TAsset> asset = manager->GetAsset(key);
    if (!asset || !asset->IsKindOf(TTexture::GetClassId()))
        return nullptr;
    return std::static_pointer_cast<TTexture>(asset);
}

} // namespace

TTextureData* MakeTextureData() {
    // The renderer's factory makes the same: texture data on the display
    // the renderer's textures go to.
    return new TDxTextureData(GetTextureDisplay());
}

TString MakeTextureKey(const TString& name, bool alpha, bool mipmap, bool simple) {
    TString key = name;
    key.Replace(TString("\\"), TString("/"), TString::kReplaceAll);
    if (alpha)
        key += TString(":a");
    if (mipmap)
        key += TString(":m");
    if (simple)
        key += TString(":s");
    key += TString(":tex");
    return key;
}

TClassId TTexture::GetClassId() {
    static const char id = 0;
    return &id;
}

TTexture::TTexture() : mData(MakeTextureData()) {
    if (!mData) {
        // A factory that cannot make one still leaves a texture that knows
        // its sizes.
        mData.reset(new TDxTextureData(GetRendererTextureDisplay()));
    }
}

TTexture::TTexture(const TString& name, int32_t width, int32_t height, std::vector<uint8_t> bgra)
    : TTexture() {
    mMemoryName = name;
    const uint32_t w = static_cast<uint32_t>(std::max(width, 0));
    const uint32_t h = static_cast<uint32_t>(std::max(height, 0));
    if (bgra.size() < static_cast<size_t>(w) * h * 4) {
        LogPrintf("TTexture: %s has %zu bytes for %ux%u pixels; it stays empty", name.CStr(),
                  bgra.size(), w, h);
        return;
    }
    mMemoryPixels = std::move(bgra);
    mData->AddFlags(kTextureAlpha);
    mData->SetImageSize(w, h);
    if (w > 0 && h > 0 && mData->CreateSurface(w, h, true))
        UploadMemoryPixels();
}

void TTexture::UploadMemoryPixels() {
    if (mData->HasSurface() && !mMemoryPixels.empty())
        mData->Upload(mData->GetWidth(), mData->GetHeight(), mMemoryPixels.data());
}

TTexture::~TTexture() {
    if (mData && mData->GetName().IsEmpty()) {
        if (TAssetManager* manager = GetAssetManager())
            manager->RemoveAsset(AddressKey(this));
    }
    mData.reset();
}

std::shared_ptr<TTexture> TTexture::Create(const TString& key) {
    std::shared_ptr<TTexture> texture(new TTexture());
    texture->mKey = key.IsEmpty() ? AddressKey(texture.get()) : key;
    if (TAssetManager* manager = GetAssetManager())
        manager->RegisterAsset(texture->mKey, texture);
    return texture;
}

std::shared_ptr<TTexture> TTexture::Get(const TString& name, uint32_t flags) {
    const TString key = MakeTextureKey(name, (flags & kTextureLoadAlpha) != 0,
                                       (flags & kTextureLoadMipmap) != 0, false);
    if (std::shared_ptr<TTexture> found = Lookup(key))
        return found;
    std::shared_ptr<TTexture> texture = Create(key);
    TTextureData* data = texture->mData.get();
    if (flags & kTextureLoadAlpha)
        data->AddFlags(kTextureAlpha);
    else if (flags & kTextureLoadNoAlpha)
        data->RemoveFlags(kTextureAlpha);
    else
        data->AddFlags(kTextureAlphaFromImage);
    if (flags & kTextureLoadMipmap)
        data->AddFlags(kTextureMipmap);
    if (!data->LoadImage(name))
        texture.reset();
    return texture;
}

std::shared_ptr<TTexture> TTexture::Find(const TString& name, uint32_t flags) {
    return Lookup(MakeTextureKey(name, (flags & kTextureLoadAlpha) != 0,
                                 (flags & kTextureLoadMipmap) != 0, false));
}

bool TTexture::GetPictureSize(const TString& name, uint32_t& width, uint32_t& height) {
    std::unique_ptr<TTextureData> data(MakeTextureData());
    TDecodedImage image;
    if (!data || !data->DecodeImage(name, TString(), image))
        return false;
    width = static_cast<uint32_t>(image.width);
    height = static_cast<uint32_t>(image.height);
    return true;
}

std::shared_ptr<TTexture> TTexture::GetWithMask(const TString& name, const TString& mask,
                                                uint32_t flags) {
    TString key = name + TString(":") + mask;
    if (flags & kTextureLoadMipmap)
        key += TString(":m");
    key += TString(":tex");
    if (std::shared_ptr<TTexture> found = Lookup(key))
        return found;
    std::shared_ptr<TTexture> texture = Create(key);
    TTextureData* data = texture->mData.get();
    data->AddFlags(kTextureAlpha);
    if (flags & kTextureLoadMipmap)
        data->AddFlags(kTextureMipmap);
    if (!data->LoadImage(name, mask))
        texture.reset();
    return texture;
}

std::shared_ptr<TTexture> TTexture::GetForCursor(const TString& name) {
    const TString key = MakeTextureKey(name, false, false, true);
    if (std::shared_ptr<TTexture> found = Lookup(key))
        return found;
    std::shared_ptr<TTexture> texture = Create(key);
    texture->mData->AddFlags(kTextureSimple | kTextureAlphaFromImage);
    if (!texture->mData->LoadImage(name))
        texture.reset();
    return texture;
}

std::shared_ptr<TTexture> TTexture::CreateRenderTarget(uint32_t width, uint32_t height,
                                                       bool alpha) {
    std::shared_ptr<TTexture> texture = Create(TString());
    TTextureData* data = texture->mData.get();
    if (alpha)
        data->AddFlags(kTextureAlpha);
    data->AddFlags(kTextureRenderTarget);
    data->SetImageSize(width, height);
    if (!data->CreateSurface(width, height, true))
        texture.reset();
    return texture;
}

void TTexture::ReleaseResources() {
    if (mData)
        mData->Release();
}

void TTexture::RestoreResources() {
    if (!mData)
        return;
    mData->Restore();
    UploadMemoryPixels();
}

void TTexture::Draw(const TDrawSpec& spec) {
    if (!mData || !TGraphics::Exists())
        return;
    TGraphics* graphics = TGraphics::Get();
    if (!graphics->IsIn2d() || IsSimple())
        return;
    const float surfaceWidth = static_cast<float>(mData->GetSurfaceWidth());
    const float surfaceHeight = static_cast<float>(mData->GetSurfaceHeight());
    if (surfaceWidth <= 0.0f || surfaceHeight <= 0.0f)
        return;
    const TRect source = (spec.mFlags & kDrawSourceRect)
                             ? spec.mSourceRect
                             : TRect(0, 0, static_cast<int32_t>(mData->GetWidth()),
                                     static_cast<int32_t>(mData->GetHeight()));
    const float w = static_cast<float>(source.right - source.left);
    const float h = static_cast<float>(source.bottom - source.top);
    const TVec2 origin = (spec.mFlags & kDrawRegistration)
                             ? TVec2(-spec.mRegistration.x, -spec.mRegistration.y)
                             : TVec2(static_cast<float>(source.left - source.right) / 2.0f,
                                     static_cast<float>(source.top - source.bottom) / 2.0f);
    TVec2 corners[4] = {origin, TVec2(origin.x + w, origin.y), TVec2(origin.x + w, origin.y + h),
                        TVec2(origin.x, origin.y + h)};
    if (spec.mFlags & kDrawFlipVertical) {
        std::swap(corners[0].y, corners[2].y);
        std::swap(corners[1].y, corners[3].y);
    }
    if (spec.mFlags & kDrawFlipHorizontal) {
        std::swap(corners[0].x, corners[1].x);
        std::swap(corners[2].x, corners[3].x);
    }
    const TVec2 uvA(static_cast<float>(source.left) / surfaceWidth,
                    static_cast<float>(source.top) / surfaceHeight);
    const TVec2 uvB(static_cast<float>(source.right) / surfaceWidth,
                    static_cast<float>(source.bottom) / surfaceHeight);
    TVertex vertices[4];
    MakeQuadVertices(TVec2(0.0f, 0.0f), vertices, corners, uvA, uvB, spec.mTransform, spec.mAlpha,
                     TColor(spec.mColor[0], spec.mColor[1], spec.mColor[2], spec.mColor[3]));
    if (GetSettingBool(TSettingKey::kSoftwareTextureCulling)) {
        TRect clip = graphics->GetClipRect();
        if (clip.right > clip.left) {
            const TRect viewport = graphics->GetViewport();
            clip = TRect(clip.left - viewport.left, clip.top - viewport.top,
                         clip.right - viewport.left, clip.bottom - viewport.top);
            float left = corners[0].x, right = corners[0].x;
            float top = corners[0].y, bottom = corners[0].y;
            for (const TVec2& corner : corners) {
                left = std::min(left, corner.x);
                right = std::max(right, corner.x);
                top = std::min(top, corner.y);
                bottom = std::max(bottom, corner.y);
            }
            if (left > static_cast<float>(clip.right) || right < static_cast<float>(clip.left) ||
                top > static_cast<float>(clip.bottom) || bottom < static_cast<float>(clip.top))
                return;
        }
    }
    graphics->SetTexture(std::static_pointer_cast<TTexture>(shared_from_this()));
    if (spec.mBlendMode != -1)
        graphics->SetBlendMode(spec.mBlendMode);
    TVertexList list = TVertexList::CreateKind2(vertices, 4);
    graphics->DrawVertices(list, platform::gfx::kTriangleFan);
    list.Release();
}

void TTexture::DrawAt(float x, float y, float alpha, float scale, float angle, uint32_t flags) {
    if (!mData || !TGraphics::Exists() || !TGraphics::Get()->IsIn2d())
        return;
    TDrawSpec spec(x, y, alpha, scale, flags);
    spec.mTransform.Rotate(angle);
    Draw(spec);
}

void TTexture::Blit(int32_t x, int32_t y, const TRect* source, TTexture* destination) {
    if (!mData)
        return;
    // Copies between surfaces only outside frames and render targets.
    if (TGraphics::Exists() && TGraphics::Get()->IsDrawing())
        return;
    if (!source) {
        mData->Blit(x, y, nullptr, destination ? destination->mData.get() : nullptr);
        return;
    }
    const int32_t width = static_cast<int32_t>(mData->GetWidth());
    const int32_t height = static_cast<int32_t>(mData->GetHeight());
    TRect area(std::max(source->left, 0), std::max(source->top, 0), std::min(source->right, width),
               std::min(source->bottom, height));
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    mData->Blit(x, y, &area, destination ? destination->mData.get() : nullptr);
}

uint32_t TTexture::GetWidth() const {
    return mData ? mData->GetWidth() : 0;
}

uint32_t TTexture::GetHeight() const {
    return mData ? mData->GetHeight() : 0;
}

bool TTexture::Lock(uint32_t*& pixels, int32_t& pitch) {
    pixels = mData ? mData->Lock(pitch) : nullptr;
    return pixels != nullptr;
}

void TTexture::Unlock() {
    if (mData)
        mData->Unlock();
}

bool TTexture::HasAlpha() const {
    return mData && mData->HasFlag(kTextureAlpha);
}

bool TTexture::IsSimple() const {
    return mData && mData->HasFlag(kTextureSimple);
}

void TTexture::GetSurfaceSize(uint32_t& width, uint32_t& height) const {
    width = height = 0;
    if (!mData)
        return;
    width = mData->GetWidth() + 2 * mData->GetBorderX();
    height = mData->GetHeight() + 2 * mData->GetBorderY();
    width += width & 1;
    height += height & 1;
}

TString TTexture::GetSourceName() const {
    if (!mData)
        return TString(".");
    return mData->GetName() + TString(".") + mData->GetMaskName();
}

TString TTexture::GetName() const {
    if (!mMemoryName.IsEmpty())
        return mMemoryName;
    return mData ? mData->GetName() : TString();
}

std::vector<uint8_t> TTexture::GetPixels() const {
    std::vector<uint8_t> bytes;
    if (!mData || mData->GetWidth() == 0 || mData->GetHeight() == 0)
        return bytes;
    const uint32_t width = mData->GetWidth();
    const uint32_t height = mData->GetHeight();
    int32_t pitch = 0;
    if (const uint32_t* pixels = mData->Lock(pitch)) {
        bytes.resize(static_cast<size_t>(width) * height * 4);
        for (uint32_t y = 0; y < height; ++y)
            std::memcpy(bytes.data() + static_cast<size_t>(y) * width * 4,
                        pixels + static_cast<size_t>(y) * static_cast<uint32_t>(pitch), width * 4);
        mData->Unlock();
        return bytes;
    }
    if (!mMemoryPixels.empty()) {
        bytes.assign(mMemoryPixels.begin(),
                     mMemoryPixels.begin() + static_cast<ptrdiff_t>(width) * height * 4);
        return bytes;
    }
    TDecodedImage image;
    if (!mData->DecodeImage(mData->GetName(), mData->GetMaskName(), image) ||
        static_cast<uint32_t>(image.width) != width ||
        static_cast<uint32_t>(image.height) != height)
        return bytes;
    bytes.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(bytes.data() + static_cast<size_t>(y) * width * 4,
                    image.pixels.data() + static_cast<size_t>(y) * image.side * 4, width * 4);
    return bytes;
}
