#include "Recipes.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace imagegen {

using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

// A small fixed-seed generator for scattered details: the same picture on
// every build.
class Scatter {
public:
    explicit Scatter(uint32_t seed) : mState(seed) {}
    double Next() {
        mState = mState * 1664525u + 1013904223u;
        return (mState >> 8) / double(1u << 24);
    }

private:
    uint32_t mState;
};

// ---- cursor ----

void DrawArrow(cairo_t* cr, int, int) {
    // Tip at the top-left pixel; the outline's mitre covers pixel (0, 0).
    cairo_move_to(cr, 1.5, 1.5);
    cairo_line_to(cr, 1.5, 24.5);
    cairo_line_to(cr, 7.5, 19.0);
    cairo_line_to(cr, 11.5, 28.0);
    cairo_line_to(cr, 15.5, 26.2);
    cairo_line_to(cr, 11.6, 17.5);
    cairo_line_to(cr, 19.5, 17.5);
    cairo_close_path(cr);
    SetVerticalGradient(cr, 0, 28, palette::kWhite, palette::kPanelBottom);
    cairo_fill_preserve(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    cairo_set_line_width(cr, palette::kOutline);
    SetColour(cr, palette::kInk);
    cairo_stroke(cr);
}

// ---- push buttons: off, on (pressed), off rollover ----

enum class State { kOff, kOn, kOffOver, kOnOver };

bool IsOver(State state) {
    return state == State::kOffOver || state == State::kOnOver;
}

bool IsOn(State state) {
    return state == State::kOn || state == State::kOnOver;
}

const char* Suffix(State state) {
    switch (state) {
    case State::kOff:
        return "off";
    case State::kOn:
        return "on";
    case State::kOffOver:
        return "off_over";
    case State::kOnOver:
        return "on_over";
    }
    return "";
}

Rgb StateColour(Rgb colour, State state) {
    if (IsOn(state) && !IsOver(state))
        return Darken(colour, palette::kPressedDarken);
    if (IsOver(state))
        return Lighten(colour, palette::kRolloverLighten);
    return colour;
}

DrawFunction PushButton(State state) {
    return [state](cairo_t* cr, int w, int h) {
        // Room for the shadow below and at the sides.
        const double x = 3, y = 2, bw = w - 6, bh = h - 8;
        const bool pressed = IsOn(state);
        const double shift = pressed ? palette::kPressedOffset : 0.0;
        if (!pressed)
            SoftShadow(cr, x, y, bw, bh, palette::kCornerRadius);
        Card(cr, x, y + shift, bw, bh, palette::kCornerRadius,
             StateColour(palette::kButtonTop, state), StateColour(palette::kButtonBottom, state),
             StateColour(palette::kButtonEdge, state), false);
        // A soft gloss over the upper half.
        RoundedRect(cr, x + 5, y + shift + 4, bw - 10, bh / 2 - 4, palette::kCornerRadius - 4);
        cairo_pattern_t* gloss =
            cairo_pattern_create_linear(0, y + shift + 4, 0, y + shift + bh / 2);
        cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, pressed ? 0.18 : 0.38);
        cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0.0);
        cairo_set_source(cr, gloss);
        cairo_fill(cr);
        cairo_pattern_destroy(gloss);
    };
}

// ---- check boxes and radio buttons: off, on, off rollover, on rollover ----

void Well(cairo_t* cr, double x, double y, double w, double h, double radius, State state) {
    RoundedRect(cr, x, y, w, h, radius);
    SetVerticalGradient(cr, y, y + h, palette::kWellTop, palette::kWellBottom);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, palette::kOutline);
    SetColour(cr, IsOver(state) ? palette::kAccentBottom : palette::kPanelEdge);
    cairo_stroke(cr);
    if (IsOver(state)) {
        RoundedRect(cr, x - 1.5, y - 1.5, w + 3, h + 3, radius + 1.5);
        SetColour(cr, palette::kAccentTop, 0.55);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
}

