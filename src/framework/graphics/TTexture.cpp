#include "framework/graphics/TTexture.h"

#include "framework/graphics/TRenderer.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/graphics/texture/TTextureDisplay.h"

#include <algorithm>
#include <cstring>

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
    TTextureDisplay& display = GetTextureDisplay();
    if (&display == &GetRendererTextureDisplay()) {
        if (TRenderer* renderer = TRenderer::Get())
            return renderer->CreateTextureData();
    }
    return new TDxTextureData(display);
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
    if (mData)
        mData->Restore();
}

void TTexture::Blit(int32_t x, int32_t y, const TRect* source, TTexture* destination) {
    if (!mData)
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
