#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/text/TMvecFont.h"

#include <cstddef>
#include <map>
#include <memory>

// Fonts by name, each loaded once per run. "__DEFAULT" is the built-in font;
// any other name is a font file, falling back to "fonts/default.mvec" and then
// to the built-in font. Every name gets a font object of its own, also when
// two names end on the same file. Main thread only.
//
// The cache shares its fonts: a text layout keeps the fonts of its runs, so
// emptying the cache frees a font only once no layout draws with it.
class TFontCache {
public:
    static constexpr const char* kBuiltinName = "__DEFAULT";
    static constexpr const char* kFallbackFile = "fonts/default.mvec";

    // The process's cache (emptied by ClearFontCache at shut-down).
    static TFontCache& Instance();

    // The font of a name; null only when no font object could be made,
    // which is logged ("Font not found: %s") and remembered.
    TMvecFont* Get(const TString& name);
    // The same, shared with the caller.
    std::shared_ptr<TMvecFont> GetShared(const TString& name);
    // Lets go of every font and empties the map.
    void Clear();
    size_t GetSize() const { return mFonts.size(); }

private:
    std::map<TString, std::shared_ptr<TMvecFont>> mFonts;
};

// The font of a name through the process's font cache.
TMvecFont* GetFont(const TString& name);
std::shared_ptr<TMvecFont> GetSharedFont(const TString& name);
void ClearFontCache();

// False when the text holds, within its length, a zero byte or a byte of
// 0xC0 or above (a lead byte of a multi-byte UTF-8 character).
bool IsSingleByteString(const char* text, size_t length);
bool IsSingleByteString(const TString& text);