DrawFunction CheckBox(State state, std::string svgFolder) {
    return [state, svgFolder](cairo_t* cr, int w, int h) {
        Well(cr, 4, 4, w - 8, h - 8, palette::kSmallRadius, state);
        if (IsOn(state)) {
            const SvgColours colours = {{"accentTop", IsOver(state)
                                                          ? Lighten(palette::kAccentTop, 0.2)
                                                          : palette::kAccentTop},
                                        {"accentBottom", palette::kAccentBottom},
                                        {"accentEdge", palette::kAccentEdge}};
            DrawSvg(cr, svgFolder + "/checkmark.svg", colours, 0, 0, w, h);
        }
    };
}

DrawFunction RadioButton(State state) {
    return [state](cairo_t* cr, int w, int h) {
        const double cx = w / 2.0, cy = h / 2.0, r = w / 2.0 - 4;
        Well(cr, cx - r, cy - r, 2 * r, 2 * r, r, state);
        if (IsOn(state)) {
            cairo_arc(cr, cx, cy, r * 0.55, 0, 2 * kPi);
            const Rgb top = IsOver(state) ? Lighten(palette::kAccentTop, 0.2) : palette::kAccentTop;
            SetVerticalGradient(cr, cy - r * 0.55, cy + r * 0.55, top, palette::kAccentBottom);
            cairo_fill_preserve(cr);
            SetColour(cr, palette::kAccentEdge);
            cairo_set_line_width(cr, 1.5);
            cairo_stroke(cr);
            cairo_arc(cr, cx - r * 0.18, cy - r * 0.2, r * 0.16, 0, 2 * kPi);
            SetColour(cr, palette::kWhite, 0.7);
            cairo_fill(cr);
        }
    };
}

// ---- slider: the rail is drawn along its length (top, stretched middle,
// bottom; turned a quarter for horizontal sliders), the knob sits on it ----

constexpr int kRailWidth = 16;
constexpr double kRailInset = 4;

// Fills the current path with the groove's shading, dark on the left edge
// x0 to light on the right edge x1.
void FillAcrossRail(cairo_t* cr, double x0, double x1) {
    cairo_pattern_t* across = cairo_pattern_create_linear(x0, 0, x1, 0);
    const Rgb dark = Darken(palette::kWellTop, 0.25);
    cairo_pattern_add_color_stop_rgb(across, 0, dark.r, dark.g, dark.b);
    cairo_pattern_add_color_stop_rgb(across, 1, palette::kWellBottom.r, palette::kWellBottom.g,
                                     palette::kWellBottom.b);
    cairo_set_source(cr, across);
    cairo_fill(cr);
    cairo_pattern_destroy(across);
}

void RailGroove(cairo_t* cr, double y0, double y1) {
    cairo_rectangle(cr, kRailInset, y0, kRailWidth - 2 * kRailInset, y1 - y0);
    FillAcrossRail(cr, kRailInset, kRailWidth - kRailInset);
    // Its two long edges.
    SetColour(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, kRailInset - 0.25, y0);
    cairo_line_to(cr, kRailInset - 0.25, y1);
    cairo_move_to(cr, kRailWidth - kRailInset + 0.25, y0);
    cairo_line_to(cr, kRailWidth - kRailInset + 0.25, y1);
    cairo_stroke(cr);
}

