// The board's tiles: fifteen faces, two backs and the thirteen clips, all
// on one card shape whose centre is the picture's centre (the tile draws
// every layer centred on its position).

#include "Recipes.h"

#include <algorithm>
#include <cmath>

namespace imagegen {

using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

// The picture holds the card and room for its shadow; the card is centred.
constexpr int kTileW = 56;
constexpr int kTileH = 60;
constexpr double kCardW = 50;
constexpr double kCardH = 54;
constexpr double kCardX = (kTileW - kCardW) / 2;
constexpr double kCardY = (kTileH - kCardH) / 2;
constexpr double kCx = kTileW / 2.0;
constexpr double kCy = kTileH / 2.0;

void LightCard(cairo_t* cr) {
    Card(cr, kCardX, kCardY, kCardW, kCardH, palette::kTileRadius, palette::kFaceTop,
         palette::kFaceBottom, palette::kFaceEdge, true);
}

void PowerCard(cairo_t* cr) {
    Card(cr, kCardX, kCardY, kCardW, kCardH, palette::kTileRadius, palette::kPowerTop,
         palette::kPowerBottom, palette::kGoldRim, true);
    // A second, thin gold line inside the rim.
    RoundedRect(cr, kCardX + 4.5, kCardY + 4.5, kCardW - 9, kCardH - 9, palette::kTileRadius - 3);
    SetColour(cr, palette::kGoldRim, 0.55);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// Fills the current path with a light-to-dark gradient of the colour and
// outlines it in a darker shade.
void Shade(cairo_t* cr, Rgb colour, double top, double bottom, double outline = 1.5) {
    SetVerticalGradient(cr, top, bottom, Lighten(colour, 0.3), Darken(colour, 0.12));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(colour, 0.5));
    cairo_set_line_width(cr, outline);
    cairo_stroke(cr);
}

// A small white highlight spot.
void Gloss(cairo_t* cr, double x, double y, double r, double alpha = 0.7) {
    cairo_new_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    SetColour(cr, palette::kWhite, alpha);
    cairo_fill(cr);
}

// ---- faces ----

void StarFace(cairo_t* cr, int, int) {
    LightCard(cr);
    StarPath(cr, kCx, kCy + 1, 19, 8, 5, 0);
    Shade(cr, palette::kGold, kCy - 19, kCy + 17);
    Gloss(cr, kCx - 4, kCy - 5, 2.5);
}

void DiamondFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // A cut gem: a crown over a pointed pavilion, with facet lines.
    const double top = kCy - 13, girdle = kCy - 5, tip = kCy + 18;
    cairo_move_to(cr, kCx - 9, top);
    cairo_line_to(cr, kCx + 9, top);
    cairo_line_to(cr, kCx + 17, girdle);
    cairo_line_to(cr, kCx, tip);
    cairo_line_to(cr, kCx - 17, girdle);
    cairo_close_path(cr);
    Shade(cr, palette::kSky, top, tip);
    SetColour(cr, palette::kWhite, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, kCx - 17, girdle);
    cairo_line_to(cr, kCx + 17, girdle);
    cairo_move_to(cr, kCx - 9, top);
    cairo_line_to(cr, kCx - 5, girdle);
    cairo_line_to(cr, kCx, tip);
    cairo_line_to(cr, kCx + 5, girdle);
    cairo_line_to(cr, kCx + 9, top);
    cairo_stroke(cr);
    Gloss(cr, kCx - 7, kCy - 10, 2);
}

void ShamrockFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // Stem first, then three round leaves.
    cairo_move_to(cr, kCx, kCy + 2);
    cairo_curve_to(cr, kCx + 2, kCy + 10, kCx + 6, kCy + 15, kCx + 9, kCy + 19);
    SetColour(cr, Darken(palette::kLeaf, 0.35));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    for (int i = 0; i < 3; ++i) {
        const double a = -kPi / 2 + (i - 1) * 2 * kPi / 3;
        cairo_new_sub_path(cr);
        cairo_arc(cr, kCx + 8.5 * std::cos(a), kCy - 2 + 8.5 * std::sin(a), 8, 0, 2 * kPi);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    Shade(cr, palette::kLeaf, kCy - 19, kCy + 12);
    Gloss(cr, kCx - 2, kCy - 13, 2);
}

