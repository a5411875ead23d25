// The menus' and pop-ups' own pictures: the achievement board's meter (its
// tube, the bar that fills it and the brain on top) and the tool tip's
// plate.

#include "Palette.h"
#include "Recipes.h"

#include <cmath>

namespace imagegen {
namespace {

using palette::Rgb;
constexpr double kPi = 3.14159265358979323846;

// The meter's tube: a rounded glass column with a tick every tenth of
// its scale. The picture is placed by its centre 140 pixels above the
// bar's foot, so the tube takes its upper 480 rows (the bar's 450 from
// row 460 up, and a rim) and the rows below stay clear.
void MeterBackground(cairo_t* cr, int w, int) {
    const double top = 2, bottom = 478, foot = 460;
    SoftShadow(cr, 8, top, w - 16, bottom - top, w / 2.0 - 8);
    RoundedRect(cr, 8, top, w - 16, bottom - top, w / 2.0 - 8);
    SetVerticalGradient(cr, top, bottom, palette::kWellTop, palette::kWellBottom);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    SetColour(cr, palette::kPanelEdge, 0.6);
    cairo_set_line_width(cr, 1);
    for (int i = 1; i < 10; ++i) {
        const double y = foot - i * 45.0;
        cairo_move_to(cr, 10, y);
        cairo_line_to(cr, i % 5 == 0 ? 22 : 16, y);
        cairo_stroke(cr);
    }
}

// The bar: a slice of the filling, 23 pixels high, stretched upwards.
void MemoryBar(cairo_t* cr, int w, int h) {
    cairo_pattern_t* across = cairo_pattern_create_linear(0, 0, w, 0);
    const Rgb edge = palette::kAccentBottom;
    const Rgb middle = Lighten(palette::kAccentTop, 0.25);
    cairo_pattern_add_color_stop_rgb(across, 0.0, edge.r, edge.g, edge.b);
    cairo_pattern_add_color_stop_rgb(across, 0.4, middle.r, middle.g, middle.b);
    cairo_pattern_add_color_stop_rgb(across, 1.0, edge.r, edge.g, edge.b);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, across);
    cairo_fill(cr);
    cairo_pattern_destroy(across);
}

// The brain: two pink lobes with folds, cheerful eyes.
void Brain(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0 + 2;
    const Rgb pink = palette::Hex(0xF59AB5);
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, cx + side * w * 0.2, cy);
        cairo_scale(cr, w * 0.27, h * 0.38);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        SetVerticalGradient(cr, cy - h * 0.4, cy + h * 0.4, Lighten(pink, 0.2), Darken(pink, 0.1));
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(pink, 0.5));
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    SetColour(cr, Darken(pink, 0.35));
    cairo_set_line_width(cr, 1.6);
    for (int i = 0; i < 3; ++i) {
        for (int side = -1; side <= 1; side += 2) {
            const double x = cx + side * w * (0.12 + 0.1 * i);
            cairo_move_to(cr, x, cy - h * 0.25 + i * 4);
            cairo_curve_to(cr, x + side * 6, cy - h * 0.1, x - side * 6, cy + h * 0.05, x,
                           cy + h * 0.22 - i * 3);
            cairo_stroke(cr);
        }
    }
    for (int side = -1; side <= 1; side += 2) {
        cairo_arc(cr, cx + side * w * 0.11, cy + h * 0.02, 3.2, 0, 2 * kPi);
        SetColour(cr, palette::kInk);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy + h * 0.12, 5, 0.15 * kPi, 0.85 * kPi);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// The tool tip's plate: a light rounded card as wide as the longest tip;
// the tip shows as much of it as its text needs and closes it with the
// plate's right end.
constexpr int kTipPlateWidth = 480;
constexpr int kTipEndWidth = 16;

void TipPlate(cairo_t* cr, int w, int h) {
    Card(cr, 2, 2, w - 6, h - 6, palette::kSmallRadius, palette::kPanelInner, palette::kPanelTop,
         palette::kPanelEdge, true);
}

void TipPlateEnd(cairo_t* cr, int w, int h) {
    cairo_translate(cr, w - kTipPlateWidth, 0);
    TipPlate(cr, kTipPlateWidth, h);
}

} // namespace

std::vector<Picture> ScreenPictures() {
    return {
        {"gpx/achieve/meter_background.png", 60, 640, Format::kPng, MeterBackground, {}},
        {"gpx/achieve/memory_bar.png", 30, 23, Format::kPng, MemoryBar, {}},
        {"gpx/achieve/brain.png", 84, 70, Format::kPng, Brain, {}},
        {"gpx/ui/tooltip.png", kTipPlateWidth, 48, Format::kPng, TipPlate, {}},
        {"gpx/ui/tooltip_end.png", kTipEndWidth, 48, Format::kPng, TipPlateEnd, {}},
    };
}

} // namespace imagegen