void RailEnd(cairo_t* cr, int h, bool top) {
    // A rounded end: the groove closed by a half circle.
    const double r = kRailWidth / 2.0 - kRailInset + 0.75;
    const double cx = kRailWidth / 2.0;
    const double cy = top ? h : 0.0;
    const double edge = top ? h - 6.0 : 6.0;
    cairo_new_path(cr);
    if (top) {
        cairo_arc(cr, cx, edge, r, kPi, 2 * kPi);
        cairo_line_to(cr, cx + r, cy);
        cairo_line_to(cr, cx - r, cy);
    } else {
        cairo_arc(cr, cx, edge, r, 0, kPi);
        cairo_line_to(cr, cx - r, cy);
        cairo_line_to(cr, cx + r, cy);
    }
    cairo_close_path(cr);
    FillAcrossRail(cr, cx - r, cx + r);
    cairo_new_path(cr);
    if (top) {
        cairo_move_to(cr, cx - r, cy);
        cairo_arc(cr, cx, edge, r, kPi, 2 * kPi);
        cairo_line_to(cr, cx + r, cy);
    } else {
        cairo_move_to(cr, cx + r, cy);
        cairo_arc(cr, cx, edge, r, 0, kPi);
        cairo_line_to(cr, cx - r, cy);
    }
    SetColour(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

DrawFunction SliderKnob(bool horizontal, bool over) {
    return [horizontal, over](cairo_t* cr, int w, int h) {
        // A pill across the rail: tall for a horizontal slider, wide for a
        // vertical one.
        (void)horizontal;
        const State state = over ? State::kOffOver : State::kOff;
        Card(cr, 2, 1, w - 4, h - 5, std::min(w, h) / 2.0 - 2,
             StateColour(palette::kAccentTop, state), StateColour(palette::kAccentBottom, state),
             palette::kAccentEdge, true);
        // Three grip lines across the pill's length.
        SetColour(cr, palette::kWhite, 0.65);
        cairo_set_line_width(cr, 1.5);
        for (int i = -1; i <= 1; ++i) {
            if (horizontal) {
                const double x = w / 2.0 + i * 4;
                cairo_move_to(cr, x, h * 0.3);
                cairo_line_to(cr, x, h * 0.62);
            } else {
                const double y = (h - 4) / 2.0 + i * 4;
                cairo_move_to(cr, w * 0.32, y);
                cairo_line_to(cr, w * 0.68, y);
            }
        }
        cairo_stroke(cr);
    };
}

// ---- panels ----

void TextEditFrame(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 1, 1, w - 2, h - 2, palette::kSmallRadius);
    SetVerticalGradient(cr, 0, h, palette::kFieldTop, palette::kFieldBottom);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    // An inner shadow along the top edge: the field is sunk into the panel.
    RoundedRect(cr, 3, 3, w - 6, h - 6, palette::kSmallRadius - 2);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 3, 0, 10);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.18);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0.0);
    cairo_set_source(cr, shade);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_pattern_destroy(shade);
}