void HeartFace(cairo_t* cr, int, int) {
    LightCard(cr);
    const double s = 17;
    cairo_move_to(cr, kCx, kCy + s);
    cairo_curve_to(cr, kCx - s * 1.4, kCy + s * 0.05, kCx - s, kCy - s * 1.05, kCx, kCy - s * 0.4);
    cairo_curve_to(cr, kCx + s, kCy - s * 1.05, kCx + s * 1.4, kCy + s * 0.05, kCx, kCy + s);
    cairo_close_path(cr);
    Shade(cr, palette::kRed, kCy - s, kCy + s);
    Gloss(cr, kCx - 8, kCy - 6, 2.5);
}

void SunFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // Twelve rays round a disc.
    for (int i = 0; i < 12; ++i) {
        const double a = i * kPi / 6;
        const double wing = 0.22;
        cairo_move_to(cr, kCx + 11 * std::cos(a - wing), kCy + 11 * std::sin(a - wing));
        cairo_line_to(cr, kCx + 21 * std::cos(a), kCy + 21 * std::sin(a));
        cairo_line_to(cr, kCx + 11 * std::cos(a + wing), kCy + 11 * std::sin(a + wing));
        cairo_close_path(cr);
    }
    SetColour(cr, Lighten(palette::kOrange, 0.15));
    cairo_fill(cr);
    cairo_arc(cr, kCx, kCy, 12, 0, 2 * kPi);
    Shade(cr, palette::kOrange, kCy - 12, kCy + 12);
    Gloss(cr, kCx - 4, kCy - 4, 3);
}

void HorseshoeFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // A thick arch, open at the bottom, with nail holes along it.
    const double cy = kCy + 2;
    cairo_new_path(cr);
    cairo_arc(cr, kCx, cy, 18, kPi * 0.72, kPi * 2.28);
    cairo_arc_negative(cr, kCx, cy, 10, kPi * 2.28, kPi * 0.72);
    cairo_close_path(cr);
    Shade(cr, palette::kSteel, cy - 18, cy + 14);
    for (int i = 0; i < 6; ++i) {
        const double a = kPi * (0.9 + i * 0.24);
        Gloss(cr, kCx + 14 * std::cos(a), cy + 14 * std::sin(a), 1.3, 0.95);
    }
}

void LightningFace(cairo_t* cr, int, int) {
    LightCard(cr);
    cairo_move_to(cr, kCx + 5, kCy - 21);
    cairo_line_to(cr, kCx - 11, kCy + 2);
    cairo_line_to(cr, kCx - 1, kCy + 2);
    cairo_line_to(cr, kCx - 6, kCy + 21);
    cairo_line_to(cr, kCx + 12, kCy - 4);
    cairo_line_to(cr, kCx + 2, kCy - 4);
    cairo_line_to(cr, kCx + 9, kCy - 21);
    cairo_close_path(cr);
    Shade(cr, palette::kViolet, kCy - 21, kCy + 21);
}

void MushroomFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // Stem, then the cap with white spots.
    RoundedRect(cr, kCx - 6, kCy - 2, 12, 19, 4);
    Shade(cr, palette::kStem, kCy - 2, kCy + 17, 1.2);
    cairo_new_path(cr);
    cairo_arc(cr, kCx, kCy + 1, 19, kPi, 2 * kPi);
    cairo_curve_to(cr, kCx + 19, kCy + 5, kCx - 19, kCy + 5, kCx - 19, kCy + 1);
    cairo_close_path(cr);
    Shade(cr, palette::kRed, kCy - 18, kCy + 4);
    const double spots[4][3] = {{-9, -6, 3.5}, {3, -12, 3}, {10, -3, 3}, {-1, -3, 2.2}};
    for (const auto& spot : spots)
        Gloss(cr, kCx + spot[0], kCy + spot[1], spot[2], 0.95);
}

