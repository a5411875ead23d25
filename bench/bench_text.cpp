// Text drawing speed: a dense dialog of 2000 glyphs a frame (forty lines of
// fifty characters at 16 pixels) drawn through the vector drawer with a cold
// run cache (every glyph rasterised) and a warm one (every glyph replayed),
// once into an in-memory target and once as line lists handed to a sink that
// only takes them (what the draw front receives). In the same run, FreeType
// renders the same glyphs of the same font into a bitmap, rendering each
// glyph every frame, and blitting glyphs it rendered once. Prints
// milliseconds a frame and the ratios.
//
// Layout mode (also run by default; "bench_text layout" runs only it): a
// paragraph of 300 words of rich text in a 480-pixel block at 16 pixels,
// laid out and drawn every frame, against laid out once and drawn every
// frame (warm cache), through the text layout into the sink.
//
// Segments mode (also run by default; "bench_text segments" runs only it):
// one glyph of 100,000 segments rasterised once, as bars and as edges that
// all cross each other.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecTextLine.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/RichParagraph.h"

namespace {

constexpr int kLines = 40;
constexpr int kColumns = 50;
constexpr float kSize = 16.0f;
constexpr int kWidth = 640;
constexpr int kHeight = 800;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> Dialog() {
    const std::string words = "The quick brown fox jumps over the lazy dog; "
                              "Corvalo matches pairs, combos & power-ups! 0123456789 ";
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i) {
        std::string line;
        for (int c = 0; c < kColumns; ++c)
            line += words[(i * 7 + c) % words.size()];
        lines.push_back(line);
    }
    return lines;
}

class TakingSink : public TVecDrawSink {
public:
    void DrawLineList(const TVecVertex* vertices, int count) override {
        vertices_ += static_cast<size_t>(count);
        last_ = vertices[count - 1].diffuse;
    }
    size_t vertices_ = 0;
    uint32_t last_ = 0;
};

void DrawFrame(TNbMiniVecDraw& drawer, const TMvecTextLine& line,
               const std::vector<std::string>& lines,
               const std::shared_ptr<TVecPixelTarget>& target) {
    for (int i = 0; i < kLines; ++i) {
        drawer.BeginRun(4.0f, 16.0f + i * 19.0f, target);
        line.Draw(drawer, lines[i]);
    }
    drawer.EndDraw();
}

// Milliseconds a frame through the drawer.
double Drawer(bool warm, bool toTarget, int frames, const std::vector<std::string>& lines,
              size_t& runs) {
    TMvecFont* font = GetFont(TFontCache::kBuiltinName);
    TMvecTextLine line(*font, kSize);
    auto target =
        toTarget ? std::make_shared<TVecPixelTarget>(kWidth, kHeight, 0xFFFFFFFFu) : nullptr;
    TakingSink sink;
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFF000000u));
    if (warm)
        DrawFrame(drawer, line, lines, target);
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        if (!warm)
            drawer.GetRunCache().Clear();
        DrawFrame(drawer, line, lines, target);
    }
    const double ms = Seconds(start) * 1000.0 / frames;
    runs = drawer.GetRunCache().GetRunCount();
    return ms;
}

struct Bitmap {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<uint8_t> grey;
};

void Blit(std::vector<uint8_t>& picture, const Bitmap& b, int x, int y) {
    for (int r = 0; r < b.rows; ++r) {
        const int py = y - b.top + r;
        if (py < 0 || py >= kHeight)
            continue;
        for (int c = 0; c < b.width; ++c) {
            const int px = x + b.left + c;
            if (px < 0 || px >= kWidth)
                continue;
            uint8_t& d = picture[static_cast<size_t>(py) * kWidth + px];
            d = static_cast<uint8_t>(d - (d * b.grey[static_cast<size_t>(r) * b.width + c]) / 255);
        }
    }
}

// Milliseconds a frame through FreeType: rendering every glyph each frame, or
// blitting bitmaps rendered once.
double FreeType(bool cached, int frames, const std::vector<std::string>& lines) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) ||
        FT_New_Face(library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face)) {
        std::printf("FreeType: DejaVuSans.ttf not readable\n");
        return 0.0;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(kSize));
    std::vector<uint8_t> picture(static_cast<size_t>(kWidth) * kHeight, 255);
    std::map<uint32_t, Bitmap> cache;
    auto render = [&](uint32_t code) {
        Bitmap b;
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_NO_HINTING))
            return b;
        const FT_GlyphSlot g = face->glyph;
        b.left = g->bitmap_left;
        b.top = g->bitmap_top;
        b.width = static_cast<int>(g->bitmap.width);
        b.rows = static_cast<int>(g->bitmap.rows);
        b.advance = static_cast<int>(g->advance.x >> 6);
        b.grey.resize(static_cast<size_t>(b.width) * b.rows);
        for (int r = 0; r < b.rows; ++r)
            for (int c = 0; c < b.width; ++c)
                b.grey[static_cast<size_t>(r) * b.width + c] =
                    g->bitmap.buffer[r * g->bitmap.pitch + c];
        return b;
    };
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < kLines; ++i) {
            int x = 4;
            for (uint32_t code : TMvecTextLine::Decode(lines[i])) {
                if (cached) {
                    auto found = cache.find(code);
                    if (found == cache.end())
                        found = cache.emplace(code, render(code)).first;
                    Blit(picture, found->second, x, 16 + i * 19);
                    x += found->second.advance;
                } else {
                    const Bitmap b = render(code);
                    Blit(picture, b, x, 16 + i * 19);
                    x += b.advance;
                }
            }
        }
    }
    const double ms = Seconds(start) * 1000.0 / frames;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ms;
}