void DialogPanel(cairo_t* cr, int w, int h) {
    const double margin = 6;
    Card(cr, margin, margin - 2, w - 2 * margin, h - 2 * margin, palette::kCornerRadius * 1.6,
         palette::kPanelTop, palette::kPanelBottom, palette::kPanelEdge, true);
    // A title band and an inner frame, so texts sit on a calm field.
    const double inner = margin + 14;
    RoundedRect(cr, inner, inner + 38, w - 2 * inner, h - 2 * inner - 38, palette::kCornerRadius);
    SetColour(cr, palette::kPanelInner, 0.85);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kPanelEdge, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Corner studs in the symbol colours.
    const Rgb studs[4] = {palette::kRose, palette::kGold, palette::kLeaf, palette::kSky};
    const double sx[4] = {margin + 14, w - margin - 14, margin + 14, w - margin - 14};
    const double sy[4] = {margin + 12, margin + 12, h - margin - 16, h - margin - 16};
    for (int i = 0; i < 4; ++i) {
        StarPath(cr, sx[i], sy[i], 6, 2.6, 4, 0);
        SetColour(cr, studs[i]);
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(studs[i], 0.35));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

void BlackVeil(cairo_t* cr, int, int) {
    SetColour(cr, palette::kBlack, palette::kVeilAlpha);
    cairo_paint(cr);
}

// Solid black: a fade through black ends on it.
void SolidBlack(cairo_t* cr, int, int) {
    SetColour(cr, palette::kBlack);
    cairo_paint(cr);
}

// ---- the main menu's background ----

void Hill(cairo_t* cr, int w, int h, double base, double amplitude, double phase, Rgb top,
          Rgb bottom) {
    cairo_move_to(cr, 0, h);
    for (int x = 0; x <= w; x += 8) {
        const double u = x / double(w);
        const double y = base - amplitude * (0.6 * std::sin(u * 2 * kPi * 1.3 + phase) +
                                             0.4 * std::sin(u * 2 * kPi * 2.9 + phase * 1.7));
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    SetVerticalGradient(cr, base - amplitude, h, top, bottom);
    cairo_fill(cr);
}

void Heart(cairo_t* cr, double cx, double cy, double s) {
    cairo_move_to(cr, cx, cy + s * 0.9);
    cairo_curve_to(cr, cx - s * 1.3, cy + s * 0.1, cx - s * 0.9, cy - s * 1.0, cx, cy - s * 0.35);
    cairo_curve_to(cr, cx + s * 0.9, cy - s * 1.0, cx + s * 1.3, cy + s * 0.1, cx, cy + s * 0.9);
    cairo_close_path(cr);
}

void Diamond(cairo_t* cr, double cx, double cy, double s) {
    cairo_move_to(cr, cx, cy - s);
    cairo_line_to(cr, cx + s * 0.7, cy);
    cairo_line_to(cr, cx, cy + s);
    cairo_line_to(cr, cx - s * 0.7, cy);
    cairo_close_path(cr);
}

void FloatingCard(cairo_t* cr, double cx, double cy, double angle, int symbol) {
    const double w = 78, h = 96;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    Card(cr, -w / 2, -h / 2, w, h, palette::kCornerRadius, palette::kPanelInner,
         palette::kPanelBottom, palette::kPanelEdge, true);
    const Rgb colours[4] = {palette::kGold, palette::kRose, palette::kSky, palette::kLeaf};
    const Rgb colour = colours[symbol % 4];
    switch (symbol % 4) {
    case 0:
        StarPath(cr, 0, 2, 27, 11.5, 5, 0);
        break;
    case 1:
        Heart(cr, 0, 2, 24);
        break;
    case 2:
        Diamond(cr, 0, 0, 30);
        break;
    default:
        for (int i = 0; i < 3; ++i) {
            const double a = -kPi / 2 + i * 2 * kPi / 3;
            cairo_new_sub_path(cr);
            cairo_arc(cr, 11 * std::cos(a), 11 * std::sin(a) - 2, 11, 0, 2 * kPi);
        }
        cairo_move_to(cr, -2, 6);
        cairo_line_to(cr, 2, 6);
        cairo_line_to(cr, 5, 26);
        cairo_line_to(cr, -5, 26);
        cairo_close_path(cr);
        break;
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    SetVerticalGradient(cr, -30, 30, Lighten(colour, 0.2), Darken(colour, 0.1));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(colour, 0.45));
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void MenuBackground(cairo_t* cr, int w, int h) {
    // Sky: dusk blue at the top to a warm horizon.
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h * 0.72);
    const Rgb stops[3] = {palette::kDuskTop, palette::kDuskMiddle, palette::kDuskHorizon};
    for (int i = 0; i < 3; ++i)
        cairo_pattern_add_color_stop_rgb(sky, i / 2.0, stops[i].r, stops[i].g, stops[i].b);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);

    // A low sun's glow in the middle of the horizon.
    cairo_pattern_t* glow =
        cairo_pattern_create_radial(w / 2.0, h * 0.66, 10, w / 2.0, h * 0.66, 420);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.95, 0.8, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 0.3, 1, 0.85, 0.6, 0.35);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.8, 0.6, 0.0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);

    // Faint stars in the upper sky.
    Scatter scatter(0xC0FFEEu);
    for (int i = 0; i < 90; ++i) {
        const double x = scatter.Next() * w, y = scatter.Next() * h * 0.42;
        const double size = 0.6 + scatter.Next() * 1.6;
        const double alpha = (0.25 + 0.6 * scatter.Next()) * (1.0 - y / (h * 0.45));
        if (size > 1.7) {
            StarPath(cr, x, y, size * 2.4, size * 0.7, 4, 0);
        } else {
            cairo_new_sub_path(cr);
            cairo_arc(cr, x, y, size, 0, 2 * kPi);
        }
        SetColour(cr, palette::kWhite, alpha);
        cairo_fill(cr);
    }

    Hill(cr, w, h, h * 0.70, 34, 0.7, palette::kHillFar, Darken(palette::kHillFar, 0.2));
    Hill(cr, w, h, h * 0.80, 28, 2.4, palette::kHillNear, Darken(palette::kHillNear, 0.35));

    // Cards floating at the sides; the middle stays calm for the menu.
    FloatingCard(cr, 120, 170, -0.28, 0);
    FloatingCard(cr, 190, 420, 0.18, 1);
    FloatingCard(cr, 95, 640, -0.12, 3);
    FloatingCard(cr, 905, 160, 0.24, 2);
    FloatingCard(cr, 840, 410, -0.2, 3);
    FloatingCard(cr, 930, 640, 0.14, 1);

    // A light vignette keeps the eye in the middle.
    cairo_pattern_t* vignette =
        cairo_pattern_create_radial(w / 2.0, h / 2.0, h * 0.45, w / 2.0, h / 2.0, w * 0.75);
    cairo_pattern_add_color_stop_rgba(vignette, 0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(vignette, 1, 0, 0, 0, 0.35);
    cairo_set_source(cr, vignette);
    cairo_paint(cr);
    cairo_pattern_destroy(vignette);
}