void WildFace(cairo_t* cr, int, int) {
    PowerCard(cr);
    StarPath(cr, kCx, kCy + 1, 19, 8.5, 5, 0);
    cairo_pattern_t* rainbow = cairo_pattern_create_linear(kCx - 19, kCy - 19, kCx + 19, kCy + 19);
    const Rgb bands[6] = {palette::kRed,  palette::kOrange, palette::kGold,
                          palette::kLeaf, palette::kSky,    palette::kViolet};
    for (int i = 0; i < 6; ++i)
        cairo_pattern_add_color_stop_rgb(rainbow, i / 5.0, bands[i].r, bands[i].g, bands[i].b);
    cairo_set_source(cr, rainbow);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(rainbow);
    SetColour(cr, palette::kWhite);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void BombFace(cairo_t* cr, int, int) {
    PowerCard(cr);
    // The fuse, its spark, then the black ball with a shine.
    cairo_move_to(cr, kCx + 7, kCy - 8);
    cairo_curve_to(cr, kCx + 10, kCy - 15, kCx + 14, kCy - 14, kCx + 15, kCy - 18);
    SetColour(cr, palette::kStem);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    StarPath(cr, kCx + 15, kCy - 19, 6, 2, 6, 0);
    SetColour(cr, palette::kGold);
    cairo_fill(cr);
    StarPath(cr, kCx + 15, kCy - 19, 3, 1, 6, 0.5);
    SetColour(cr, palette::kRed);
    cairo_fill(cr);
    cairo_arc(cr, kCx - 2, kCy + 4, 14, 0, 2 * kPi);
    cairo_pattern_t* ball = cairo_pattern_create_radial(kCx - 7, kCy - 2, 1, kCx - 2, kCy + 4, 14);
    cairo_pattern_add_color_stop_rgb(ball, 0, 0.45, 0.45, 0.5);
    cairo_pattern_add_color_stop_rgb(ball, 1, 0.03, 0.03, 0.05);
    cairo_set_source(cr, ball);
    cairo_fill(cr);
    cairo_pattern_destroy(ball);
}

void SidewinderFace(cairo_t* cr, int, int) {
    PowerCard(cr);
    // A whirlwind: stacked, shrinking, shifted loops.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 6; ++i) {
        const double y = kCy - 15 + i * 6.2;
        const double rx = 17 - i * 2.6;
        const double shift = std::sin(i * 0.9) * 3;
        cairo_save(cr);
        cairo_translate(cr, kCx + shift, y);
        cairo_scale(cr, rx, 3.2);
        cairo_arc(cr, 0, 0, 1, kPi * 0.1, kPi * 1.9);
        cairo_restore(cr);
        SetColour(cr, Lighten(palette::kTeal, 0.1 + i * 0.05));
        cairo_set_line_width(cr, 2.6);
        cairo_stroke(cr);
    }
}

void ShowtimeFace(cairo_t* cr, int, int) {
    PowerCard(cr);
    // An almond eye with a magenta iris and lashes.
    cairo_move_to(cr, kCx - 19, kCy);
    cairo_curve_to(cr, kCx - 8, kCy - 15, kCx + 8, kCy - 15, kCx + 19, kCy);
    cairo_curve_to(cr, kCx + 8, kCy + 15, kCx - 8, kCy + 15, kCx - 19, kCy);
    cairo_close_path(cr);
    SetColour(cr, palette::kWhite);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kMagenta);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_arc(cr, kCx, kCy, 8, 0, 2 * kPi);
    Shade(cr, palette::kMagenta, kCy - 8, kCy + 8, 1);
    cairo_arc(cr, kCx, kCy, 3.5, 0, 2 * kPi);
    SetColour(cr, palette::kBlack);
    cairo_fill(cr);
    Gloss(cr, kCx - 3, kCy - 3, 1.8, 0.9);
    SetColour(cr, palette::kMagenta);
    cairo_set_line_width(cr, 1.8);
    for (int i = -2; i <= 2; ++i) {
        const double x = kCx + i * 6;
        cairo_move_to(cr, x, kCy - 11.5 + std::abs(i) * 1.8);
        cairo_line_to(cr, x + i * 1.5, kCy - 17 + std::abs(i) * 1.8);
    }
    cairo_stroke(cr);
}

