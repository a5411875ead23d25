// The menus' pictures: the title, the name plate, the quick play screen's
// mode panels, difficulty buttons, lock and tip plate, the player list's
// rows and the register screen's highlight. Buttons come in the states the
// framework's buttons show: off, on (pressed), off under the pointer and,
// for radio buttons, on under the pointer.

#include "Recipes.h"

#include <cmath>

namespace imagegen {

using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

enum class Look { kOff, kOn, kOffOver, kOnOver };

const char* LookSuffix(Look look) {
    switch (look) {
    case Look::kOff:
        return "off";
    case Look::kOn:
        return "on";
    case Look::kOffOver:
        return "off_over";
    case Look::kOnOver:
        return "on_over";
    }
    return "";
}

bool Over(Look look) {
    return look == Look::kOffOver || look == Look::kOnOver;
}
bool On(Look look) {
    return look == Look::kOn || look == Look::kOnOver;
}

// The game's name, large, in gold with a dark outline, between two rows of
// card symbols.
void Title(cairo_t* cr, int w, int h) {
    SetFont(cr, true, 92);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, "Corvalo", &extents);
    const double x = w / 2.0 - extents.width / 2 - extents.x_bearing;
    const double baseline = h * 0.68;
    cairo_move_to(cr, x + 4, baseline + 5);
    cairo_text_path(cr, "Corvalo");
    SetColour(cr, palette::kBlack, 0.35);
    cairo_fill(cr);
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, "Corvalo");
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 8);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SetVerticalGradient(cr, baseline - 70, baseline, Lighten(palette::kGold, 0.5),
                        palette::kButtonBottom);
    cairo_fill(cr);
    // Four symbols in the tile colours under the name.
    const Rgb colours[4] = {palette::kRose, palette::kGold, palette::kLeaf, palette::kSky};
    for (int i = 0; i < 4; ++i) {
        const double cx = w / 2.0 + (i - 1.5) * 46;
        StarPath(cr, cx, h - 22, 12, 5, 4 + i % 2, kPi / 4 * i);
        SetColour(cr, colours[i]);
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(colours[i], 0.4));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
}

// A light plate with a soft shadow: behind the player's name, the tip.
void Plate(cairo_t* cr, int w, int h) {
    Card(cr, 3, 2, w - 6, h - 8, palette::kCornerRadius, palette::kPanelTop, palette::kPanelBottom,
         palette::kPanelEdge, true);
}

// The quick play screen's tip: a plate with a small point at the bottom.
void TipPlate(cairo_t* cr, int w, int h) {
    const double body = h - 14;
    cairo_move_to(cr, w / 2.0 - 10, body - 2);
    cairo_line_to(cr, w / 2.0, h - 2);
    cairo_line_to(cr, w / 2.0 + 10, body - 2);
    cairo_close_path(cr);
    SetColour(cr, palette::kPanelBottom);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    Card(cr, 2, 2, w - 4, body - 2, palette::kSmallRadius, palette::kPanelTop,
         palette::kPanelBottom, palette::kPanelEdge, false);
}

// A mode's panel on the quick play screen: a tall card with a band for the
// mode's name.
void ModePanel(cairo_t* cr, int w, int h) {
    Card(cr, 6, 4, w - 12, h - 12, palette::kCornerRadius * 1.4, palette::kPanelTop,
         palette::kPanelBottom, palette::kPanelEdge, true);
    RoundedRect(cr, 16, 14, w - 32, 46, palette::kCornerRadius);
    SetVerticalGradient(cr, 14, 60, Lighten(palette::kPlum, 0.2), Darken(palette::kPlum, 0.2));
    cairo_fill(cr);
}

// A button face of a colour in its look: lighter under the pointer, darker
// and a pixel lower when pressed.
void ButtonFace(cairo_t* cr, int w, int h, Rgb colour, Look look) {
    const double x = 3, y = 2, bw = w - 6, bh = h - 8;
    const double shift = On(look) ? palette::kPressedOffset : 0.0;
    Rgb top = Lighten(colour, 0.25), bottom = colour;
    if (On(look) && !Over(look)) {
        top = Darken(top, palette::kPressedDarken);
        bottom = Darken(bottom, palette::kPressedDarken);
    } else if (Over(look)) {
        top = Lighten(top, palette::kRolloverLighten);
        bottom = Lighten(bottom, palette::kRolloverLighten);
    }
    if (!On(look))
        SoftShadow(cr, x, y, bw, bh, palette::kCornerRadius);
    Card(cr, x, y + shift, bw, bh, palette::kCornerRadius, top, bottom, Darken(colour, 0.45),
         false);
    RoundedRect(cr, x + 5, y + shift + 4, bw - 10, bh / 2 - 4, palette::kCornerRadius - 4);
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0, y + shift + 4, 0, y + shift + bh / 2);
    cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, On(look) ? 0.15 : 0.35);
    cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, gloss);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
}

// The padlock over a grey plate: a locked difficulty.
void LockedPlate(cairo_t* cr, int w, int h) {
    const double x = 3, y = 2, bw = w - 6, bh = h - 8;
    Card(cr, x, y, bw, bh, palette::kCornerRadius, Rgb{0.78, 0.76, 0.80}, Rgb{0.58, 0.56, 0.62},
         Rgb{0.33, 0.31, 0.37}, false);
    Padlock(cr, w / 2.0, y + bh / 2.0 + 2, bh * 0.62);
}