// ---- the sparkle: a four-pointed star that turns and swells, with a
// halo and four twinkling satellites ----

void Sparkle(cairo_t* cr, int w, int h, double t) {
    const double cx = w / 2.0, cy = h / 2.0;
    const double pulse = 0.5 - 0.5 * std::cos(2 * kPi * t); // 0 -> 1 -> 0
    const double size = w * (0.18 + 0.24 * pulse);
    cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 0, cx, cy, size * 1.3);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 0.97, 0.75, 0.7 * pulse + 0.15);
    cairo_pattern_add_color_stop_rgba(halo, 1, 1, 0.85, 0.3, 0.0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);

    StarPath(cr, cx, cy, size, size * 0.22, 4, t * kPi / 2);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx, cy, 0, cx, cy, size);
    cairo_pattern_add_color_stop_rgb(body, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(body, 1, palette::kGold.r, palette::kGold.g, palette::kGold.b);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    for (int i = 0; i < 4; ++i) {
        const double phase = std::fmod(t + i * 0.25, 1.0);
        const double twinkle = std::sin(kPi * phase);
        const double angle = kPi / 4 + i * kPi / 2 + t * kPi / 2;
        const double distance = w * (0.26 + 0.12 * phase);
        StarPath(cr, cx + distance * std::cos(angle), cy + distance * std::sin(angle),
                 w * 0.07 * twinkle + 0.5, w * 0.018 * twinkle + 0.2, 4, 0);
        SetColour(cr, Lighten(palette::kGold, 0.5), twinkle);
        cairo_fill(cr);
    }
}

// ---- particle textures: white-cored shapes that the emitters' colours
// tint; each firework star keeps a rim of the colour the board gives it ----

void SoftDot(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_pattern_t* dot = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w / 2.0);
    cairo_pattern_add_color_stop_rgba(dot, 0.0, 1, 1, 1, 1.0);
    cairo_pattern_add_color_stop_rgba(dot, 0.35, 1, 1, 1, 0.75);
    cairo_pattern_add_color_stop_rgba(dot, 1.0, 1, 1, 1, 0.0);
    cairo_set_source(cr, dot);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(dot);
}

DrawFunction FireworkStar(palette::Rgb rim, int points) {
    return [rim, points](cairo_t* cr, int w, int h) {
        const double cx = w / 2.0, cy = h / 2.0;
        cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w / 2.0);
        cairo_pattern_add_color_stop_rgba(halo, 0, rim.r, rim.g, rim.b, 0.55);
        cairo_pattern_add_color_stop_rgba(halo, 1, rim.r, rim.g, rim.b, 0.0);
        cairo_set_source(cr, halo);
        cairo_paint(cr);
        cairo_pattern_destroy(halo);
        StarPath(cr, cx, cy, w * 0.46, w * 0.17, points, -kPi / 2);
        cairo_pattern_t* body = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w * 0.46);
        cairo_pattern_add_color_stop_rgb(body, 0.0, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(body, 0.45, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(body, 1.0, rim.r, rim.g, rim.b);
        cairo_set_source(cr, body);
        cairo_fill(cr);
        cairo_pattern_destroy(body);
        (void)h;
    };
}