void FreezeFace(cairo_t* cr, int, int) {
    PowerCard(cr);
    // A snowflake: six arms with two pairs of branches each.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 6; ++i) {
            const double a = i * kPi / 3 - kPi / 2;
            const double ca = std::cos(a), sa = std::sin(a);
            cairo_move_to(cr, kCx, kCy);
            cairo_line_to(cr, kCx + 19 * ca, kCy + 19 * sa);
            for (double d : {9.0, 14.0}) {
                const double b = d == 9.0 ? 6 : 4;
                for (double side : {-1.0, 1.0}) {
                    const double ba = a + side * kPi / 4;
                    cairo_move_to(cr, kCx + d * ca, kCy + d * sa);
                    cairo_line_to(cr, kCx + d * ca + b * std::cos(ba),
                                  kCy + d * sa + b * std::sin(ba));
                }
            }
        }
        SetColour(cr, pass == 0 ? Darken(palette::kIce, 0.55) : palette::kIce);
        cairo_set_line_width(cr, pass == 0 ? 4.2 : 2.2);
        cairo_stroke(cr);
    }
    Gloss(cr, kCx, kCy, 2.5, 1.0);
}

// The golden card: gold all over with an embossed star.
void GoldenCardAt(cairo_t* cr, double scale, double shine) {
    cairo_save(cr);
    cairo_translate(cr, kCx, kCy);
    cairo_scale(cr, scale, scale);
    cairo_translate(cr, -kCx, -kCy);
    Card(cr, kCardX, kCardY, kCardW, kCardH, palette::kTileRadius, Lighten(palette::kGold, 0.35),
         Darken(palette::kGoldRim, 0.15), Darken(palette::kGoldRim, 0.45), scale > 0.99);
    StarPath(cr, kCx, kCy + 1, 15, 6.5, 5, 0);
    SetColour(cr, Darken(palette::kGoldRim, 0.2));
    cairo_fill_preserve(cr);
    SetColour(cr, Lighten(palette::kGold, 0.6));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    if (shine >= 0) {
        // A light band across the card, clipped to it.
        RoundedRect(cr, kCardX + 2, kCardY + 2, kCardW - 4, kCardH - 4, palette::kTileRadius - 2);
        cairo_clip(cr);
        // Every step of the sweep crosses the card somewhere.
        const double x = kCardX - 14 + shine * (kCardW + 12);
        cairo_move_to(cr, x - 6, kCardY + kCardH);
        cairo_line_to(cr, x + 10, kCardY);
        cairo_line_to(cr, x + 20, kCardY);
        cairo_line_to(cr, x + 4, kCardY + kCardH);
        cairo_close_path(cr);
        SetColour(cr, palette::kWhite, 0.5);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void GoldenFace(cairo_t* cr, int, int) {
    GoldenCardAt(cr, 1.0, -1);
}

void JokerFace(cairo_t* cr, int, int) {
    LightCard(cr);
    // A jester's cap of three points with bells, over a grin.
    const Rgb caps[3] = {palette::kPlum, palette::kRose, palette::kGold};
    const double tips[3][2] = {{-17, -10}, {0, -20}, {17, -10}};
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, kCx - 11 + i * 7.3, kCy - 1);
        cairo_curve_to(cr, kCx - 8 + i * 8, kCy - 9, kCx + tips[i][0] * 0.6, kCy + tips[i][1],
                       kCx + tips[i][0], kCy + tips[i][1]);
        cairo_line_to(cr, kCx - 4 + i * 7.3, kCy - 1);
        cairo_close_path(cr);
        Shade(cr, caps[i], kCy - 20, kCy, 1.2);
        cairo_arc(cr, kCx + tips[i][0], kCy + tips[i][1], 2.6, 0, 2 * kPi);
        Shade(cr, palette::kGold, kCy + tips[i][1] - 3, kCy + tips[i][1] + 3, 1);
    }
    RoundedRect(cr, kCx - 13, kCy - 3, 26, 5, 2.5);
    Shade(cr, palette::kSky, kCy - 3, kCy + 2, 1);
    // The face below: eyes and a wide grin.
    Gloss(cr, kCx - 6, kCy + 7, 1.8, 1.0);
    cairo_arc(cr, kCx - 6, kCy + 7, 1.8, 0, 2 * kPi);
    cairo_arc(cr, kCx + 6, kCy + 7, 1.8, 0, 2 * kPi);
    SetColour(cr, palette::kInk);
    cairo_fill(cr);
    cairo_arc(cr, kCx, kCy + 9, 10, kPi * 0.15, kPi * 0.85);
    cairo_close_path(cr);
    SetColour(cr, palette::kRose);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

// ---- backs ----

void BackCard(cairo_t* cr, bool bonus) {
    const Rgb top = bonus ? palette::kBonusTop : palette::kBackTop;
    const Rgb bottom = bonus ? palette::kBonusBottom : palette::kBackBottom;
    const Rgb edge = bonus ? palette::kBonusEdge : palette::kBackEdge;
    Card(cr, kCardX, kCardY, kCardW, kCardH, palette::kTileRadius, top, bottom, edge, true);
    cairo_save(cr);
    RoundedRect(cr, kCardX + 5, kCardY + 5, kCardW - 10, kCardH - 10, palette::kTileRadius - 3);
    cairo_clip_preserve(cr);
    SetColour(cr, palette::kWhite, 0.55);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (!bonus) {
        // A lattice of fine diagonal lines.
        for (double d = -kCardH; d < kCardW + kCardH; d += 6) {
            cairo_move_to(cr, kCardX + d, kCardY);
            cairo_line_to(cr, kCardX + d - kCardH, kCardY + kCardH);
            cairo_move_to(cr, kCardX + d - kCardH, kCardY);
            cairo_line_to(cr, kCardX + d, kCardY + kCardH);
        }
        SetColour(cr, Lighten(palette::kBackTop, 0.35), 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_arc(cr, kCx, kCy, 7, 0, 2 * kPi);
        SetColour(cr, palette::kWhite, 0.8);
        cairo_fill(cr);
        cairo_arc(cr, kCx, kCy, 4, 0, 2 * kPi);
        SetColour(cr, palette::kBackTop);
        cairo_fill(cr);
    } else {
        StarPath(cr, kCx, kCy + 1, 15, 6.5, 5, 0);
        SetVerticalGradient(cr, kCy - 15, kCy + 15, palette::kWhite, Lighten(palette::kGold, 0.4));
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kBonusEdge);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// ---- clips ----

// One-shot clips end on their last frame: t runs to exactly 1 there.
double Whole(double t, int frames) {
    return std::min(1.0, t * frames / (frames - 1));
}

constexpr int kFlipFrames = 10;

// A card turned about its vertical axis: the back narrows to an edge, then
// a blank face widens (or the other way round).
void Flip(cairo_t* cr, double t, bool toFace, bool bonus) {
    const double u = toFace ? t : 1.0 - t;
    const bool backSide = u < 0.5;
    const double width = std::max(0.04, std::abs(std::cos(kPi * u)));
    cairo_save(cr);
    cairo_translate(cr, kCx, kCy);
    cairo_scale(cr, width, 1.0 + 0.06 * std::sin(kPi * u));
    cairo_translate(cr, -kCx, -kCy);
    if (backSide)
        BackCard(cr, bonus);
    else
        LightCard(cr);
    cairo_restore(cr);
}

Animation FlipClip(const char* path, bool toFace, bool bonus) {
    return {path, kFlipFrames, kTileW, kTileH, [toFace, bonus](cairo_t* cr, int, int, double t) {
                Flip(cr, Whole(t, kFlipFrames), toFace, bonus);
            }};
}

constexpr int kVanishFrames = 12;

// The card swells and fades, then breaks into sparks; the last frame is
// empty.
void VanishFrame(cairo_t* cr, int, int, double t) {
    const double u = Whole(t, kVanishFrames);
    if (u >= 1.0)
        return;
    const double card = std::max(0.0, 1.0 - u / 0.55);
    if (card > 0) {
        cairo_save(cr);
        cairo_translate(cr, kCx, kCy);
        cairo_scale(cr, 0.92 + 0.12 * u / 0.55, 0.92 + 0.12 * u / 0.55);
        cairo_translate(cr, -kCx, -kCy);
        cairo_push_group(cr);
        LightCard(cr);
        RoundedRect(cr, kCardX, kCardY, kCardW, kCardH, palette::kTileRadius);
        SetColour(cr, palette::kWhite, 0.6 * (1.0 - card));
        cairo_fill(cr);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, card);
        cairo_restore(cr);
    }
    if (u > 0.3) {
        const double s = (u - 0.3) / 0.7;
        for (int i = 0; i < 10; ++i) {
            const double a = i * 2 * kPi / 10 + 0.3;
            const double d = 6 + 20 * s;
            StarPath(cr, kCx + d * std::cos(a), kCy + d * std::sin(a), 4.5 * (1 - s) + 0.5,
                     1.5 * (1 - s) + 0.2, 4, a);
            SetColour(cr, i % 2 ? palette::kGold : palette::kWhite, 1.0 - s);
            cairo_fill(cr);
        }
    }
}

constexpr int kGoldFrames = 12;

void GoldAppearFrame(cairo_t* cr, int, int, double t) {
    const double u = Whole(t, kGoldFrames);
    const double grow = 0.2 + 0.8 * (1 - (1 - u) * (1 - u));
    GoldenCardAt(cr, grow, u < 1.0 ? u : -1);
}

void GoldStandFrame(cairo_t* cr, int, int, double t) {
    GoldenCardAt(cr, 1.0, t);
}

// A rim round the card whose strength pulses with t.
void Rim(cairo_t* cr, Rgb colour, double strength, double width) {
    for (int i = 3; i >= 1; --i) {
        RoundedRect(cr, kCardX + 1, kCardY + 1, kCardW - 2, kCardH - 2, palette::kTileRadius);
        SetColour(cr, colour, strength * 0.3);
        cairo_set_line_width(cr, width * i);
        cairo_stroke(cr);
    }
    RoundedRect(cr, kCardX + 1, kCardY + 1, kCardW - 2, kCardH - 2, palette::kTileRadius);
    SetColour(cr, Lighten(colour, 0.5), strength);
    cairo_set_line_width(cr, width * 0.6);
    cairo_stroke(cr);
}

double Pulse(double t) {
    return 0.5 - 0.5 * std::cos(2 * kPi * t);
}

Animation RimClip(const char* path, Rgb colour, double low, double width) {
    return {path, 12, kTileW, kTileH, [colour, low, width](cairo_t* cr, int, int, double t) {
                Rim(cr, colour, low + (1 - low) * Pulse(t), width);
            }};
}

void BombfxFrame(cairo_t* cr, int, int, double t) {
    Rim(cr, palette::kRed, 0.4 + 0.6 * Pulse(t), 3);
    // Sparks running round the rim.
    for (int i = 0; i < 4; ++i) {
        const double u = std::fmod(t + i * 0.25, 1.0);
        const double perimeter = 2 * (kCardW + kCardH);
        double d = u * perimeter, x, y;
        if (d < kCardW) {
            x = kCardX + d, y = kCardY;
        } else if ((d -= kCardW) < kCardH) {
            x = kCardX + kCardW, y = kCardY + d;
        } else if ((d -= kCardH) < kCardW) {
            x = kCardX + kCardW - d, y = kCardY + kCardH;
        } else {
            x = kCardX, y = kCardY + kCardH - (d - kCardW);
        }
        StarPath(cr, x, y, 4, 1.3, 4, t * kPi);
        SetColour(cr, i % 2 ? palette::kGold : palette::kWhite);
        cairo_fill(cr);
    }
}

void WildfxFrame(cairo_t* cr, int, int, double t) {
    // A rainbow band sweeping over the card, then a soft rim.
    cairo_save(cr);
    RoundedRect(cr, kCardX + 1, kCardY + 1, kCardW - 2, kCardH - 2, palette::kTileRadius);
    cairo_clip(cr);
    const double x = kCardX - 30 + t * (kCardW + 60);
    cairo_pattern_t* band = cairo_pattern_create_linear(x - 22, 0, x + 22, 0);
    const Rgb bands[6] = {palette::kRed,  palette::kOrange, palette::kGold,
                          palette::kLeaf, palette::kSky,    palette::kViolet};
    cairo_pattern_add_color_stop_rgba(band, 0, 1, 1, 1, 0);
    for (int i = 0; i < 6; ++i)
        cairo_pattern_add_color_stop_rgba(band, 0.1 + i * 0.16, bands[i].r, bands[i].g, bands[i].b,
                                          0.5);
    cairo_pattern_add_color_stop_rgba(band, 1, 1, 1, 1, 0);
    cairo_set_source(cr, band);
    cairo_paint(cr);
    cairo_pattern_destroy(band);
    cairo_restore(cr);
    Rim(cr, palette::kGold, 0.5 + 0.5 * Pulse(t), 2);
}

// ---- particle textures: white shapes that the emitters' colours tint ----

void SparkTexture(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w / 2.0);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 1, 1, 0.6);
    cairo_pattern_add_color_stop_rgba(halo, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    StarPath(cr, cx, cy, w * 0.48, w * 0.09, 4, 0);
    SetColour(cr, palette::kWhite);
    cairo_fill(cr);
    (void)h;
}

void DotTexture(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_pattern_t* dot = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w / 2.0);
    cairo_pattern_add_color_stop_rgba(dot, 0.0, 1, 1, 1, 1.0);
    cairo_pattern_add_color_stop_rgba(dot, 0.4, 1, 1, 1, 0.6);
    cairo_pattern_add_color_stop_rgba(dot, 1.0, 1, 1, 1, 0.0);
    cairo_set_source(cr, dot);
    cairo_paint(cr);
    cairo_pattern_destroy(dot);
    (void)h;
}

