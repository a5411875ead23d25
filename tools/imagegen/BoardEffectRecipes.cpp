// The board screen's effect pictures: the HUD clips (the ring around the
// goal counter, the red warning frame, the breaking heart), the ice over
// the clock, the logo of the combo flash, the achievement panel and its
// twenty icons, and the small sprites of the board's particles.

#include "Recipes.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace imagegen {

namespace {

using palette::Rgb;

constexpr double kPi = 3.14159265358979323846;

// ---- HUD clips ----

// A ring of light that swells and fades around the goal counter, once a
// loop; drawn from its centre.
void PulsingRing(cairo_t* cr, int w, int h, double t) {
    const double cx = w / 2.0, cy = h / 2.0;
    const double wave = 0.5 - 0.5 * std::cos(2 * kPi * t);
    const double radius = w * (0.30 + 0.08 * wave);
    const double alpha = 0.95 - 0.45 * wave;
    // A soft glow either side of the ring, then the ring itself.
    for (int i = 6; i >= 1; --i) {
        cairo_set_line_width(cr, 3.0 + i * 2.2);
        SetColour(cr, palette::kGold, alpha * 0.07);
        cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
        cairo_stroke(cr);
    }
    cairo_set_line_width(cr, 4.0);
    SetColour(cr, Lighten(palette::kGold, 0.45), alpha);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_stroke(cr);
    (void)h;
}

// The warning frame: a red glow just inside the board frame's outline that
// breathes in and out. Drawn small with the board frames' proportions (a
// little taller than wide); the board scales it to the visible frame's
// height. Placed by its top-left corner.
void WarningFrame(cairo_t* cr, int w, int h, double t) {
    const double wave = 0.5 - 0.5 * std::cos(2 * kPi * t);
    const double alpha = 0.35 + 0.6 * wave;
    for (int i = 0; i < 7; ++i) {
        const double inset = 2.0 + i * 1.6;
        RoundedRect(cr, inset, inset, w - 2 * inset, h - 2 * inset, 9.0);
        cairo_set_line_width(cr, 2.2);
        SetColour(cr, palette::kRed, alpha * (1.0 - i / 7.0) * 0.8);
        cairo_stroke(cr);
    }
    RoundedRect(cr, 2.5, 2.5, w - 5.0, h - 5.0, 9.0);
    cairo_set_line_width(cr, 2.0);
    SetColour(cr, Lighten(palette::kRed, 0.35), alpha);
    cairo_stroke(cr);
}

// A heart outline as a path, filling a box of width s centred on cx,
// the top of its lobes at y.
void HeartPath(cairo_t* cr, double cx, double y, double s) {
    const double r = s * 0.27;
    cairo_new_path(cr);
    cairo_move_to(cr, cx, y + s * 0.88);
    cairo_curve_to(cr, cx - s * 0.2, y + s * 0.7, cx - s * 0.5, y + s * 0.5, cx - s * 0.5,
                   y + s * 0.27);
    cairo_arc(cr, cx - s * 0.23, y + r, r, kPi, 2 * kPi);
    cairo_arc(cr, cx + s * 0.23, y + r, r, kPi, 2 * kPi);
    cairo_curve_to(cr, cx + s * 0.5, y + s * 0.5, cx + s * 0.2, y + s * 0.7, cx, y + s * 0.88);
    cairo_close_path(cr);
}

void FillHeart(cairo_t* cr, double cx, double y, double s, double alpha) {
    HeartPath(cr, cx, y, s);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, y, 0, y + s);
    const Rgb top = Lighten(palette::kRed, 0.3), bottom = Darken(palette::kRed, 0.25);
    cairo_pattern_add_color_stop_rgba(body, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(body, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    cairo_set_line_width(cr, palette::kOutline);
    SetColour(cr, Darken(palette::kRed, 0.6), alpha);
    cairo_stroke(cr);
    cairo_arc(cr, cx - s * 0.22, y + s * 0.2, s * 0.08, 0, 2 * kPi);
    SetColour(cr, palette::kWhite, 0.75 * alpha);
    cairo_fill(cr);
}

// A heart that cracks down the middle; its halves tip apart, fall and fade.
// Played once over a heart of the board (44 x 40, the heart in its top
// part, the rest room to fall), placed by its top-left corner.
void BreakingHeart(cairo_t* cr, int w, int h, double t) {
    const double s = w * 0.86, cx = w / 2.0, top = 3.0;
    const double crack = std::min(1.0, t / 0.25);
    const double fall = std::max(0.0, (t - 0.3) / 0.7);
    const double alpha = 1.0 - fall * fall;
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        // Each half turns about the heart's tip and drops.
        cairo_translate(cr, cx + side * fall * w * 0.08, fall * fall * h * 0.4);
        cairo_translate(cr, 0, top + s * 0.88);
        cairo_rotate(cr, side * fall * 0.35);
        cairo_translate(cr, -cx, -(top + s * 0.88));
        // Keep one side of a zig-zag crack.
        cairo_new_path(cr);
        const double edge = side < 0 ? 0.0 : w;
        cairo_move_to(cr, edge, 0);
        cairo_line_to(cr, cx, 0);
        const double zig = s * 0.08;
        cairo_line_to(cr, cx, top + s * 0.2);
        cairo_line_to(cr, cx - zig, top + s * 0.38);
        cairo_line_to(cr, cx + zig, top + s * 0.56);
        cairo_line_to(cr, cx - zig * 0.5, top + s * 0.72);
        cairo_line_to(cr, cx, h);
        cairo_line_to(cr, edge, h);
        cairo_close_path(cr);
        cairo_clip(cr);
        FillHeart(cr, cx, top, s, alpha);
        cairo_restore(cr);
    }
    // The crack runs down before the halves part.
    if (fall == 0.0) {
        cairo_set_line_width(cr, 2.0);
        SetColour(cr, palette::kInk);
        const double zig = s * 0.08;
        const double ys[] = {top + s * 0.2, top + s * 0.38, top + s * 0.56, top + s * 0.72};
        const double xs[] = {cx, cx - zig, cx + zig, cx - zig * 0.5};
        cairo_move_to(cr, cx, top + s * 0.06);
        for (int i = 0; i < static_cast<int>(crack * 4); ++i)
            cairo_line_to(cr, xs[i], ys[i]);
        cairo_stroke(cr);
    }
}

// ---- effect sprites ----

// Six arms of an ice crystal of radius r about (x, y) as a path, each with
// two twigs `at` of the way out, `twig` of r long, turned by `turn` radians.
void CrystalPath(cairo_t* cr, double x, double y, double r, double at, double twig, double turn) {
    for (int arm = 0; arm < 6; ++arm) {
        const double a = arm * kPi / 3;
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
        const double bx = x + r * at * std::cos(a), by = y + r * at * std::sin(a);
        for (int side = -1; side <= 1; side += 2) {
            cairo_move_to(cr, bx, by);
            cairo_line_to(cr, bx + r * twig * std::cos(a + side * turn),
                          by + r * twig * std::sin(a + side * turn));
        }
    }
}

// Frost over the HUD's clock: a pale, translucent sheet with crystals and
// a bright rim, drawn from its centre.
void IceSheet(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, w / 2.0 - 4, h / 2.0 - 4);
    cairo_new_path(cr);
    // A wavy oval: the edge of the frost.
    for (int i = 0; i <= 48; ++i) {
        const double a = 2 * kPi * i / 48;
        const double r = 0.92 + 0.08 * std::sin(a * 7) * std::cos(a * 3);
        if (i == 0)
            cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
        else
            cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_restore(cr);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w / 2.0);
    const Rgb ice = palette::kIce;
    cairo_pattern_add_color_stop_rgba(body, 0.0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(body, 0.7, ice.r, ice.g, ice.b, 0.6);
    cairo_pattern_add_color_stop_rgba(body, 1.0, ice.r, ice.g, ice.b, 0.85);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    cairo_set_line_width(cr, 2.0);
    SetColour(cr, palette::kWhite, 0.95);
    cairo_stroke(cr);
    // Crystals: six-armed stars of thin white lines.
    const double spots[][3] = {{0.2, 0.3, 0.13},  {0.5, 0.55, 0.2},  {0.8, 0.35, 0.12},
                               {0.33, 0.75, 0.1}, {0.72, 0.78, 0.1}, {0.5, 0.2, 0.08}};
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (const auto& spot : spots) {
        const double x = spot[0] * w, y = spot[1] * h, r = spot[2] * h;
        SetColour(cr, palette::kWhite, 0.9);
        CrystalPath(cr, x, y, r, 0.6, 0.3, 0.8);
        cairo_stroke(cr);
    }
}

// The game's name, large, in the banner letters' gold, with a white glow:
// the logo that flashes over the board on a combo.
void LogoFlash(cairo_t* cr, int w, int h) {
    const std::string name = "Corvalo";
    const double size = h * 0.62, baseline = h * 0.72;
    SetFont(cr, true, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, name.c_str(), &extents);
    const double x = (w - extents.x_advance) / 2.0;
    for (int i = 5; i >= 1; --i) {
        cairo_move_to(cr, x, baseline);
        cairo_text_path(cr, name.c_str());
        cairo_set_line_width(cr, 4.0 + i * 4.0);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColour(cr, palette::kWhite, 0.1);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, name.c_str());
    cairo_set_line_width(cr, 6.0);
    SetColour(cr, palette::kInk);
    cairo_stroke_preserve(cr);
    SetVerticalGradient(cr, baseline - size * 0.75, baseline, Lighten(palette::kGold, 0.55),
                        palette::kButtonBottom);
    cairo_fill(cr);
}

// A long soft beam for the rays of light, white in its middle, in a
// square: particles turn before they are scaled, so only an even scale
// keeps a turned beam straight.
void Ray(cairo_t* cr, int w, int h) {
    const double beam = w * 0.06;
    cairo_pattern_t* across = cairo_pattern_create_linear((w - beam) / 2.0, 0, (w + beam) / 2.0, 0);
    cairo_pattern_add_color_stop_rgba(across, 0.0, 1, 1, 0.9, 0.0);
    cairo_pattern_add_color_stop_rgba(across, 0.5, 1, 1, 0.9, 1.0);
    cairo_pattern_add_color_stop_rgba(across, 1.0, 1, 1, 0.9, 0.0);
    cairo_pattern_t* along = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(along, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(along, 0.3, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(along, 0.7, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(along, 1.0, 0, 0, 0, 0.0);
    cairo_rectangle(cr, (w - beam) / 2.0, 0, beam, h);
    cairo_clip(cr);
    cairo_set_source(cr, across);
    cairo_mask(cr, along);
    cairo_pattern_destroy(across);
    cairo_pattern_destroy(along);
}

// A four-pointed twinkle.
void Twinkle(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    StarPath(cr, cx, cy, w * 0.48, w * 0.09, 4, -kPi / 2);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w * 0.48);
    cairo_pattern_add_color_stop_rgba(body, 0.0, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(body, 1.0, 1, 1, 1, 0.2);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    (void)h;
}

// ---- theme sprites: what drifts over each kind of background ----

void Snowflake(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0, r = w * 0.44;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double width : {4.0, 2.0}) {
        cairo_set_line_width(cr, width);
        SetColour(cr, width > 3 ? palette::kSky : palette::kWhite, width > 3 ? 0.5 : 1.0);
        CrystalPath(cr, cx, cy, r, 0.55, 0.35, 0.9);
        cairo_stroke(cr);
    }
    (void)h;
}

void Leaf(cairo_t* cr, int w, int h) {
    cairo_save(cr);
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_rotate(cr, -kPi / 4);
    const double l = w * 0.46, b = w * 0.22;
    cairo_move_to(cr, -l, 0);
    cairo_curve_to(cr, -l * 0.4, -b * 1.3, l * 0.4, -b * 1.3, l, 0);
    cairo_curve_to(cr, l * 0.4, b * 1.3, -l * 0.4, b * 1.3, -l, 0);
    cairo_close_path(cr);
    SetVerticalGradient(cr, -b, b, Lighten(palette::kLeaf, 0.3), Darken(palette::kLeaf, 0.2));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, Darken(palette::kLeaf, 0.45));
    cairo_stroke(cr);
    cairo_move_to(cr, -l * 0.9, 0);
    cairo_line_to(cr, l * 0.85, 0);
    cairo_set_line_width(cr, 1.0);
    SetColour(cr, Lighten(palette::kLeaf, 0.55));
    cairo_stroke(cr);
    cairo_restore(cr);
    (void)h;
}

// Five round petals about a golden heart, in the given colour.
void Blossom(cairo_t* cr, int w, Rgb petal) {
    const double cx = w / 2.0, cy = w / 2.0, r = w * 0.17;
    for (int p = 0; p < 5; ++p) {
        const double a = p * 2 * kPi / 5 - kPi / 2;
        const double px = cx + r * 1.35 * std::cos(a), py = cy + r * 1.35 * std::sin(a);
        cairo_arc(cr, px, py, r, 0, 2 * kPi);
        cairo_pattern_t* body = cairo_pattern_create_radial(px, py, 0, px, py, r);
        cairo_pattern_add_color_stop_rgb(body, 0, Lighten(petal, 0.6).r, Lighten(petal, 0.6).g,
                                         Lighten(petal, 0.6).b);
        cairo_pattern_add_color_stop_rgb(body, 1, petal.r, petal.g, petal.b);
        cairo_set_source(cr, body);
        cairo_fill(cr);
        cairo_pattern_destroy(body);
    }
    cairo_arc(cr, cx, cy, r * 0.75, 0, 2 * kPi);
    SetColour(cr, palette::kGold);
    cairo_fill(cr);
}

void CityPetal(cairo_t* cr, int w, int) {
    Blossom(cr, w, Lighten(palette::kRose, 0.35));
}

void BeachFlower(cairo_t* cr, int w, int) {
    Blossom(cr, w, palette::kOrange);
}

void SpaceStar(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    StarPath(cr, cx, cy, w * 0.46, w * 0.2, 5, -kPi / 2);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w * 0.46);
    cairo_pattern_add_color_stop_rgb(body, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(body, 1, palette::kGold.r, palette::kGold.g, palette::kGold.b);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
}

// ---- achievement panel and icons ----

void AchievementPanel(cairo_t* cr, int w, int h) {
    Card(cr, 3, 3, w - 8, h - 8, palette::kCornerRadius, palette::kPanelTop, palette::kPanelBottom,
         palette::kPanelEdge, true);
    // A gold well behind the icon at (8, 8).
    cairo_arc(cr, 40, h / 2.0 - 1, 30, 0, 2 * kPi);
    SetColour(cr, palette::kGold, 0.35);
    cairo_fill(cr);
}

// What an achievement is for, shown in the middle of its medal: a symbol
// of the font, or a small drawing.
struct Medal {
    Rgb colour;
    const char* symbol; // UTF-8 text, or empty for a drawing
    void (*draw)(cairo_t*, double cx, double cy, double r);
};

void DrawBomb(cairo_t* cr, double cx, double cy, double r) {
    cairo_arc(cr, cx - r * 0.1, cy + r * 0.15, r * 0.6, 0, 2 * kPi);
    SetColour(cr, palette::kInk);
    cairo_fill(cr);
    cairo_arc(cr, cx - r * 0.3, cy - r * 0.05, r * 0.18, 0, 2 * kPi);
    SetColour(cr, palette::kWhite, 0.5);
    cairo_fill(cr);
    cairo_move_to(cr, cx + r * 0.3, cy - r * 0.3);
    cairo_curve_to(cr, cx + r * 0.5, cy - r * 0.7, cx + r * 0.7, cy - r * 0.5, cx + r * 0.75,
                   cy - r * 0.8);
    cairo_set_line_width(cr, r * 0.12);
    SetColour(cr, palette::kStem);
    cairo_stroke(cr);
    cairo_arc(cr, cx + r * 0.75, cy - r * 0.82, r * 0.14, 0, 2 * kPi);
    SetColour(cr, palette::kOrange);
    cairo_fill(cr);
}

void DrawCat(cairo_t* cr, double cx, double cy, double r) {
    cairo_move_to(cr, cx - r * 0.62, cy - r * 0.05);
    cairo_line_to(cr, cx - r * 0.55, cy - r * 0.8);
    cairo_line_to(cr, cx - r * 0.15, cy - r * 0.45);
    cairo_line_to(cr, cx + r * 0.15, cy - r * 0.45);
    cairo_line_to(cr, cx + r * 0.55, cy - r * 0.8);
    cairo_line_to(cr, cx + r * 0.62, cy - r * 0.05);
    cairo_arc(cr, cx, cy + r * 0.05, r * 0.62, 0, kPi);
    cairo_close_path(cr);
    SetColour(cr, palette::kOrange);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, palette::kInk);
    cairo_stroke(cr);
    for (int side = -1; side <= 1; side += 2) {
        cairo_arc(cr, cx + side * r * 0.25, cy, r * 0.09, 0, 2 * kPi);
        cairo_fill(cr);
    }
    cairo_move_to(cr, cx - r * 0.07, cy + r * 0.2);
    cairo_line_to(cr, cx + r * 0.07, cy + r * 0.2);
    cairo_line_to(cr, cx, cy + r * 0.3);
    cairo_close_path(cr);
    SetColour(cr, palette::kRose);
    cairo_fill(cr);
}

void DrawDog(cairo_t* cr, double cx, double cy, double r) {
    const Rgb fur = palette::kPanelEdge;
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, cx + side * r * 0.55, cy - r * 0.1);
        cairo_scale(cr, r * 0.22, r * 0.5);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        SetColour(cr, Darken(fur, 0.35));
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, r * 0.5, 0, 2 * kPi);
    SetColour(cr, fur);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, palette::kInk);
    cairo_stroke(cr);
    for (int side = -1; side <= 1; side += 2) {
        cairo_arc(cr, cx + side * r * 0.2, cy - r * 0.1, r * 0.08, 0, 2 * kPi);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy + r * 0.18, r * 0.12, 0, 2 * kPi);
    cairo_fill(cr);
}

