#include "framework/graphics/text/TMvecFont.h"

#include "framework/core/log/TLog.h"

#include <algorithm>

namespace {
constexpr float kUnit = 0.0078125f; // a stored value of 128 is one font unit
}

TMvecFont::TMvecFont(std::vector<uint8_t> block, const char* name) : mData(std::move(block)) {
    const char* reason = "";
    if (!ReadMvecTable(mData.data(), mData.size(), mRecords, reason)) {
        LogPrintf("Vector font %s has no glyphs: %s", name, reason);
        return;
    }
    mCount = static_cast<int32_t>(mRecords.size());
    mCodes.reserve(mRecords.size());
    for (const TMvecGlyphRecord& r : mRecords)
        mCodes.push_back(r.code);
    if (mData.size() >= 10 && mData[6] == 1 && mData[7] == 0)
        mEmSize = static_cast<float>(mData[8] | (mData[9] << 8)) * kUnit;

    // The ascent is the top of "W". A font without "W" takes its tallest
    // ASCII glyph instead, and a font without ASCII its tallest glyph.
    const int32_t w = FindGlyph('W');
    if (w >= 0) {
        mAscent = -mRecords[w].top * kUnit;
    } else {
        int lowest = 0;
        int lowestAscii = 0;
        for (const TMvecGlyphRecord& r : mRecords) {
            lowest = std::min<int>(lowest, r.top);
            if (r.code < 128)
                lowestAscii = std::min<int>(lowestAscii, r.top);
        }
        mAscent = -(lowestAscii < 0 ? lowestAscii : lowest) * kUnit;
    }
    for (const TMvecGlyphRecord& r : mRecords) {
        if (r.code < 128 && r.code != '_')
            mDescent = std::max(mDescent, r.bottom * kUnit);
    }

    // Glyphs taller than their line cell shrink to fit it.
    const float h = mAscent + GetLinePadding(true);
    const float l = mDescent + GetLinePadding(false);
    mFitFactors.assign(mRecords.size(), 1.0f);
    for (size_t i = 0; i < mRecords.size(); ++i) {
        const float a = h > 0.0f ? -mRecords[i].top * kUnit / h : 0.0f;
        const float d = l > 0.0f ? mRecords[i].bottom * kUnit / l : 0.0f;
        if (a > 1.0f || d > 1.0f)
            mFitFactors[i] = 1.0f / std::max(a, d);
    }
}

int32_t TMvecFont::FindGlyph(uint32_t code) const {
    int32_t low = 0;
    int32_t high = mCount - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        if (mCodes[middle] == code)
            return middle;
        if (code < mCodes[middle])
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

TMvecPath TMvecFont::GetOutline(int32_t index) const {
    if (!Valid(index))
        return {};
    const size_t offset = mRecords[index].pathOffset;
    return {mData.data() + offset, mData.size() - offset};
}

float TMvecFont::GetAdvance(int32_t index) const {
    return Valid(index) ? mRecords[index].advance * kUnit : 0.0f;
}

float TMvecFont::GetLeft(int32_t index) const {
    return Valid(index) ? mRecords[index].left * kUnit : 0.0f;
}

float TMvecFont::GetRight(int32_t index) const {
    return Valid(index) ? mRecords[index].right * kUnit : 0.0f;
}

float TMvecFont::GetTop(int32_t index) const {
    return Valid(index) ? mRecords[index].top * kUnit : 0.0f;
}

float TMvecFont::GetBottom(int32_t index) const {
    return Valid(index) ? mRecords[index].bottom * kUnit : 0.0f;
}

float TMvecFont::GetFitFactor(int32_t index) const {
    return Valid(index) ? mFitFactors[index] : 1.0f;
}

float TMvecFont::GetLinePadding(bool top) const {
    return (mAscent + mDescent) * (top ? 0.15f : 0.05f) / 0.8f;
}
