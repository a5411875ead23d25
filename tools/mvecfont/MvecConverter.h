#pragma once

// Converts a TrueType font into an MVC4 vector font: a 12-byte header, one
// 18-byte record per glyph in ascending code order, and each glyph's outline
// as a path of move, line and quadratic-curve commands in 1/128 of a font
// unit, y down, baseline at 0. Used by the mvecfont tool at build time and by
// the tests that hold its output against FreeType.

#include <cstdint>
#include <string>
#include <vector>

namespace mvec {

// Printable ASCII, Latin-1 from U+00A1, and the typographic punctuation
// the game's texts use.
std::vector<uint32_t> BasicGlyphSet();
// The characters the game's fonts carry: the basic set, Latin Extended-A
// and -B, Greek, Cyrillic, general punctuation and currency signs. Codes
// the TrueType font lacks are left out (and reported).
std::vector<uint32_t> DefaultGlyphSet();

// Parses "32-126,160,0x2026" into codes; false on a malformed list.
bool ParseGlyphSet(const std::string& text, std::vector<uint32_t>& codes);

struct ConvertOptions {
    std::vector<uint32_t> codes; // empty: DefaultGlyphSet()
    // Ascent (top of "W") plus descent (lowest ASCII glyph but "_") in font
    // units after scaling; the scale is lowered further when a glyph of the
    // basic set would not fit 16 bits, and other glyphs that would not are
    // left out.
    double targetHeight = 178.0;
    // Quadratic pieces are halved until |P0 - 2C + P2| is at most this many
    // stored units, so that cutting each into three lines stays within about
    // an eighth of a pixel when 178 font units are 50 pixels high.
    int curveLimit = 2048;
};

struct ConvertResult {
    std::vector<uint8_t> image; // the MVC4 file
    double scale = 0.0;         // font units per TrueType unit
    int glyphs = 0;
    std::vector<uint32_t> missing;  // asked codes the font has no glyph for
    std::vector<uint32_t> tooLarge; // left out: too large for 16-bit coordinates
};

// False with a reason when the font cannot be read or converted.
bool ConvertFont(const std::string& ttfPath, const ConvertOptions& options, ConvertResult& result,
                 std::string& error);

// The image as a C++ source defining `symbol` (unsigned char array) and
// `symbol`Size.
std::string ImageToSource(const std::vector<uint8_t>& image, const std::string& symbol);

} // namespace mvec