// Milliseconds a frame for the paragraph: laid out again and drawn, or
// only drawn.
double LayoutFrames(bool relayout, int frames, int& glyphs, int& lineCount) {
    const std::string text = bench::RichParagraph();
    TakingSink sink;
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    TTextLayout* layout =
        TTextLayout::Create(text.c_str(), 480, 2000, 0, "", 16, TColor(0.0f, 0.0f, 0.0f, 1.0f));
    lineCount = layout->GetLineCount();
    layout->Draw(4.0f, 4.0f, 100000.0f, 1.0f, 0, 1.0f); // warms the run cache
    const size_t before = drawer.GetCacheHits() + drawer.GetCacheMisses();
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        if (relayout)
            layout->SetBlockSize(480 + (f & 1), 2000); // each change lays out again
        layout->Draw(4.0f, 4.0f, 100000.0f, 1.0f, 0, 1.0f);
    }
    const double ms = Seconds(start) * 1000.0 / frames;
    glyphs = static_cast<int>((drawer.GetCacheHits() + drawer.GetCacheMisses() - before) /
                              static_cast<size_t>(frames));
    TTextLayout::Destroy(layout);
    return ms;
}

void LayoutMode() {
    int glyphs = 0;
    int lines = 0;
    const double both = LayoutFrames(true, 200, glyphs, lines);
    const double drawn = LayoutFrames(false, 200, glyphs, lines);
    std::printf("layout mode: 300 words, %d lines, %d shapes a frame at 16 px in 480 px\n", lines,
                glyphs);
    std::printf("laid out and drawn each frame: %.3f ms/frame; laid out once, drawn each frame: "
                "%.3f ms/frame; ratio %.2f; the layout alone %.3f ms\n",
                both, drawn, both / drawn, both - drawn);
}

} // namespace

// One glyph of many segments: 25,000 small bars side by side (100,000
// segments, 50,000 edges on the same sample rows), listed out of order, and
// 25,000 thin wedges whose 50,000 edges all cross each other. Prints the
// milliseconds each takes to rasterise once.
void ManySegments() {
    auto op = [](std::vector<uint8_t>& path, uint8_t command, std::initializer_list<int> values) {
        path.push_back(command);
        for (int v : values) {
            path.push_back(static_cast<uint8_t>(v & 0xFF));
            path.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
    };
    constexpr int kShapes = 25000;
    std::vector<uint8_t> bars;
    std::vector<uint8_t> wedges;
    for (int k = 0; k < kShapes; ++k) {
        const int i = static_cast<int>((static_cast<long>(k) * 7919) % kShapes);
        const int x = i - kShapes / 2;
        op(bars, 4, {x, 0});
        if (k == 0)
            bars.insert(bars.end(), {2, 1});
        op(bars, 5, {x + 1, 0});
        op(bars, 5, {x + 1, 64});
        op(bars, 5, {x, 64});
        op(bars, 5, {x, 0});
        const int top = k - kShapes / 2;
        const int bottom = kShapes / 2 - k;
        op(wedges, 4, {top, 0});
        if (k == 0)
            wedges.insert(wedges.end(), {2, 1});
        op(wedges, 5, {bottom, 64});
        op(wedges, 5, {bottom + 1, 64});
        op(wedges, 5, {top, 0});
    }
    bars.push_back(8);
    wedges.push_back(8);
    for (const auto& [name, path] :
         {std::pair{"bars", &bars}, std::pair{"crossing wedges", &wedges}}) {
        TakingSink sink;
        TNbMiniVecDraw drawer;
        drawer.SetSink(&sink);
        drawer.SetScale(0.5f, 1.0f);
        const auto start = std::chrono::steady_clock::now();
        drawer.BeginRun(1600.0f, 100.0f);
        drawer.DrawPath({path->data(), path->size()}, 0, 0);
        drawer.EndDraw();
        std::printf("one glyph of 100,000 segments (%s): %.1f ms, %zu sort steps\n", name,
                    Seconds(start) * 1000.0, drawer.GetSortSteps());
    }
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "layout") {
        LayoutMode();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "segments") {
        ManySegments();
        return 0;
    }
    const std::vector<std::string> lines = Dialog();
    size_t runs = 0;
    std::printf("bench_text: %d glyphs a frame (%d lines of %d characters at %.0f px)\n",
                kLines * kColumns, kLines, kColumns, kSize);
    const double coldTarget = Drawer(false, true, 20, lines, runs);
    const double warmTarget = Drawer(true, true, 200, lines, runs);
    std::printf(
        "vector drawer into a target:  cold %.3f ms/frame, warm %.3f ms/frame (%zu runs cached)\n",
        coldTarget, warmTarget, runs);
    const double coldLines = Drawer(false, false, 20, lines, runs);
    const double warmLines = Drawer(true, false, 200, lines, runs);
    std::printf("vector drawer as line lists:  cold %.3f ms/frame, warm %.3f ms/frame\n", coldLines,
                warmLines);
    const double ftRender = FreeType(false, 20, lines);
    const double ftCached = FreeType(true, 200, lines);
    std::printf(
        "FreeType into a bitmap:       rendering %.3f ms/frame, cached glyphs %.3f ms/frame\n",
        ftRender, ftCached);
    if (ftRender > 0.0 && ftCached > 0.0) {
        std::printf("ratios: cold drawer / FreeType rendering %.2f, warm drawer (target) / "
                    "FreeType cached %.2f, warm drawer (lines) / FreeType cached %.2f\n",
                    coldTarget / ftRender, warmTarget / ftCached, warmLines / ftCached);
    }
    LayoutMode();
    ManySegments();
    return 0;
}