// ---- cut-scene pictures ----

// Banner letters: one picture per character, as wide as the bold face's
// advance plus the outline, the baseline at the same height in each, so a
// row of them reads as one word.
constexpr double kLetterSize = 52.0;
constexpr int kLetterHeight = 64;
constexpr double kLetterOutline = 3.0;
constexpr double kLetterBaseline = 52.0;

int LetterWidth(const std::string& letter) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    SetFont(cr, true, kLetterSize);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, letter.c_str(), &extents);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return static_cast<int>(std::ceil(extents.x_advance + 2 * kLetterOutline + 2));
}

DrawFunction Letter(const std::string& letter) {
    return [letter](cairo_t* cr, int w, int) {
        SetFont(cr, true, kLetterSize);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter.c_str(), &extents);
        cairo_move_to(cr, (w - extents.x_advance) / 2.0, kLetterBaseline);
        cairo_text_path(cr, letter.c_str());
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, kLetterOutline * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        SetVerticalGradient(cr, kLetterBaseline - kLetterSize * 0.75, kLetterBaseline,
                            Lighten(palette::kGold, 0.55), palette::kButtonBottom);
        cairo_fill(cr);
    };
}

// The file of a letter: "c" and the bytes of its UTF-8 form in lower-case
// hexadecimal, as the banners ask for them.
std::string LetterFile(const std::string& letter) {
    std::string name = "gpx/letters/c";
    for (unsigned char byte : letter) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%x", byte);
        name += hex;
    }
    return name + ".png";
}

// A playing card with a heart, the sample scene's hero.
// One half of the board's stage curtain: deep red velvet in soft vertical
// folds, a darker hem at the bottom.
void CurtainHalf(cairo_t* cr, int w, int h) {
    constexpr int kFolds = 6;
    cairo_pattern_t* folds = cairo_pattern_create_linear(0, 0, w, 0);
    for (int f = 0; f <= kFolds * 2; ++f) {
        const double light = f % 2 ? 0.62 : 0.34;
        cairo_pattern_add_color_stop_rgb(folds, f / (kFolds * 2.0), light, 0.05, 0.09);
    }
    cairo_set_source(cr, folds);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(folds);
    cairo_set_source_rgba(cr, 0.15, 0.0, 0.03, 0.8);
    cairo_rectangle(cr, 0, h - 24, w, 24);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.85, 0.65, 0.2);
    cairo_rectangle(cr, 0, h - 28, w, 4);
    cairo_fill(cr);
}

void SampleCard(cairo_t* cr, int w, int h) {
    FloatingCard(cr, w / 2.0, h / 2.0, 0.0, 1);
}

// A strip of soft clouds that repeats side by side without a seam: every
// cloud is drawn again one width to either side, so what crosses one edge
// comes in at the other.
// Each cloud is a cluster of puffs over a flat, slightly shaded base.
void Puff(cairo_t* cr, double x, double y, double r, double shade) {
    cairo_pattern_t* puff = cairo_pattern_create_radial(x, y - r * 0.3, 0, x, y, r);
    cairo_pattern_add_color_stop_rgba(puff, 0.0, 1, 1, 1, 1.0);
    cairo_pattern_add_color_stop_rgba(puff, 0.7, shade, shade, 1.0, 0.95);
    cairo_pattern_add_color_stop_rgba(puff, 1.0, shade, shade, 1.0, 0.0);
    cairo_set_source(cr, puff);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(puff);
}

