#pragma once

#include "framework/graphics/text/TMvecFormat.h"

#include <cstdint>
#include <vector>

// One MVC4 vector font in memory: the whole image, read in place, and the
// metric questions the text layout asks about its glyphs. Metrics are in
// font units (a stored value times 1/128). The font cache owns the fonts.
class TMvecFont {
public:
    // Takes the image. An image that is not MVC4, or whose table is damaged,
    // gives a font without glyphs (logged with the name).
    explicit TMvecFont(std::vector<uint8_t> block, const char* name = "");
    TMvecFont(const TMvecFont&) = delete;
    TMvecFont& operator=(const TMvecFont&) = delete;
    virtual ~TMvecFont() = default;

    int32_t GetGlyphCount() const { return mCount; }
    // The index of the glyph of a character code, or -1.
    int32_t FindGlyph(uint32_t code) const;
    uint32_t GetCode(int32_t index) const { return Valid(index) ? mCodes[index] : 0; }

    // Per glyph index; an index outside the table gives the value named.
    TMvecPath GetOutline(int32_t index) const; // a null path
    float GetAdvance(int32_t index) const;     // 0
    float GetLeft(int32_t index) const;        // 0
    float GetRight(int32_t index) const;       // 0
    float GetTop(int32_t index) const;         // 0
    float GetBottom(int32_t index) const;      // 0
    float GetFitFactor(int32_t index) const;   // 1

    float GetAscent() const { return mAscent; }
    float GetDescent() const { return mDescent; }
    float GetStrokeFactor() const { return mStrokeFactor; }
    // The share of a line's height that the glyph box takes.
    float GetBoxShare() const { return 0.8f; }
    // The space above the ascent (top) or below the descent inside a line.
    float GetLinePadding(bool top) const;
    // The em square in font units, as the fonts made by mvecfont record it
    // (0 when the image does not say).
    float GetEmSize() const { return mEmSize; }

    const std::vector<uint8_t>& GetData() const { return mData; }

private:
    bool Valid(int32_t index) const { return index >= 0 && index < mCount; }

    std::vector<uint8_t> mData;
    std::vector<TMvecGlyphRecord> mRecords;
    int32_t mCount = 0;
    std::vector<uint32_t> mCodes;
    std::vector<float> mFitFactors;
    float mAscent = 0.0f;
    float mDescent = 0.0f;
    float mStrokeFactor = 1.0f;
    float mEmSize = 0.0f;
};