// The twenty medals in the order of the achievements: the quest map (two),
// combos and the chain, the score, the five power-ups, cleared boards, the
// five modes played on every difficulty, the two new friends.
const Medal kMedals[20] = {
    {palette::kPlum, "\xE2\x9A\x91", nullptr}, // every quest place open
    {palette::kPlum, "\xC2\xBD", nullptr},     // half the quest map
    {palette::kRose, "25", nullptr},           // combo of 25
    {palette::kRose, "50", nullptr},           // combo of 50
    {palette::kRose, "20", nullptr},           // chain of 20
    {palette::kGold, "\xE2\x99\x9B", nullptr}, // high score
    {palette::kTeal, "", DrawBomb},            // bombs
    {palette::kTeal, "\xE2\x9D\x84", nullptr}, // freezes
    {palette::kTeal, "\xE2\x98\x85", nullptr}, // wild tiles
    {palette::kTeal, "\xE2\x86\xBB", nullptr}, // sidewinders
    {palette::kTeal, "\xE2\x98\x80", nullptr}, // showtimes
    {palette::kLeaf, "1", nullptr},            // a board cleared
    {palette::kLeaf, "5", nullptr},            // five boards cleared
    {palette::kSky, "B", nullptr},             // Blitz on every difficulty
    {palette::kSky, "R", nullptr},             // Rome
    {palette::kSky, "C", nullptr},             // Classic
    {palette::kSky, "S", nullptr},             // Strategy
    {palette::kSky, "J", nullptr},             // Joker
    {palette::kOrange, "", DrawCat},           // the cat
    {palette::kPanelEdge, "", DrawDog},        // the dog
};

