#include "framework/graphics/TTexture.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"

#include <png.h>

#include <cstring>

std::shared_ptr<TTexture> TTexture::Get(const TString& name) {
    TFile file;
    if (!file.Open(name.CStr(), 0)) {
        LogPrintf("TTexture::Get: cannot open %s", name.CStr());
        return nullptr;
    }
    int32_t size = file.GetSize();
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (bytes.empty() || file.Read(bytes.data(), size) != size) {
        LogPrintf("TTexture::Get: cannot read %s", name.CStr());
        return nullptr;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        LogPrintf("TTexture::Get: %s is no PNG image (%s)", name.CStr(), image.message);
        return nullptr;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        LogPrintf("TTexture::Get: %s cannot be decoded (%s)", name.CStr(), image.message);
        png_image_free(&image);
        return nullptr;
    }
    return std::make_shared<TTexture>(name, static_cast<int32_t>(image.width),
                                      static_cast<int32_t>(image.height), std::move(pixels));
}

TTexture::TTexture(const TString& name, int32_t width, int32_t height, std::vector<uint8_t> bgra)
    : mName(name), mWidth(width), mHeight(height), mBgra(std::move(bgra)) {}