// One row of the player list: a light row, purple under the pointer, dark
// purple when chosen (the name's colour changes with it).
DrawFunction PlayerRow(Look look) {
    return [look](cairo_t* cr, int w, int h) {
        const double x = 3, y = 2, bw = w - 6, bh = h - 6;
        Rgb top = palette::kPanelInner, bottom = palette::kPanelTop, edge = palette::kPanelEdge;
        if (On(look)) {
            top = Rgb{0.45, 0.16, 0.42};
            bottom = Rgb{0.30, 0.06, 0.28};
            edge = Rgb{0.20, 0.02, 0.18};
        } else if (Over(look)) {
            top = Lighten(palette::kPlum, 0.1);
            bottom = Darken(palette::kPlum, 0.15);
            edge = Darken(palette::kPlum, 0.45);
        }
        if (Over(look) && On(look)) {
            top = Lighten(top, 0.12);
            bottom = Lighten(bottom, 0.12);
        }
        Card(cr, x, y, bw, bh, palette::kSmallRadius, top, bottom, edge, false);
    };
}

// A soft glow behind the avatar row, shown while the pointer rests on an
// avatar.
void AvatarHighlight(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 4, 4, w - 8, h - 8, 24);
    cairo_pattern_t* glow = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.95, 0.7, 0.25);
    cairo_pattern_add_color_stop_rgba(glow, 0.5, 1.0, 0.85, 0.45, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.95, 0.7, 0.25);
    cairo_set_source(cr, glow);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glow);
    SetColour(cr, palette::kGold, 0.9);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
}

// The register screen's panel: a large card with a band for the title.
void LargePanel(cairo_t* cr, int w, int h) {
    Card(cr, 6, 4, w - 12, h - 12, palette::kCornerRadius * 1.6, palette::kPanelTop,
         palette::kPanelBottom, palette::kPanelEdge, true);
    RoundedRect(cr, 24, 66, w - 48, h - 90, palette::kCornerRadius);
    SetColour(cr, palette::kPanelInner, 0.85);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kPanelEdge, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

} // namespace

void Padlock(cairo_t* cr, double cx, double cy, double size) {
    const double bodyW = size * 0.8, bodyH = size * 0.55;
    const double top = cy - bodyH / 2 + size * 0.12;
    // The shackle.
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, top, size * 0.26, kPi, 2 * kPi);
    cairo_set_line_width(cr, size * 0.12);
    SetColour(cr, Rgb{0.35, 0.33, 0.38});
    cairo_stroke(cr);
    // The body with its key hole.
    RoundedRect(cr, cx - bodyW / 2, top, bodyW, bodyH, size * 0.08);
    SetVerticalGradient(cr, top, top + bodyH, Lighten(palette::kGold, 0.2),
                        Darken(palette::kGold, 0.25));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(palette::kGold, 0.55));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx, top + bodyH * 0.42, size * 0.07, 0, 2 * kPi);
    SetColour(cr, palette::kInk);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - size * 0.03, top + bodyH * 0.42, size * 0.06, bodyH * 0.35);
    cairo_fill(cr);
}

std::vector<Picture> MenuPictures() {
    std::vector<Picture> pictures;
    pictures.push_back({"gpx/menu/title.png", 560, 170, Format::kPng, Title, {}});
    pictures.push_back({"gpx/register/panel.png", 800, 600, Format::kPng, LargePanel, {}});
    pictures.push_back({"gpx/menu/name_plate.png", 260, 52, Format::kPng, Plate, {}});
    pictures.push_back({"gpx/quick/panel.png", 184, 330, Format::kPng, ModePanel, {}});
    pictures.push_back({"gpx/quick/tip.png", 170, 70, Format::kPng, TipPlate, {}});
    pictures.push_back({"gpx/quick/lock.png", 150, 56, Format::kPng, LockedPlate, {}});
    const struct {
        const char* name;
        Rgb colour;
    } difficulties[] = {
        {"easy", palette::kLeaf}, {"medium", palette::kGold}, {"hard", palette::kRose}};
    for (const auto& difficulty : difficulties)
        for (Look look : {Look::kOff, Look::kOn, Look::kOffOver}) {
            const Rgb colour = difficulty.colour;
            pictures.push_back(
                {std::string("gpx/quick/") + difficulty.name + "_" + LookSuffix(look) + ".png",
                 150,
                 56,
                 Format::kPng,
                 [colour, look](cairo_t* cr, int w, int h) { ButtonFace(cr, w, h, colour, look); },
                 {}});
        }
    for (Look look : {Look::kOff, Look::kOn, Look::kOffOver, Look::kOnOver})
        pictures.push_back({std::string("gpx/players/row_") + LookSuffix(look) + ".png",
                            380,
                            52,
                            Format::kPng,
                            PlayerRow(look),
                            {}});
    pictures.push_back({"gpx/register/highlight.png", 540, 164, Format::kPng, AvatarHighlight, {}});
    return pictures;
}

} // namespace imagegen