// One medal: two ribbon tails, a gold rim and a coloured face with the
// achievement's sign.
DrawFunction AchievementIcon(int index) {
    return [index](cairo_t* cr, int w, int h) {
        const Medal& medal = kMedals[index];
        const double cx = w / 2.0, cy = h * 0.44, r = w * 0.36;
        for (int side = -1; side <= 1; side += 2) {
            cairo_move_to(cr, cx + side * r * 0.2, cy + r * 0.5);
            cairo_line_to(cr, cx + side * r * 0.85, h - 2.0);
            cairo_line_to(cr, cx + side * r * 0.45, h - 7.0);
            cairo_line_to(cr, cx + side * r * 0.15, h - 3.0);
            cairo_line_to(cr, cx - side * r * 0.2, cy + r * 0.5);
            cairo_close_path(cr);
            SetColour(cr, side < 0 ? palette::kRose : Darken(palette::kRose, 0.2));
            cairo_fill(cr);
        }
        cairo_arc(cr, cx + 1.5, cy + 2, r + 3, 0, 2 * kPi);
        SetColour(cr, palette::kBlack, palette::kShadowAlpha);
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, r + 3, 0, 2 * kPi);
        SetVerticalGradient(cr, cy - r, cy + r, Lighten(palette::kGoldRim, 0.4),
                            Darken(palette::kGoldRim, 0.2));
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, r - 1, 0, 2 * kPi);
        SetVerticalGradient(cr, cy - r, cy + r, Lighten(medal.colour, 0.3),
                            Darken(medal.colour, 0.15));
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, r + 3, 0, 2 * kPi);
        cairo_set_line_width(cr, 1.5);
        SetColour(cr, palette::kInk);
        cairo_stroke(cr);
        if (medal.draw) {
            medal.draw(cr, cx, cy, r * 0.8);
            return;
        }
        const std::string sign = medal.symbol;
        SetFont(cr, true, sign.size() == 2 && sign[0] >= '0' ? r * 0.9 : r * 1.1);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, sign.c_str(), &extents);
        CentredText(cr, sign, cx, cy - extents.y_bearing - extents.height / 2.0, palette::kWhite,
                    1.5);
    };
}

} // namespace

