// textprobe OUT.png [TEXT]
// textprobe OUT.png --layout [WIDTH [TEXT]]
//
// Draws a line of text in each of the game's fonts (the built-in font,
// "fonts/default.mvec" and "loc/en/font/helsinki.mvec", read from the assets
// beside the program or from the working directory) at 12, 16, 25 and 48
// pixels, through the vector drawer's in-memory target, black on white, then
// one line in italic with a bold stroke and an outline, and writes the
// picture as a PNG. With --layout, TEXT is rich text (markup tags) laid out
// in a block WIDTH pixels wide (400 by default) and drawn through the text
// layout, with the layout's trace on standard output; without TEXT a
// paragraph shows every style. Needs no display.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecTextLine.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WritePng(const char* path, const TVecPixelTarget& target) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(target.GetWidth()),
                 static_cast<png_uint_32>(target.GetHeight()), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(target.GetWidth()) * 4);
    for (int y = 0; y < target.GetHeight(); ++y) {
        for (int x = 0; x < target.GetWidth(); ++x) {
            const uint32_t p = target.At(x, y);
            row[x * 4 + 0] = static_cast<uint8_t>(p >> 16);
            row[x * 4 + 1] = static_cast<uint8_t>(p >> 8);
            row[x * 4 + 2] = static_cast<uint8_t>(p);
            row[x * 4 + 3] = static_cast<uint8_t>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

const char kStyledParagraph[] =
    "<center><font size='28'>Corvalo</font><br></center>"
    "Plain text, <b>bold</b>, <i>italic</i>, <u>underlined</u> and "
    "<outline color='c02020' size='2'><font color='ffffffff'>outlined</font></outline>; "
    "a <a id='go' color='2040ff'>link in hover colour</a>, "
    "<font color='c08000ff' size='26'>colour and size</font>.\n"
    "Name<tab pos='150'>Score<br>"
    "Wonder\xC2\xAD"
    "ful hyphen\xC2\xAD"
    "ation in a long line of words that wraps<br>"
    "<right>right aligned</right>"
    "\\<b> is shown as it is, and the cursor stands here<cursor>";

int DrawLayout(const char* out, int width, const char* text) {
    TNbMiniVecDraw drawer;
    std::unique_ptr<TTextLayout> layout(
        TTextLayout::Create(text, width, 2000, 0, "", 20, TColor(0.0f, 0.0f, 0.0f, 1.0f)));
    // Hover the first link, so its hover colour shows.
    float y = 0.0f;
    for (const auto& line : layout->GetLines()) {
        for (const TTextRun& run : line->runs) {
            if (!run.linkId.IsEmpty()) {
                const TVec2 at(static_cast<float>(line->x + (run.startX + run.endX) / 2) +
                                   line->xOffset,
                               y + line->height / 2.0f);
                if (layout->HasLinkAt(&at, 0))
                    break;
            }
        }
        y += static_cast<float>(line->height);
    }
    std::fputs(TraceTextLayout(*layout).CStr(), stdout);
    auto target =
        std::make_shared<TVecPixelTarget>(width + 20, layout->GetTextHeight() + 20, 0xFFFFFFFFu);
    layout->Draw(10.0f, 10.0f, 100000.0f, 1.0f, 0, 1.0f, target);
    if (!WritePng(out, *target)) {
        std::fprintf(stderr, "textprobe: cannot write %s\n", out);
        return 1;
    }
    std::printf("textprobe: %s, %dx%d, %d lines\n", out, target->GetWidth(), target->GetHeight(),
                layout->GetLineCount());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: textprobe OUT.png [TEXT]\n"
                             "       textprobe OUT.png --layout [WIDTH [TEXT]]\n");
        return 2;
    }
    if (argc > 2 && std::string(argv[2]) == "--layout") {
        const int width = argc > 3 ? std::max(8, std::atoi(argv[3])) : 400;
        return DrawLayout(argv[1], width, argc > 4 ? argv[4] : kStyledParagraph);
    }
    const std::string text =
        argc > 2 ? argv[2]
                 : "AgW&\xC3\xA9 Corvalo: 1234 \xE2\x80\x9Cquotes\xE2\x80\x9D \xE2\x82\xAC!";
    const std::string programDir = [&] {
        std::string self = argv[0];
        const size_t slash = self.rfind('/');
        return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
    }();

    struct Face {
        std::string label;
        std::unique_ptr<TMvecFont> font;
    };
    std::vector<Face> faces;
    faces.push_back(
        {"built-in",
         std::make_unique<TMvecFont>(
             std::vector<uint8_t>(GetFont(TFontCache::kBuiltinName)->GetData()), "built-in")});
    for (const char* name : {"fonts/default.mvec", "loc/en/font/helsinki.mvec"}) {
        std::vector<uint8_t> bytes;
        if (ReadFile(programDir + "/../assets/" + name, bytes) ||
            ReadFile(std::string("assets/") + name, bytes) || ReadFile(name, bytes)) {
            faces.push_back({name, std::make_unique<TMvecFont>(std::move(bytes), name)});
        } else {
            std::fprintf(stderr, "textprobe: %s not found, left out\n", name);
        }
    }

    const float sizes[] = {12.0f, 16.0f, 25.0f, 48.0f};
    int width = 16;
    int height = 8;
    for (const Face& face : faces) {
        for (float size : sizes) {
            TMvecTextLine line(*face.font, size);
            width = std::max(width, static_cast<int>(std::ceil(line.Measure(text))) + 16);
            height += static_cast<int>(std::ceil(size * 1.3f)) + 4;
        }
    }
    // And one styled line: italic, with a bold stroke and an outline.
    height += 64 + 12;
    auto target = std::make_shared<TVecPixelTarget>(width, height, 0xFFFFFFFFu);
    TNbMiniVecDraw drawer;
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFF000000u));
    float y = 4.0f;
    for (const Face& face : faces) {
        for (float size : sizes) {
            TMvecTextLine line(*face.font, size);
            y += size * 1.3f;
            drawer.BeginRun(8.0f, std::floor(y - size * 0.3f), target);
            line.Draw(drawer, text);
            y += 4.0f;
        }
    }
    {
        TMvecTextLine line(*faces.front().font, 48.0f);
        drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFFF0C040u));
        drawer.SetColor(TNbMiniVecDraw::kBoldSlot, TColor32(0xFFC02020u));
        drawer.SetColor(TNbMiniVecDraw::kOutlineSlot, TColor32(0xFF000000u));
        drawer.SetStroke(0, 2.0f);
        drawer.SetStroke(1, 1.0f);
        drawer.SetShear(true);
        drawer.BeginRun(12.0f, std::floor(y + 56.0f), target);
        line.Draw(drawer, text);
        drawer.SetShear(false);
        drawer.SetStroke(0, 0.0f);
        drawer.SetStroke(1, 0.0f);
    }
    drawer.EndDraw();
    if (!WritePng(argv[1], *target)) {
        std::fprintf(stderr, "textprobe: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("textprobe: %s, %dx%d, %zu fonts, %zu shapes rasterised\n", argv[1], width, height,
                faces.size(), drawer.GetCacheMisses());
    return 0;
}
