#include "framework/graphics/text/TMvecTextLine.h"

#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <cmath>

TMvecTextLine::TMvecTextLine(const TMvecFont& font, float pixelSize) : mFont(font) {
    float em = font.GetEmSize();
    if (em <= 0.0f)
        em = font.GetAscent() + font.GetDescent();
    mScale = em > 0.0f ? 4.0f * pixelSize / (em * 128.0f) : 0.0f;
}

std::vector<uint32_t> TMvecTextLine::Decode(std::string_view text) {
    std::vector<uint32_t> codes;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        uint32_t code = extra == 0   ? lead
                        : extra == 1 ? (lead & 0x1Fu)
                        : extra == 2 ? (lead & 0x0Fu)
                                     : (lead & 0x07u);
        bool good = extra >= 0;
        for (int k = 1; good && k <= extra; ++k) {
            if (i + k >= text.size()) {
                good = false;
                break;
            }
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                good = false;
            else
                code = (code << 6) | (next & 0x3Fu);
        }
        if (!good) {
            codes.push_back(0xFFFD);
            ++i;
            continue;
        }
        codes.push_back(code);
        i += static_cast<size_t>(extra) + 1;
    }
    return codes;
}

float TMvecTextLine::Measure(std::string_view text) const {
    float width = 0.0f;
    for (uint32_t code : Decode(text))
        width += mFont.GetAdvance(mFont.FindGlyph(code)) * 128.0f * mScale;
    return width / 4.0f;
}

float TMvecTextLine::Draw(TNbMiniVecDraw& drawer, std::string_view text) const {
    drawer.SetScale(mScale, mScale);
    float pen = 0.0f; // quarter pixels
    for (uint32_t code : Decode(text)) {
        const int32_t glyph = mFont.FindGlyph(code);
        if (glyph < 0)
            continue;
        drawer.DrawPath(mFont.GetOutline(glyph), static_cast<int>(std::lround(pen)), 0);
        pen += mFont.GetAdvance(glyph) * 128.0f * mScale;
    }
    return pen / 4.0f;
}