void CloudStrip(cairo_t* cr, int w, int h) {
    Scatter scatter(7);
    constexpr int kClouds = 5;
    for (int c = 0; c < kClouds; ++c) {
        const double cx = (c + 0.2 + 0.6 * scatter.Next()) * w / kClouds;
        const double base = h * (0.62 + 0.18 * scatter.Next());
        const double size = h * (0.22 + 0.1 * scatter.Next());
        const int puffs = 5 + static_cast<int>(scatter.Next() * 3);
        struct P {
            double x, y, r;
        };
        std::vector<P> cluster;
        for (int i = 0; i < puffs; ++i) {
            const double along = (i - (puffs - 1) / 2.0) / puffs;
            const double r = size * (0.75 + 0.5 * scatter.Next()) * (1.0 - std::fabs(along));
            cluster.push_back({cx + along * size * 4.0, base - r * 0.55, r});
        }
        for (double shift : {-static_cast<double>(w), 0.0, static_cast<double>(w)}) {
            for (const P& p : cluster)
                Puff(cr, p.x + shift, p.y + size * 0.12, p.r, 0.78);
            for (const P& p : cluster)
                Puff(cr, p.x + shift, p.y, p.r * 0.92, 0.93);
        }
    }
}

} // namespace

bool IsCursorKey(const uint8_t* rgba) {
    return rgba[0] >= 248 && rgba[1] == 0 && rgba[2] >= 248;
}

void ApplyCursorKey(Image& image) {
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        uint8_t* p = &image.rgba[i];
        if (p[3] < 96) {
            p[0] = 255;
            p[1] = 0;
            p[2] = 255;
            p[3] = 0;
        }
    }
}

