#include "framework/graphics/texture/TTextureData.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TJp2Image.h"
#include "framework/graphics/texture/TJpegImage.h"
#include "framework/graphics/texture/TPngImage.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>

namespace {

struct BufferFree {
    void operator()(uint8_t* buffer) const { FreeImageBuffer(buffer); }
};
using Buffer = std::unique_ptr<uint8_t, BufferFree>;

bool Holds(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

struct Decoded {
    Buffer pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t side = 0;
    bool hasAlpha = false;
};

bool DecodePng(const std::string& name, int32_t maxSide, Decoded& out) {
    uint8_t* pixels = nullptr;
    const bool ok = LoadPngImage(name.c_str(), &pixels, &out.width, &out.height, &out.side,
                                 &out.hasAlpha, maxSide);
    out.pixels.reset(pixels);
    return ok && pixels;
}

bool DecodeJpeg(const std::string& name, int32_t maxSide, Decoded& out) {
    uint8_t* pixels = nullptr;
    const bool ok =
        LoadJpegImage(name.c_str(), &pixels, &out.width, &out.height, &out.side, maxSide);
    out.pixels.reset(pixels);
    out.hasAlpha = false;
    return ok && pixels;
}

bool DecodeJp2(const std::string& name, int32_t maxSide, Decoded& out) {
    uint8_t* pixels = nullptr;
    const bool ok = LoadJp2Image(name.c_str(), &pixels, &out.width, &out.height, &out.side,
                                 &out.hasAlpha, maxSide);
    out.pixels.reset(pixels);
    return ok && pixels;
}

// Pictures (with their mask and size limit) whose decode failed in this
// run: asked for again they fail at once, without another decode or log
// line.
std::set<std::string>& FailedDecodes() {
    static std::set<std::string> failed;
    return failed;
}

std::string FailureKey(const std::string& name, const std::string& mask, int32_t maxSide) {
    return name + '\n' + mask + '\n' + std::to_string(maxSide);
}

} // namespace

uint32_t TTextureData::PowerOfTwo(uint32_t value, uint32_t minimum) {
    uint32_t result = std::max<uint32_t>(minimum, 1);
    while (result < value && result < 0x80000000u)
        result <<= 1;
    return result;
}

void TTextureData::ForgetFailedLoads() {
    FailedDecodes().clear();
}

bool TTextureData::LoadImage(const TString& name, const TString& mask) {
    return Load(name, mask, nullptr);
}

bool TTextureData::DecodeImage(const TString& name, const TString& mask, TDecodedImage& image) {
    return Load(name, mask, &image);
}

bool TTextureData::Load(const TString& fullName, const TString& maskName,
                        TDecodedImage* decodeOnly) {
    std::string name = fullName.ToStd();
    std::string options;
    if (const size_t question = name.rfind('?'); question != std::string::npos) {
        options = name.substr(question);
        name.erase(question);
    }
    uint8_t flags = mFlags;
    if (Holds(options, "slow"))
        flags |= kTextureLarge | kTextureSimple;
    if (Holds(options, "simple"))
        flags |= kTextureSimple;
    if (Holds(options, "alpha")) {
        flags |= kTextureAlpha;
        flags &= static_cast<uint8_t>(~kTextureAlphaFromImage);
    }
    if (Holds(options, "mipmap"))
        flags |= kTextureMipmap;
    if (!decodeOnly)
        mFlags = flags;

    if (!FileExists(name.c_str())) {
        if (Holds(name, ".png") || Holds(name, ".jpg") || Holds(name, ".jp2"))
            return false;
        for (const char* extension : {".png", ".jpg", ".jp2"}) {
            if (Load(TString(name + extension + options), maskName, decodeOnly))
                return true;
        }
        return false;
    }
    std::string mask = maskName.ToStd();
    if (!mask.empty() && !FileExists(mask.c_str())) {
        if (Holds(mask, ".png") || Holds(mask, ".jpg"))
            return false;
        if (Load(fullName, TString(mask + ".jpg"), decodeOnly))
            return true;
        return Load(fullName, TString(mask + ".png"), decodeOnly);
    }

    // The decoders refuse from the header a picture that the size check
    // below would refuse after decoding.
    const int32_t maxSide =
        (flags & kTextureLarge) ? kMaxImageSide : static_cast<int32_t>(kMaxPlainTextureSide);
    const std::string failureKey = FailureKey(name, mask, maxSide);
    if (FailedDecodes().count(failureKey))
        return false;
    // The decoder's log line says why, once.
    const auto remember = [&failureKey]() {
        FailedDecodes().insert(failureKey);
        return false;
    };

    Decoded image;
    bool decoded = false;
    std::string mergedMask;
    if (Holds(name, ".png")) {
        decoded = DecodePng(name, maxSide, image);
        if (decoded && (flags & kTextureAlphaFromImage))
            flags = image.hasAlpha ? static_cast<uint8_t>(flags | kTextureAlpha)
                                   : static_cast<uint8_t>(flags & ~kTextureAlpha);
    } else if (Holds(name, ".jpg")) {
        decoded = DecodeJpeg(name, maxSide, image);
        if (decoded && mask.empty() && GetSettingBool(TSettingKey::kAutoMergeMask)) {
            std::string candidate = name;
            candidate.replace(candidate.find(".jpg"), 4, ".mask.png");
            if (FileExists(candidate.c_str())) {
                mergedMask = candidate;
                flags |= kTextureAlpha;
                flags &= static_cast<uint8_t>(~kTextureAlphaFromImage);
            }
        }
    } else if (Holds(name, ".jp2")) {
        decoded = DecodeJp2(name, maxSide, image);
        if (decoded && (flags & kTextureAlphaFromImage))
            flags = image.hasAlpha ? static_cast<uint8_t>(flags | kTextureAlpha)
                                   : static_cast<uint8_t>(flags & ~kTextureAlpha);
    } else {
        return false; // no decoder for the name
    }
    if (!decoded)
        return remember();

    const std::string& maskFile = mergedMask.empty() ? mask : mergedMask;
    if (!maskFile.empty()) {
        Decoded maskImage;
        bool maskKnown = true;
        bool maskDecoded = false;
        if (Holds(maskFile, ".png"))
            maskDecoded = DecodePng(maskFile, maxSide, maskImage);
        else if (Holds(maskFile, ".jpg"))
            maskDecoded = DecodeJpeg(maskFile, maxSide, maskImage);
        else
            maskKnown = false;
        if (maskKnown && !maskDecoded)
            return remember();
        if (maskDecoded && maskImage.side == image.side) {
            // The mask's red channel becomes the image's alpha.
            const size_t count = static_cast<size_t>(image.side) * static_cast<size_t>(image.side);
            uint8_t* to = image.pixels.get();
            const uint8_t* from = maskImage.pixels.get();
            for (size_t i = 0; i < count; ++i)
                to[i * 4 + 3] = from[i * 4 + 2];
        }
    }

    const uint32_t side = static_cast<uint32_t>(image.side);
    uint32_t surfaceWidth = side;
    uint32_t surfaceHeight = PowerOfTwo(static_cast<uint32_t>(image.height));
    if (!(flags & kTextureSimple) && RequiresSquareTextures())
        surfaceHeight = side;
    if ((surfaceWidth > kMaxPlainTextureSide || surfaceHeight > kMaxPlainTextureSide) &&
        !(flags & kTextureLarge))
        return false;

    if (decodeOnly) {
        const size_t bytes = static_cast<size_t>(side) * side * 4;
        decodeOnly->pixels.assign(image.pixels.get(), image.pixels.get() + bytes);
        decodeOnly->side = image.side;
        decodeOnly->width = image.width;
        decodeOnly->height = image.height;
        return true;
    }
    mFlags = flags;
    mName = fullName;
    mMaskName = maskName;
    CreateSurface(surfaceWidth, surfaceHeight, false);
    mBorderX = (surfaceWidth - static_cast<uint32_t>(image.width)) / 2;
    mBorderY = (surfaceHeight - static_cast<uint32_t>(image.height)) / 2;
    mWidth = static_cast<uint32_t>(image.width);
    mHeight = static_cast<uint32_t>(image.height);
    if (HasSurface())
        Upload(side, std::min(side, mSurfaceHeight), image.pixels.get());
    return true;
}