std::string LoopingScript(int frames, int ms) {
    std::string list;
    for (int i = 1; i <= frames; ++i)
        list += (i == 1 ? "" : ",") + std::to_string(i);
    return "function DoAnim()\n    delay(" + std::to_string(ms) +
           ");\n    while true do\n        frames{" + list + "};\n    end\nend\n";
}

std::vector<Picture> BoardEffectPictures() {
    std::vector<Picture> pictures = {
        {"gpx/board/ice.png", 240, 120, Format::kPng, IceSheet, {}},
        {"gpx/board/logo_flash.png", 420, 110, Format::kPng, LogoFlash, {}},
        {"gpx/board/achieve_panel.png", 320, 80, Format::kPng, AchievementPanel, {}},
        {"fx/tex/ray.png", 128, 128, Format::kPng, Ray, {}},
        {"fx/tex/twinkle.png", 32, 32, Format::kPng, Twinkle, {}},
        {"fx/tex/mountain.png", 32, 32, Format::kPng, Snowflake, {}},
        {"fx/tex/forest.png", 32, 32, Format::kPng, Leaf, {}},
        {"fx/tex/city.png", 32, 32, Format::kPng, CityPetal, {}},
        {"fx/tex/beach.png", 32, 32, Format::kPng, BeachFlower, {}},
        {"fx/tex/space.png", 32, 32, Format::kPng, SpaceStar, {}},
    };
    for (int i = 0; i < 20; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "gpx/board/achieve/game_%02d.png", i + 1);
        pictures.push_back({path, 64, 64, Format::kPng, AchievementIcon(i), {}});
        // The achievement board's dark twin of each medal: grey and faded.
        std::snprintf(path, sizeof path, "gpx/board/achieve/game_%02d_off.png", i + 1);
        pictures.push_back({path, 64, 64, Format::kPng, AchievementIcon(i), [](Image& image) {
                                for (size_t p = 0; p + 3 < image.rgba.size(); p += 4) {
                                    uint8_t* px = &image.rgba[p];
                                    const int grey = (px[0] * 30 + px[1] * 59 + px[2] * 11) / 100;
                                    const uint8_t dim = static_cast<uint8_t>(96 + grey * 96 / 255);
                                    px[0] = px[1] = px[2] = dim;
                                    px[3] = static_cast<uint8_t>(px[3] * 3 / 4);
                                }
                            }});
    }
    return pictures;
}

std::vector<Animation> BoardEffectAnimations() {
    return {
        {"gpx/board/anim/circle.xml", 16, 96, 96, PulsingRing, LoopingScript(16, 60), false},
        {"gpx/board/anim/frame.xml", 8, 216, 240, WarningFrame, LoopingScript(8, 90), true},
        {"gpx/board/anim/heartl.xml", 12, 44, 64, BreakingHeart, {}, true},
    };
}

} // namespace imagegen
