// mvecfont IN.ttf OUT [--codes LIST] [--symbol NAME]
//
// Converts a TrueType font into an MVC4 vector font. OUT ending in ".cpp"
// gets a C++ source holding the image as a byte array named by --symbol
// (the program's built-in font); any other OUT gets the font file. LIST is
// a comma-separated list of codes and ranges ("32-126,0x2026"); without it
// the game's glyph set is taken.

#include "MvecConverter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mvecfont IN.ttf OUT [--codes LIST] [--symbol NAME]\n");
        return 2;
    }
    mvec::ConvertOptions options;
    std::string symbol = "kBuiltinFontData";
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--codes") == 0 && i + 1 < argc) {
            if (!mvec::ParseGlyphSet(argv[++i], options.codes)) {
                std::fprintf(stderr, "mvecfont: bad code list %s\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--symbol") == 0 && i + 1 < argc) {
            symbol = argv[++i];
        } else {
            std::fprintf(stderr, "mvecfont: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    mvec::ConvertResult result;
    std::string error;
    if (!mvec::ConvertFont(argv[1], options, result, error)) {
        std::fprintf(stderr, "mvecfont: %s\n", error.c_str());
        return 1;
    }
    const std::string out = argv[2];
    const bool source = out.size() > 4 && out.compare(out.size() - 4, 4, ".cpp") == 0;
    std::ofstream file(out, std::ios::binary);
    if (source) {
        file << mvec::ImageToSource(result.image, symbol);
    } else {
        file.write(reinterpret_cast<const char*>(result.image.data()),
                   static_cast<std::streamsize>(result.image.size()));
    }
    file.close();
    if (!file) {
        std::fprintf(stderr, "mvecfont: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("mvecfont: %s: %d glyphs, %zu bytes, scale %.6f", out.c_str(), result.glyphs,
                result.image.size(), result.scale);
    if (!result.missing.empty())
        std::printf(", %zu codes not in the font", result.missing.size());
    for (uint32_t code : result.tooLarge)
        std::printf(", U+%04X left out (too large)", code);
    std::printf("\n");
    return 0;
}
