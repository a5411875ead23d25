#pragma once

#include "framework/graphics/text/TMvecFont.h"

#include <cstdint>
#include <string_view>
#include <vector>

class TNbMiniVecDraw;

// Draws one line of UTF-8 text in one font through the vector drawer, with
// no wrapping, styles or fallback fonts: what tools, benchmarks and tests
// need before the rich-text layout takes over. The size is the em square in
// pixels (fonts that record no em take their ascent plus descent).
class TMvecTextLine {
public:
    TMvecTextLine(const TMvecFont& font, float pixelSize);

    // Path units to quarter pixels.
    float GetScale() const { return mScale; }
    // The line's width in pixels; characters the font lacks take no room.
    float Measure(std::string_view text) const;
    // Draws the text with its baseline at the position of the drawer's
    // current run (see TNbMiniVecDraw::BeginRun); gives the width in pixels.
    float Draw(TNbMiniVecDraw& drawer, std::string_view text) const;

    // The code points of UTF-8 text; a malformed byte becomes U+FFFD.
    static std::vector<uint32_t> Decode(std::string_view text);

private:
    const TMvecFont& mFont;
    float mScale;
};