std::vector<Picture> Pictures(const std::string& svgFolder) {
    std::vector<Picture> pictures;
    pictures.push_back({"gpx/cursor/arrow.png", 32, 32, Format::kPng, DrawArrow, ApplyCursorKey});

    const struct {
        const char* name;
        int width, height;
    } buttonSizes[] = {{"small", 160, 48}, {"large", 240, 64}};
    for (const auto& size : buttonSizes) {
        for (State state : {State::kOff, State::kOn, State::kOffOver}) {
            pictures.push_back(
                {std::string("gpx/ui/button_") + size.name + "_" + Suffix(state) + ".png",
                 size.width,
                 size.height,
                 Format::kPng,
                 PushButton(state),
                 {}});
        }
    }
    for (State state : {State::kOff, State::kOn, State::kOffOver, State::kOnOver}) {
        pictures.push_back({std::string("gpx/ui/check_") + Suffix(state) + ".png",
                            32,
                            32,
                            Format::kPng,
                            CheckBox(state, svgFolder),
                            {}});
    }
    for (State state : {State::kOff, State::kOn, State::kOffOver, State::kOnOver}) {
        pictures.push_back({std::string("gpx/ui/radio_") + Suffix(state) + ".png",
                            32,
                            32,
                            Format::kPng,
                            RadioButton(state),
                            {}});
    }
    pictures.push_back({"gpx/ui/slider_rail_top.png",
                        kRailWidth,
                        12,
                        Format::kPng,
                        [](cairo_t* cr, int, int h) { RailEnd(cr, h, true); },
                        {}});
    pictures.push_back({"gpx/ui/slider_rail_mid.png",
                        kRailWidth,
                        16,
                        Format::kPng,
                        [](cairo_t* cr, int, int h) { RailGroove(cr, 0, h); },
                        {}});
    pictures.push_back({"gpx/ui/slider_rail_bottom.png",
                        kRailWidth,
                        12,
                        Format::kPng,
                        [](cairo_t* cr, int, int h) { RailEnd(cr, h, false); },
                        {}});
    pictures.push_back(
        {"gpx/ui/slider_knob_h.png", 24, 34, Format::kPng, SliderKnob(true, false), {}});
    pictures.push_back(
        {"gpx/ui/slider_knob_h_over.png", 24, 34, Format::kPng, SliderKnob(true, true), {}});
    pictures.push_back(
        {"gpx/ui/slider_knob_v.png", 34, 24, Format::kPng, SliderKnob(false, false), {}});
    pictures.push_back(
        {"gpx/ui/slider_knob_v_over.png", 34, 24, Format::kPng, SliderKnob(false, true), {}});
    pictures.push_back({"gpx/ui/textedit_frame.png", 300, 40, Format::kPng, TextEditFrame, {}});
    pictures.push_back({"gpx/ui/panel_400x300.png", 400, 300, Format::kPng, DialogPanel, {}});
    pictures.push_back({"gpx/ui/panel_600x400.png", 600, 400, Format::kPng, DialogPanel, {}});
    pictures.push_back({"gpx/ui/panel_black.png", 16, 16, Format::kPng, BlackVeil, {}});
    pictures.push_back({"gpx/ui/fade_black.png", 16, 16, Format::kPng, SolidBlack, {}});
    pictures.push_back({"gpx/menu/background.jpg", 1024, 768, Format::kJpeg, MenuBackground, {}});
    pictures.push_back({"fx/tex/softdot.png", 32, 32, Format::kPng, SoftDot, {}});
    // The board tints each firework: blue, yellow, red in this order.
    pictures.push_back(
        {"fx/tex/fireworktx1.png", 32, 32, Format::kPng, FireworkStar(palette::kSky, 5), {}});
    pictures.push_back(
        {"fx/tex/fireworktx2.png", 32, 32, Format::kPng, FireworkStar(palette::kGold, 4), {}});
    pictures.push_back(
        {"fx/tex/fireworktx3.png", 32, 32, Format::kPng, FireworkStar(palette::kRose, 6), {}});
    // Banner letters: A-Z, a-z, 0-9, "!" and the blank shown for any
    // letter without a picture.
    std::vector<std::string> letters = {" ", "!"};
    for (char c = 'A'; c <= 'Z'; ++c)
        letters.push_back(std::string(1, c));
    for (char c = 'a'; c <= 'z'; ++c)
        letters.push_back(std::string(1, c));
    for (char c = '0'; c <= '9'; ++c)
        letters.push_back(std::string(1, c));
    for (const std::string& letter : letters)
        pictures.push_back({LetterFile(letter),
                            LetterWidth(letter),
                            kLetterHeight,
                            Format::kPng,
                            Letter(letter),
                            {}});
    pictures.push_back({"gpx/cutscene/card.png", 96, 112, Format::kPng, SampleCard, {}});
    pictures.push_back({"gpx/cutscene/curtain.png", 512, 768, Format::kPng, CurtainHalf, {}});
    pictures.push_back({"gpx/cutscene/clouds.png", 1024, 160, Format::kPng, CloudStrip, {}});
    for (Picture& tile : TilePictures())
        pictures.push_back(std::move(tile));
    for (Picture& hud : BottomPanelPictures())
        pictures.push_back(std::move(hud));
    for (Picture& effect : BoardEffectPictures())
        pictures.push_back(std::move(effect));
    for (Picture& scene : BoardScenePictures())
        pictures.push_back(std::move(scene));
    for (Picture& menu : MenuPictures())
        pictures.push_back(std::move(menu));
    for (Picture& avatar : AvatarButtonPictures())
        pictures.push_back(std::move(avatar));
    for (Picture& quest : QuestPictures())
        pictures.push_back(std::move(quest));
    for (Picture& screen : ScreenPictures())
        pictures.push_back(std::move(screen));
    pictures.push_back({"gpx/xsell/panel.png", 880, 640, Format::kPng, DialogPanel, {}});
    for (Picture& xsell : XSellPictures())
        pictures.push_back(std::move(xsell));
    return pictures;
}

std::vector<Animation> Animations() {
    std::vector<Animation> animations = {{"gpx/anim/sparkle.xml", 12, 64, 64, Sparkle}};
    for (Animation& tile : TileAnimations())
        animations.push_back(std::move(tile));
    for (Animation& hud : BottomPanelAnimations())
        animations.push_back(std::move(hud));
    for (Animation& effect : BoardEffectAnimations())
        animations.push_back(std::move(effect));
    for (Animation& avatar : AvatarAnimations())
        animations.push_back(std::move(avatar));
    return animations;
}

} // namespace imagegen
