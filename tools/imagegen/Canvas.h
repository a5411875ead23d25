#pragma once

// Drawing helpers of the image generator: a picture is drawn with Cairo
// into a surface, read back as straight (not premultiplied) RGBA and
// written as PNG or JPEG with no time stamps, so the same recipe always
// gives the same bytes.

#include "Palette.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace imagegen {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // rows top down, straight alpha
};

using DrawFunction = std::function<void(cairo_t*, int width, int height)>;

// Draws into a transparent surface of that size and reads it back.
Image Render(int width, int height, const DrawFunction& draw);

std::vector<uint8_t> EncodePng(const Image& image);
// The colour channels only; alpha is dropped.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);
Image DecodePng(const std::string& path);

// Colours.
palette::Rgb Lighten(palette::Rgb colour, double amount);
palette::Rgb Darken(palette::Rgb colour, double amount);
palette::Rgb Mix(palette::Rgb a, palette::Rgb b, double t);
void SetColour(cairo_t* cr, palette::Rgb colour, double alpha = 1.0);

// Shapes and fills.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// A vertical gradient from top to bottom between y0 and y1 as the source.
void SetVerticalGradient(cairo_t* cr, double y0, double y1, palette::Rgb top, palette::Rgb bottom);
// A soft shadow under a rounded rectangle: stacked, growing, faint copies.
void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius);
// A rounded card: shadow, gradient body, outline and a one-pixel light edge
// along the top inside.
void Card(cairo_t* cr, double x, double y, double w, double h, double radius, palette::Rgb top,
          palette::Rgb bottom, palette::Rgb edge, bool shadow);
// A star of `points` points centred at (cx, cy).
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double turn);

// Lettering in the palette's DejaVu fonts.
void SetFont(cairo_t* cr, bool bold, double size);
// Text centred on (cx, baseline y), with an outline when outline > 0.
void CentredText(cairo_t* cr, const std::string& text, double cx, double y, palette::Rgb fill,
                 double outline = 0.0, palette::Rgb outlineColour = palette::kInk);
// Fonts opened by SetFont are closed here (before the program ends).
void ReleaseFonts();

// Draws an SVG file into the box; false (with a message) when it does not
// read. Each "@name@" in the file is first replaced by its palette colour
// ("#rrggbb"), so the SVG recipes share the palette.
using SvgColours = std::vector<std::pair<std::string, palette::Rgb>>;
bool DrawSvg(cairo_t* cr, const std::string& path, const SvgColours& colours, double x, double y,
             double w, double h);

} // namespace imagegen
