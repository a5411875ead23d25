#include "framework/graphics/text/TFontCache.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/text/TBuiltinFont.h"

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> BuiltinImage() {
    return std::vector<uint8_t>(kBuiltinFontData, kBuiltinFontData + kBuiltinFontDataSize);
}

// Reads a whole file; false when it does not open.
bool ReadFontFile(const char* name, std::vector<uint8_t>& block) {
    TFile file;
    if (!file.Open(name, 0))
        return false;
    file.Seek(0, 2);
    const int32_t size = file.Tell();
    file.Seek(0, 1);
    block.assign(size > 0 ? static_cast<size_t>(size) : 0, 0);
    const int32_t got = size > 0 ? file.Read(block.data(), size) : 0;
    if (got != size) {
        LogPrintf("Font file %s: read %d of %d bytes", name, got, size);
        block.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    file.Close();
    return true;
}

} // namespace

TFontCache& TFontCache::Instance() {
    static TFontCache cache;
    return cache;
}

TMvecFont* TFontCache::Get(const TString& name) {
    return GetShared(name).get();
}

std::shared_ptr<TMvecFont> TFontCache::GetShared(const TString& name) {
    auto found = mFonts.find(name);
    if (found != mFonts.end())
        return found->second;

    std::shared_ptr<TMvecFont> font;
    if (name == TString(kBuiltinName)) {
        font = std::make_shared<TMvecFont>(BuiltinImage(), kBuiltinName);
    } else {
        std::vector<uint8_t> block;
        if (ReadFontFile(name.CStr(), block) || ReadFontFile(kFallbackFile, block))
            font = std::make_shared<TMvecFont>(std::move(block), name.CStr());
        else
            font = std::make_shared<TMvecFont>(BuiltinImage(), kBuiltinName);
    }
    if (!font)
        LogPrintf("Font not found: %s", name.CStr());
    mFonts[name] = font;
    return font;
}

void TFontCache::Clear() {
    mFonts.clear();
}

TMvecFont* GetFont(const TString& name) {
    return TFontCache::Instance().Get(name);
}

std::shared_ptr<TMvecFont> GetSharedFont(const TString& name) {
    return TFontCache::Instance().GetShared(name);
}

void ClearFontCache() {
    TFontCache::Instance().Clear();
}

bool IsSingleByteString(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0 || byte >= 0xC0)
            return false;
    }
    return true;
}

bool IsSingleByteString(const TString& text) {
    return IsSingleByteString(text.CStr(), static_cast<size_t>(text.Length()));
}