void WispTexture(cairo_t* cr, int w, int h) {
    // A soft curl, brightest in its middle.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 3; ++pass) {
        cairo_move_to(cr, w * 0.12, h * 0.7);
        cairo_curve_to(cr, w * 0.35, h * 0.2, w * 0.7, h * 0.9, w * 0.88, h * 0.3);
        SetColour(cr, palette::kWhite, 0.25 + pass * 0.3);
        cairo_set_line_width(cr, (3 - pass) * w * 0.09);
        cairo_stroke(cr);
    }
}

void FlakeTexture(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0, r = w * 0.45;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 6; ++i) {
        const double a = i * kPi / 3;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        for (double side : {-1.0, 1.0}) {
            const double d = r * 0.55, b = a + side * kPi / 4;
            cairo_move_to(cr, cx + d * std::cos(a), cy + d * std::sin(a));
            cairo_line_to(cr, cx + d * std::cos(a) + r * 0.3 * std::cos(b),
                          cy + d * std::sin(a) + r * 0.3 * std::sin(b));
        }
    }
    SetColour(cr, palette::kWhite);
    cairo_set_line_width(cr, w * 0.08);
    cairo_stroke(cr);
    (void)h;
}

// The golden tile's points, rising in its cut-scene.
void PointsTexture(cairo_t* cr, int w, int h) {
    // Narrower than the smallest board's tile step, so that the labels of
    // a row of golden tiles stand side by side.
    SetFont(cr, true, 15);
    CentredText(cr, "+100", w / 2.0, h * 0.7, palette::kGold, 2.5, Darken(palette::kGoldRim, 0.5));
}

} // namespace

