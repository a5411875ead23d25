#pragma once

// Entry function of the vector-font fuzz target. The libFuzzer program
// calls it with generated inputs; the corpus replay test calls it with every
// seed, so each `make test` runs the corpus under the sanitizers too.
//
// The input is read twice: as an MVC4 font image whose glyphs are drawn,
// and, behind a few bytes of drawing state, as one raw path drawn with that
// state, into an in-memory target and as line lists.

#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace mvecfuzz {

class CountingSink : public TVecDrawSink {
public:
    void DrawLineList(const TVecVertex* vertices, int count) override {
        if (count <= 0 || count % 2 != 0)
            std::abort();
        for (int i = 0; i < count; ++i)
            sum += vertices[i].diffuse;
    }
    uint64_t sum = 0;
};

inline float Unit(uint8_t byte) {
    return static_cast<float>(byte) / 255.0f;
}

} // namespace mvecfuzz

inline int FuzzMvec(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size); // exact size for ASan
    auto target = std::make_shared<TVecPixelTarget>(96, 64);
    mvecfuzz::CountingSink sink;

    {
        TMvecFont font(bytes, "fuzz");
        if (font.GetGlyphCount() > 0 && font.GetOutline(0).IsNull())
            std::abort();
        TNbMiniVecDraw drawer;
        drawer.SetScale(0.02f, 0.02f);
        drawer.BeginRun(8.0f, 40.0f, target);
        const int32_t count = std::min<int32_t>(font.GetGlyphCount(), 64);
        for (int32_t i = 0; i < count; ++i) {
            const TMvecPath path = font.GetOutline(i);
            const std::vector<uint8_t>& image = font.GetData();
            if (path.data < image.data() || path.data + path.size != image.data() + image.size())
                std::abort();
            drawer.DrawPath(path, i * 7, 0);
            if (font.FindGlyph(font.GetCode(i)) != i)
                std::abort();
        }
        // The first glyphs again as large as the layout draws them at its
        // largest sizes, turned and sheared: shapes hundreds of pixels tall.
        drawer.SetScale(0.06f, 0.066f);
        drawer.SetShear(true);
        drawer.SetRotation(0.96f, 0.28f);
        for (int32_t i = 0; i < std::min<int32_t>(count, 3); ++i)
            drawer.DrawPath(font.GetOutline(i), i * 40, 0);
        drawer.EndDraw();
    }

    constexpr size_t kState = 10;
    if (bytes.size() < kState)
        return 0;
    const uint8_t* s = bytes.data();
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    // Scales between -2 and 2, so a path stays within a few thousand rows.
    drawer.SetScale(mvecfuzz::Unit(s[0]) * 4.0f - 2.0f, mvecfuzz::Unit(s[1]) * 4.0f - 2.0f);
    const float angle = mvecfuzz::Unit(s[2]) * 6.2831853f;
    if (s[2] & 1)
        drawer.SetRotation(std::cos(angle), std::sin(angle));
    drawer.SetStroke(0, (s[3] & 0x0F) * 0.5f);
    drawer.SetStroke(1, (s[3] >> 4) * 0.25f);
    drawer.SetShear(s[4] & 1);
    drawer.SetTargetModes(s[4] & 2, s[4] & 4);
    drawer.SetColor(s[5], TColor32(0xFF000000u | s[6] * 0x010101u), mvecfuzz::Unit(s[7]) * 2.0f);
    const TMvecPath path{bytes.data() + kState, bytes.size() - kState};
    const int x = static_cast<int8_t>(s[8]) * 16;
    const int y = static_cast<int8_t>(s[9]) * 16;
    drawer.BeginRun(48.25f, 32.5f, target);
    drawer.DrawPath(path, x, y);
    drawer.DrawPath(path, x + 1, y); // another phase
    drawer.DrawPath(path, x + 4, y); // the same phase: a replay
    drawer.BeginRun(40.0f, 30.0f);
    drawer.DrawPath(path, x, y);
    drawer.EndDraw();
    return 0;
}
