// The cross-promotion screen's pictures: a round button per promoted game
// (off, pressed, rollover), the games site's logo button and the makers'
// emblem.

#include "Canvas.h"
#include "Palette.h"
#include "Recipes.h"

#include <cmath>
#include <string>

namespace imagegen {

namespace {

using palette::Rgb;

enum class Press { kOff, kOn, kOver };

const char* Suffix(Press press) {
    switch (press) {
    case Press::kOff:
        return "off";
    case Press::kOn:
        return "on";
    case Press::kOver:
        return "off_over";
    }
    return "";
}

Rgb Pressed(Rgb colour, Press press) {
    if (press == Press::kOn)
        return Darken(colour, palette::kPressedDarken);
    if (press == Press::kOver)
        return Lighten(colour, palette::kRolloverLighten);
    return colour;
}

// The games' colours and marks, one per game slot.
const Rgb kGameColours[8] = {palette::kRose, palette::kSky,  palette::kLeaf, palette::kGold,
                             palette::kPlum, palette::kRose, palette::kSky,  palette::kLeaf};

// A mark for each game: a star, a wave, a leaf, a sun and so on, drawn in
// white on the game's colour.
void GameMark(cairo_t* cr, int game, double cx, double cy, double s) {
    switch (game % 4) {
    case 0:
        StarPath(cr, cx, cy, s, s * 0.45, 5, -M_PI / 2);
        break;
    case 1:
        cairo_move_to(cr, cx - s, cy + s * 0.2);
        for (int i = 0; i <= 4; ++i)
            cairo_curve_to(cr, cx - s + i * s * 0.5 - s * 0.12, cy - s * 0.5,
                           cx - s + i * s * 0.5 + s * 0.12, cy - s * 0.5,
                           cx - s + (i + 1) * s * 0.5 - s * 0.25, cy + s * 0.2);
        cairo_line_to(cr, cx + s, cy + s * 0.8);
        cairo_line_to(cr, cx - s, cy + s * 0.8);
        cairo_close_path(cr);
        break;
    case 2:
        cairo_move_to(cr, cx, cy - s);
        cairo_curve_to(cr, cx + s, cy - s * 0.4, cx + s * 0.6, cy + s * 0.7, cx, cy + s);
        cairo_curve_to(cr, cx - s * 0.6, cy + s * 0.7, cx - s, cy - s * 0.4, cx, cy - s);
        cairo_close_path(cr);
        break;
    default:
        cairo_arc(cr, cx, cy, s * 0.55, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            cairo_move_to(cr, cx + std::cos(a) * s * 0.7, cy + std::sin(a) * s * 0.7);
            cairo_line_to(cr, cx + std::cos(a + 0.2) * s, cy + std::sin(a + 0.2) * s);
            cairo_line_to(cr, cx + std::cos(a - 0.2) * s, cy + std::sin(a - 0.2) * s);
            cairo_close_path(cr);
        }
        break;
    }
}

DrawFunction GameButton(int game, Press press) {
    return [game, press](cairo_t* cr, int w, int h) {
        const double shift = press == Press::kOn ? palette::kPressedOffset : 0.0;
        const double x = 4, y = 3 + shift, bw = w - 8, bh = h - 10;
        const Rgb colour = Pressed(kGameColours[game], press);
        if (press != Press::kOn)
            SoftShadow(cr, x, y, bw, bh, palette::kCornerRadius * 1.4);
        Card(cr, x, y, bw, bh, palette::kCornerRadius * 1.4, Lighten(colour, 0.25),
             Darken(colour, 0.15), Darken(colour, 0.45), false);
        GameMark(cr, game, w / 2.0, y + bh / 2.0, bh * 0.3);
        SetColour(cr, palette::kWhite, 0.95);
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(colour, 0.45));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    };
}

// The games site: a globe of symbol-coloured bands and the site's name.
DrawFunction SiteLogo(Press press) {
    return [press](cairo_t* cr, int w, int h) {
        const double shift = press == Press::kOn ? palette::kPressedOffset : 0.0;
        Card(cr, 4, 3 + shift, w - 8, h - 10, palette::kCornerRadius,
             Pressed(palette::kPanelTop, press), Pressed(palette::kPanelBottom, press),
             palette::kPanelEdge, press != Press::kOn);
        const double r = (h - 10) * 0.34;
        const double cx = 12 + r, cy = 3 + shift + (h - 10) / 2.0;
        const Rgb bands[4] = {palette::kSky, palette::kLeaf, palette::kGold, palette::kRose};
        for (int i = 0; i < 4; ++i) {
            cairo_save(cr);
            cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
            cairo_clip(cr);
            cairo_rectangle(cr, cx - r, cy - r + i * r / 2, 2 * r, r / 2 + 0.5);
            SetColour(cr, bands[i]);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, palette::kOutline);
        cairo_stroke(cr);
        SetFont(cr, true, 17);
        CentredText(cr, "example.org", cx + r + (w - cx - r) / 2.0 - 4, cy + 6, palette::kInk);
    };
}

// The makers' emblem: a crest with a card and the team's name.
void MakersEmblem(cairo_t* cr, int w, int h) {
    Card(cr, 4, 3, w - 8, h - 10, palette::kCornerRadius, palette::kButtonTop,
         palette::kButtonBottom, palette::kButtonEdge, true);
    const double cx = 30, cy = 3 + (h - 10) / 2.0;
    RoundedRect(cr, cx - 11, cy - 15, 22, 30, 4);
    SetColour(cr, palette::kWhite);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    StarPath(cr, cx, cy, 8, 3.5, 5, -M_PI / 2);
    SetColour(cr, palette::kRose);
    cairo_fill(cr);
    SetFont(cr, true, 16);
    CentredText(cr, "Corvalo team", (w + 44) / 2.0, cy + 6, palette::kWhite, 2.0);
}

} // namespace

std::vector<Picture> XSellPictures() {
    std::vector<Picture> pictures;
    for (int game = 0; game < 8; ++game) {
        for (Press press : {Press::kOff, Press::kOn, Press::kOver}) {
            pictures.push_back(
                {"gpx/xsell/game" + std::to_string(game + 1) + "_" + Suffix(press) + ".png",
                 96,
                 96,
                 Format::kPng,
                 GameButton(game, press),
                 {}});
        }
    }
    for (Press press : {Press::kOff, Press::kOn, Press::kOver}) {
        pictures.push_back({std::string("gpx/xsell/site_") + Suffix(press) + ".png",
                            190,
                            56,
                            Format::kPng,
                            SiteLogo(press),
                            {}});
    }
    pictures.push_back({"gpx/xsell/makers.png", 180, 50, Format::kPng, MakersEmblem, {}});
    return pictures;
}

} // namespace imagegen