std::vector<Picture> TilePictures() {
    const struct {
        const char* name;
        void (*draw)(cairo_t*, int, int);
    } faces[] = {
        {"star", StarFace},
        {"diamond", DiamondFace},
        {"shamrock", ShamrockFace},
        {"heart", HeartFace},
        {"sun", SunFace},
        {"horseshoe", HorseshoeFace},
        {"lightning", LightningFace},
        {"mushroom", MushroomFace},
        {"wild", WildFace},
        {"bomb", BombFace},
        {"sidewinder", SidewinderFace},
        {"showtime", ShowtimeFace},
        {"freeze", FreezeFace},
        {"golden", GoldenFace},
        {"joker", JokerFace},
    };
    std::vector<Picture> pictures;
    for (const auto& face : faces)
        pictures.push_back({std::string("gpx/tiles/") + face.name + ".png",
                            kTileW,
                            kTileH,
                            Format::kPng,
                            face.draw,
                            {}});
    pictures.push_back({"gpx/tiles/card.png",
                        kTileW,
                        kTileH,
                        Format::kPng,
                        [](cairo_t* cr, int, int) { BackCard(cr, false); },
                        {}});
    pictures.push_back({"gpx/tiles/bonuscard.png",
                        kTileW,
                        kTileH,
                        Format::kPng,
                        [](cairo_t* cr, int, int) { BackCard(cr, true); },
                        {}});
    pictures.push_back({"fx/tiles/tex/spark.png", 32, 32, Format::kPng, SparkTexture, {}});
    pictures.push_back({"fx/tiles/tex/dot.png", 32, 32, Format::kPng, DotTexture, {}});
    pictures.push_back({"fx/tiles/tex/wisp.png", 32, 32, Format::kPng, WispTexture, {}});
    pictures.push_back({"fx/tiles/tex/points.png", 52, 26, Format::kPng, PointsTexture, {}});
    pictures.push_back({"anim/tex/flake.png", 32, 32, Format::kPng, FlakeTexture, {}});
    return pictures;
}

std::vector<Animation> TileAnimations() {
    return {
        FlipClip("gpx/tiles/anim/flip_show.xml", true, false),
        FlipClip("gpx/tiles/anim/flip_hide.xml", false, false),
        FlipClip("gpx/tiles/anim/flipappear2.xml", true, true),
        FlipClip("gpx/tiles/anim/flipdisappear2.xml", false, true),
        {"gpx/tiles/anim/vanish.xml", kVanishFrames, kTileW, kTileH, VanishFrame},
        {"gpx/tiles/anim/icongoldappear.xml", kGoldFrames, kTileW, kTileH, GoldAppearFrame},
        {"gpx/tiles/anim/icongoldstand.xml", 12, kTileW, kTileH, GoldStandFrame},
        RimClip("gpx/tiles/anim/match.xml", palette::kGold, 0.35, 3),
        RimClip("gpx/tiles/anim/matchred.xml", palette::kRed, 0.35, 3),
        RimClip("gpx/tiles/anim/stand.xml", palette::kSky, 0.25, 2),
        RimClip("gpx/tiles/anim/glow.xml", palette::kGold, 0.15, 4),
        {"gpx/tiles/anim/bombfx.xml", 12, kTileW, kTileH, BombfxFrame},
        {"gpx/tiles/anim/wildfx.xml", 16, kTileW, kTileH, WildfxFrame},
    };
}

} // namespace imagegen
